// Entering and leaving Program/Verify mode, and the read path: device ID, the table-read
// variants, PGD timing of the output phase, and what unimplemented addresses return; the
// nanosecond rules on single clock edges.
#include "icsp_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

using sim_test::has_error;
using sim_test::icsp_host;
using sim_test::power_order;

sim::virtual_chip make_chip(const char* name) {
    return sim::virtual_chip(*sim::find_part(name));
}

TEST(ProgramMode, EntersInBothPowerOrdersAndLeavesWhenEitherSupplyDrops) {
    for (const power_order order : {power_order::vdd_first, power_order::vpp_first}) {
        for (const bool drop_vdd : {true, false}) {
            SCOPED_TRACE(order == power_order::vdd_first ? "VDD first" : "VPP first");
            SCOPED_TRACE(drop_vdd ? "VDD dropped" : "VPP dropped");
            sim::virtual_chip chip = make_chip("18F4520");
            icsp_host host(chip);
            host.power_up(order);
            EXPECT_TRUE(chip.in_program_mode());
            EXPECT_EQ(host.read_device_id(), 0x1080);
            host.set_lines(!drop_vdd, drop_vdd, false, false);
            EXPECT_FALSE(chip.in_program_mode());
            EXPECT_FALSE(chip.pgd_output(host.now()).has_value());
            EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
        }
    }
}

TEST(ProgramMode, RefusedWhenPgcOrPgdIsHighAsVppRises) {
    for (const bool pgc_high : {true, false}) {
        sim::virtual_chip chip = make_chip("18F452");
        icsp_host host(chip);
        host.set_lines(true, false, pgc_high, !pgc_high);
        host.set_lines(true, true, pgc_high, !pgc_high);
        EXPECT_FALSE(chip.in_program_mode()) << (pgc_high ? "PGC" : "PGD");
        EXPECT_TRUE(has_error(chip, "not entered"));
        host.set_lines(true, true, false, false);
        EXPECT_FALSE(chip.in_program_mode()) << "lowering the lines later does not enter";
        EXPECT_EQ(host.read_device_id(), 0xFFFF) << "nothing drives PGD";
    }
}

TEST(ProgramMode, ReadsTheDeviceIdOfEachPart) {
    for (const char* name : {"18F242", "18F1320", "18F2221", "18F2423", "18F4550", "18F2620",
                             "18F4510", "18F4450", "18F24K20", "18F46K20"}) {
        sim::virtual_chip chip = make_chip(name);
        icsp_host host(chip);
        host.power_up();
        EXPECT_EQ(host.read_device_id(), chip.part().device_id) << name;
        EXPECT_TRUE(chip.protocol_errors().empty()) << name;
    }
}

TEST(ProgramMode, TableReadVariantsMoveThePointerAsDocumented) {
    sim::virtual_chip chip = make_chip("18F4520");
    for (std::size_t i = 0; i < 16; ++i)
        chip.flash()[0x100 + i] = static_cast<std::uint8_t>(0xA0 + i);
    icsp_host host(chip);
    host.power_up();
    host.set_pointer(0x104);
    EXPECT_EQ(host.read(0x8), 0xA4); // TBLRD*
    EXPECT_EQ(host.read(0x9), 0xA4); // TBLRD*+
    EXPECT_EQ(host.read(0x8), 0xA5);
    EXPECT_EQ(host.read(0xA), 0xA5); // TBLRD*-
    EXPECT_EQ(host.read(0x8), 0xA4);
    EXPECT_EQ(host.read(0xB), 0xA5); // TBLRD+*
    EXPECT_EQ(host.read(0x2), 0xA5); // shift out TABLAT again
    // Increments wrap within 21 bits: 1FFFFFh + 1 reads code address 0.
    chip.flash()[0] = 0x5A;
    host.set_pointer(0x1FFFFF);
    EXPECT_EQ(host.read(0x9), 0x00);
    EXPECT_EQ(host.read(0x9), 0x5A);
}

