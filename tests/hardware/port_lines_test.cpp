// Line control: pin levels in the register images (hardware-inverted control bits included),
// status read-back, the line procedures' inversion, and the register traffic of a change.
#include "hardware_test_support.h"

namespace {

using namespace Module94;

TEST(PinLevels, HighAndLowSetTheRegisterBitBehindEachPin) {
    // pin, register ('D', 'C' or '-' for none), bit, hardware-inverted; from the pinout.
    struct row {
        int pin;
        char reg;
        int bit;
        bool inverted;
    };
    const row rows[] = {{1, 'C', 0, true},   {2, 'D', 0, false},  {3, 'D', 1, false},
                        {5, 'D', 3, false},  {9, 'D', 7, false},  {14, 'C', 1, true},
                        {16, 'C', 2, false}, {17, 'C', 3, true},  {0, '-', 0, false},
                        {10, '-', 0, false}, {11, '-', 0, false}, {18, '-', 0, false},
                        {26, '-', 0, false}, {-3, '-', 0, false}};
    for (const row& r : rows)
        for (const std::int32_t start : {0x00, 0xFF})
            for (const bool high : {false, true}) {
                line_image = {start, 0, start & 0x0F};
                std::int32_t data = start, control = start & 0x0F;
                if (r.reg != '-') {
                    std::int32_t& reg = r.reg == 'D' ? data : control;
                    reg = high != r.inverted ? reg | (1 << r.bit) : reg & ~(1 << r.bit);
                }
                high ? pin_high(r.pin) : pin_low(r.pin);
                EXPECT_EQ(line_image.data_image, data) << r.pin << " high " << high << start;
                EXPECT_EQ(line_image.control_image, control) << r.pin << " high " << high;
            }
}

TEST(PinLevels, ReadPinAndPinNames) {
    const struct {
        int pin;
        std::int32_t status, level;
    } reads[] = {{10, 0x40, 1}, {10, 0xBF, 0}, {11, 0x80, 0}, {11, 0x7F, 1}, {12, 0x20, 1},
                 {13, 0xEF, 0}, {15, 0x08, 1}, {2, 0xFF, 0},  {16, 0xFF, 0}, {26, 0xFF, 0}};
    for (const auto& r : reads) {
        line_image.status_image = r.status;
        EXPECT_EQ(read_pin(r.pin), r.level) << "pin " << r.pin << " status " << r.status;
    }
    const std::pair<int, const char*> names[] = {
        {1, "\\C0"},  {2, "D0"},  {9, "D7"},  {10, "S6"},   {11, "\\S7"}, {12, "S5"},  {13, "S4"},
        {14, "\\C1"}, {15, "S3"}, {16, "C2"}, {17, "\\C3"}, {18, "Gnd"},  {25, "Gnd"}, {26, ""}};
    for (const auto& [pin, name] : names)
        EXPECT_EQ(pin_bit_name(pin), name) << "pin " << pin;
}

class LineProcedures : public hardware_test::hardware_fixture {};

TEST_F(LineProcedures, IdleWritesZeroZeroTwoThreeWithControlZero) {
    set_lines_idle();
    ASSERT_EQ(port->accesses.size(), 12u);
    const int data[] = {0, 0, 2, 3};
    for (int i = 0; i < 4; ++i) {
        const auto* a = &port->accesses[3 * i];
        EXPECT_TRUE(a[0].kind == 'W' && a[0].address == 0x378 && a[0].value == data[i]) << i;
        EXPECT_TRUE(a[1].kind == 'W' && a[1].address == 0x37A && a[1].value == 0) << i;
        EXPECT_TRUE(a[2].kind == 'R' && a[2].address == 0x379) << i;
    }
    EXPECT_EQ(timeline, "WWRYWWRYWWRYWWRY");
}

TEST_F(LineProcedures, InversionFlagsSelectTheElectricalLevel) {
    struct row {
        void (*procedure)();
        std::int32_t port_settings_record::*invert;
        int bit;   // data bit of the line's default pin
        bool high; // electrical level when not inverted
    };
    const row rows[] = {{vdd_on, &port_settings_record::invert_vdd, 2, true},
                        {vdd_off, &port_settings_record::invert_vdd, 2, false},
                        {vpp_on, &port_settings_record::invert_vpp, 3, true},
                        {vpp_off, &port_settings_record::invert_vpp, 3, false},
                        {clock_high, &port_settings_record::invert_clock, 1, true},
                        {clock_low, &port_settings_record::invert_clock, 1, false},
                        {data_high, &port_settings_record::invert_dataout, 0, true},
                        {data_low, &port_settings_record::invert_dataout, 0, false}};
    for (std::size_t i = 0; i < std::size(rows); ++i)
        for (const std::int32_t invert : {0, 1}) {
            port_settings.*rows[i].invert = invert;
            line_image.data_image = 0x55;
            rows[i].procedure();
            const bool high = rows[i].high != (invert == 1);
            EXPECT_EQ((port->data >> rows[i].bit) & 1, high ? 1 : 0) << "row " << i << invert;
            EXPECT_EQ(port->data & ~(1 << rows[i].bit), 0x55 & ~(1 << rows[i].bit)) << i;
        }
}

TEST_F(LineProcedures, LinesOnHardwareInvertedControlPins) {
    port_settings.pin_vdd = 1;      // \C0
    port_settings.pin_vpp = 14;     // \C1
    port_settings.pin_clock = 16;   // C2
    port_settings.pin_dataout = 17; // \C3, inverted line
    port_settings.invert_clock = 0;
    set_lines_idle();
    EXPECT_EQ(port->control, 0x03); // supplies off: pins 1 and 14 low
    vdd_on();
    EXPECT_EQ(port->control, 0x02);
    clock_high();
    EXPECT_EQ(port->control, 0x06);
    data_high(); // logical 1 on an inverted line: pin 17 low
    EXPECT_EQ(port->control, 0x0E);
}

TEST_F(LineProcedures, UnusablePinsChangeNoBitButStillWriteAndRead) {
    line_image = {0x5A, 0, 0x05};
    for (const std::int32_t pin : {0, 10, 18, 26, -1}) {
        port_settings.pin_vdd = pin;
        clear_records();
        vdd_on();
        ASSERT_EQ(port->accesses.size(), 3u) << pin;
        EXPECT_EQ(port->accesses[0].value, 0x5A) << pin;
        EXPECT_EQ(port->accesses[1].value, 0x05) << pin;
        EXPECT_EQ(timeline, "WWRY") << pin;
    }
}

TEST_F(LineProcedures, ReadDataInRefreshesStatusThenAppliesInversion) {
    const struct {
        std::int32_t pin, invert;
        std::uint8_t status;
        std::int32_t expected;
    } rows[] = {{10, 1, 0x00, 1}, {10, 1, 0x40, 0}, {10, 0, 0x40, 1}, {11, 1, 0x80, 1},
                {11, 0, 0x00, 1}, {15, 1, 0x08, 0}, {2, 0, 0xFF, 0}};
    for (const auto& r : rows) {
        port_settings.pin_datain = r.pin;
        port_settings.invert_datain = r.invert;
        port->status_value = r.status;
        line_image.status_image = static_cast<std::uint8_t>(~r.status);
        clear_records();
        EXPECT_EQ(read_data_in(), r.expected)
            << "pin " << r.pin << " invert " << r.invert << " status " << int(r.status);
        EXPECT_EQ(timeline, "WWRY");
    }
}

} // namespace