TEST(ProgramMode, UnimplementedAddressesReadZero) {
    sim::virtual_chip chip = make_chip("18F2420"); // 16 KB
    std::ranges::copy(std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8},
                      chip.id_locations().begin());
    icsp_host host(chip);
    host.power_up();
    EXPECT_EQ(host.read_table(0x4000, 2), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(host.read_table(0x1FFFFE, 2), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(host.read_table(0x200006, 4), (std::vector<std::uint8_t>{7, 8, 0, 0}));
    EXPECT_EQ(host.read_table(0x30000C, 4), (std::vector<std::uint8_t>{0x03, 0x40, 0, 0}));
    EXPECT_EQ(host.read_table(0x300004, 1), (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(host.read_table(0x300007, 1), (std::vector<std::uint8_t>{0}));
}

TEST(ProgramMode, DrivesPgdOnlyInTheOutputPhaseOfAReadFrame) {
    sim::virtual_chip chip = make_chip("18F4520");
    icsp_host host(chip);
    host.power_up();
    chip.flash()[0] = 0b1011'0010;
    host.set_pointer(0);
    std::int64_t t = host.now();
    auto edge = [&](bool pgc, bool pgd) { chip.set_pins(true, true, pgc, pgd, ++t); };
    const int command = 0x8;
    for (int clock = 0; clock < 20; ++clock) {
        const bool bit = clock < 4 && ((command >> clock) & 1);
        edge(true, bit);
        if (clock >= 12) {
            const auto level = chip.pgd_output(t);
            ASSERT_TRUE(level.has_value()) << "clock " << clock;
            EXPECT_EQ(*level, ((0b1011'0010 >> (clock - 12)) & 1) != 0) << "clock " << clock;
        } else {
            EXPECT_FALSE(chip.pgd_output(t).has_value()) << "clock " << clock;
        }
        edge(false, bit);
        EXPECT_EQ(chip.pgd_output(t).has_value(), clock >= 11) << "after clock " << clock;
    }
    EXPECT_TRUE(chip.pgd_output(t).has_value()) << "held until the next frame";
    edge(true, false);
    EXPECT_FALSE(chip.pgd_output(t).has_value()) << "released on the next frame's first clock";
}

TEST(ProgramMode, RecordsUndefinedCommandsAndEarlyClocks) {
    sim::virtual_chip chip = make_chip("18F4520");
    icsp_host host(chip);
    host.set_lines(true, false, false, false);
    host.set_lines(true, true, false, false);
    host.send(0x1, 0xFFFF); // within P12 of VPP, and an undefined command
    EXPECT_TRUE(has_error(chip, "P12"));
    EXPECT_TRUE(has_error(chip, "undefined command 0001"));
    EXPECT_EQ(host.read_device_id(), 0x1080) << "the frame was consumed whole";
}

// How one bit of a frame is clocked, in nanoseconds: PGD set `data_at` after the rising edge
// (0: in the same change, below 0: while PGC is still low), PGC high for `high`, then low
// for `low` before the next bit.
struct bit_timing {
    std::int64_t data_at = 0, high = 50, low = 50;
};

// A MOVLW frame with nanosecond edges, bit `odd` clocked as `timing` says and every other
// bit as the defaults do; then W goes to TABLAT at the host's usual pace and is read back.
std::uint8_t timed_movlw(sim::virtual_chip& chip, icsp_host& host, std::uint8_t literal, int odd,
                         bit_timing timing) {
    const std::uint32_t bits = (0x0E00u | literal) << 4; // command 0000, operand LSb first
    std::int64_t t = host.now() * 1000;
    bool pgd = false;
    for (int i = 0; i < 20; ++i) {
        const bit_timing b = i == odd ? timing : bit_timing{};
        const bool bit = ((bits >> i) & 1) != 0;
        if (b.data_at < 0)
            chip.set_pins_ns(true, true, false, bit, t + b.data_at);
        chip.set_pins_ns(true, true, true, b.data_at > 0 ? pgd : bit, t);
        if (b.data_at > 0)
            chip.set_pins_ns(true, true, true, bit, t + b.data_at);
        pgd = bit;
        chip.set_pins_ns(true, true, false, pgd, t + b.high);
        t += b.high + b.low;
    }
    chip.set_pins_ns(true, true, false, false, t);
    host.wait_us(t / 1000 + 2 - host.now());
    host.core(0x6EF5); // MOVWF TABLAT
    return host.read(0x2);
}

// Too short a clock phase is not an edge, and a bit whose PGD changes too close to its
// falling edge is taken as the other level; with the edge timing not modelled (timestamps
// from the host's own clock) none of it is checked.
TEST(ProgramMode, EdgeTimingRulesTakeEffect) {
    const int literal_bit_0 = 4; // the frame's bit that carries the literal's bit 0
    static const struct {
        const char* what;
        bool modelled;
        int odd;
        bit_timing timing;
        const char* error; // nullptr: none
        int read_back;     // -1: anything but the literal
    } rows[] = {
        {"PGD with the rising edge, 50 ns phases", true, 0, {}, nullptr, 0x59},
        {"P2B", true, literal_bit_0, {0, 39, 61}, "PGC high for 39 ns, needs 40 ns (P2B)", -1},
        {"P2A", true, literal_bit_0, {0, 61, 39}, "PGC low for 39 ns, needs 40 ns (P2A)", -1},
        {"P2", true, literal_bit_0, {0, 45, 45}, "PGC period 90 ns, needs 100 ns (P2)", -1},
        {"P5 on 2XXX", true, 3, {0, 60, 39}, "PGC low for 39 ns, needs 40 ns (P5)", -1},
        {"P3",
         true,
         literal_bit_0,
         {40, 50, 50},
         "PGD set up 10 ns before the falling PGC edge, needs 15 ns (P3): bit taken as 0",
         0x58},
        {"P4",
         true,
         literal_bit_0 + 1,
         {-40, 50, 50},
         "PGD changed 10 ns after the falling PGC edge, needs 15 ns (P4): bit taken as 0",
         0x58},
        {"not modelled", false, literal_bit_0, {0, 1, 1}, nullptr, 0x59},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        sim::virtual_chip chip = make_chip("18F4520");
        chip.set_edge_timing(row.modelled);
        icsp_host host(chip);
        host.power_up();
        const std::uint8_t read_back = timed_movlw(chip, host, 0x59, row.odd, row.timing);
        if (row.read_back < 0)
            EXPECT_NE(read_back, 0x59);
        else
            EXPECT_EQ(read_back, row.read_back);
        if (row.error == nullptr)
            EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
        else
            EXPECT_TRUE(has_error(chip, row.error));
    }
}

} // namespace
