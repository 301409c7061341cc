// End to end through the simulated adapter with a virtual PIC18F4520: power up, load the
// table pointer with core instructions, read DEVID and FLASH, program a word at each port
// speed; mismatched settings or wiring silence the chip; a trace file records the run and
// the virtual time matches it; the same chip on a simulated FTDI board.
#include "../support/serial_words.h"
#include "hardware/ftdi_board_transport.h"
#include "hardware/port_selection.h"
#include "hardware/port_trace.h"
#include "hardware/simulated_adapter.h"
#include "hardware/virtual_chip_socket.h"
#include "hardware_test_support.h"
#include "sim/virtual_chip.h"

#include <filesystem>
#include <fstream>

namespace {

using hardware::adapter_wiring;
using namespace Module94;
using test_support::set_table_pointer;

std::int32_t read_device_id() {
    power_up(1);
    set_table_pointer(0x3FFFFE);
    const std::int32_t devid1 = read_byte(9); // TBLRD*+
    const std::int32_t devid2 = read_byte(9);
    power_down();
    return devid2 << 8 | devid1;
}

// "W 0378 0C" or "R 0379 7F": kind, four-digit register address, two upper-case digits.
bool is_access_line(const std::string& line) {
    const auto upper_hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    return line.size() == 9 && (line[0] == 'W' || line[0] == 'R') && line[1] == ' ' &&
           (line.compare(2, 4, "0378") == 0 || line.compare(2, 4, "0379") == 0 ||
            line.compare(2, 4, "037A") == 0) &&
           line[6] == ' ' && upper_hex(line[7]) && upper_hex(line[8]);
}

class SimulatedChip : public hardware_test::hardware_fixture {
  protected:
    void SetUp() override {
        hardware_fixture::SetUp();
        use_wiring({});
    }
    void use_wiring(const adapter_wiring& wiring) {
        chip = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
        auto made = std::make_unique<hardware::simulated_adapter>(
            888, hardware::socket_virtual_chip(chip), wiring);
        made->open();
        adapter = made.get();
        hardware::install_port_backend(std::move(made));
        set_lines_idle();
    }
    std::string chip_errors() const {
        std::string all;
        for (const std::string& e : chip->protocol_errors())
            all += e + "\n";
        return all;
    }
    std::shared_ptr<sim::virtual_chip> chip;
    hardware::simulated_adapter* adapter = nullptr;
};

TEST_F(SimulatedChip, DeviceIdAndFlashReadBackWithTheDefaultWiring) {
    const std::int32_t devid = read_device_id();
    EXPECT_EQ(devid & 0xFFF0, 0x1080) << std::hex << devid;
    EXPECT_FALSE(chip->in_program_mode());

    const std::uint8_t bytes[] = {0x12, 0x34, 0xA5, 0x00, 0xFF, 0x80};
    std::copy(std::begin(bytes), std::end(bytes), chip->flash().begin() + 0x1FFE);
    power_up(1);
    EXPECT_TRUE(chip->in_program_mode());
    set_table_pointer(0x1FFE);
    for (const std::uint8_t expected : bytes)
        EXPECT_EQ(read_byte(9), expected);
    power_down();
    EXPECT_TRUE(chip->protocol_errors().empty()) << chip_errors();
}

// One word programmed into FLASH and read back by the line procedures: at the default cost
// per port access, at no cost (the host's own clock, where edge timing is not checked),
// and at a speed no port reaches, where the chip misses clock edges and nothing arrives.
TEST_F(SimulatedChip, CodeWordWrittenAndReadBackAtEachPortSpeed) {
    // Fast port access has two accesses per clock phase where the default has three or
    // more: 30 ns is enough for the default and too fast for it. With CLOCK or DATA OUT on
    // the control register a fast bit takes two registers, still in a safe order.
    static const struct {
        std::int64_t access_ns;
        bool fast;
        bool succeeds;
        std::int32_t clock_pin = 3, dataout_pin = 2;
    } speeds[] = {{1000, false, true},      {0, false, true},  {5, false, false},
                  {1000, true, true},       {30, false, true}, {30, true, false},
                  {50, true, true},         {0, true, true},   {1000, true, true, 1},
                  {1000, true, true, 3, 14}};
    for (const auto& speed : speeds) {
        SCOPED_TRACE(std::to_string(speed.access_ns) + (speed.fast ? " ns fast" : " ns") +
                     ", CLOCK on " + std::to_string(speed.clock_pin) + ", DATA OUT on " +
                     std::to_string(speed.dataout_pin));
        adapter_wiring wiring;
        wiring.clock.pin = port_settings.pin_clock = speed.clock_pin;
        wiring.dataout.pin = port_settings.pin_dataout = speed.dataout_pin;
        use_wiring(wiring);
        chip->clear_protocol_errors();
        Module94::port_pacing.fast = speed.fast;
        adapter->set_access_cost_ns(speed.access_ns);
        power_up(1);
        const std::int32_t word = test_support::program_and_read_word(0x0100, 0xBEEF, 1000);
        power_down();
        EXPECT_EQ(chip->flash()[0x100] == 0xEF && chip->flash()[0x101] == 0xBE, speed.succeeds);
        EXPECT_EQ(word == 0xBEEF, speed.succeeds) << std::hex << word;
        if (speed.succeeds)
            EXPECT_TRUE(chip->protocol_errors().empty()) << chip_errors();
        else
            EXPECT_NE(chip_errors().find(", needs 40 ns (P2"), std::string::npos) << chip_errors();
    }
}

TEST_F(SimulatedChip, MismatchedSettingsOrWiringSilenceTheChip) {
    const std::int32_t real_id = read_device_id();
    adapter_wiring datain_on_11;
    datain_on_11.datain.pin = 11;
    const struct {
        const char* name;
        std::int32_t port_settings_record::*field;
        std::int32_t value;
        adapter_wiring wiring;
        std::int32_t expected;
    } scenarios[] = {
        {"DATA IN on pin 12", &port_settings_record::pin_datain, 12, {}, 0x0000},
        {"adapter DATA IN on pin 11", &port_settings_record::pin_datain, 10, datain_on_11, 0},
        {"CLOCK not inverted", &port_settings_record::invert_clock, 0, {}, 0xFFFF},
        {"DATA OUT not inverted", &port_settings_record::invert_dataout, 0, {}, 0x0000},
        {"VDD on pin 6", &port_settings_record::pin_vdd, 6, {}, 0xFFFF},
        {"DATA IN not inverted", &port_settings_record::invert_datain, 0, {}, ~real_id & 0xFFFF},
    };
    for (const auto& sc : scenarios) {
        port_settings = {};
        port_settings.*sc.field = sc.value;
        use_wiring(sc.wiring);
        EXPECT_EQ(read_device_id(), sc.expected) << sc.name;
    }
}

TEST_F(SimulatedChip, TraceFileRecordsTheRunAndVirtualTimeMatchesIt) {
    const auto path = std::filesystem::temp_directory_path() / "pinwright-sim-trace.txt";
    auto traced = hardware::trace_port_to_file(
        hardware::open_port_backend(888, hardware::port_mode::simulated), path.string());
    ASSERT_TRUE(traced.backend->is_ready() && traced.failure.ok())
        << hardware::failure_text(traced.failure);
    EXPECT_NE(traced.backend->description().find("PIC18F4520"), std::string::npos);
    hardware::install_port_backend(std::move(traced.backend));
    const std::int64_t start = clock.now_us();
    set_lines_idle();
    EXPECT_EQ(read_device_id() & 0xFFF0, 0x1080);
    const std::int64_t duration = clock.now_us() - start;
    hardware::install_port_backend(nullptr);

    std::ifstream file(path);
    int writes = 0, reads = 0, waits = 0;
    for (std::string line; std::getline(file, line);) {
        if (line == "S 50")
            ++waits;
        else if (is_access_line(line))
            ++(line[0] == 'W' ? writes : reads);
        else
            ADD_FAILURE() << "unexpected trace line: " << line;
    }
    std::filesystem::remove(path);
    EXPECT_EQ(waits, 4);
    EXPECT_EQ(writes, 2 * reads);
    EXPECT_EQ(duration, 4 * 50000 + writes + reads) << "1 us per access plus the power steps";
}

// The FTDI driver's queued stream on a simulated FT232R board, against the strict chip:
// device ID and a programmed word read back, with board and settings wired alike (also
// with inverted lines on other pins), and silence when the settings put DATA IN elsewhere.
TEST_F(SimulatedChip, FtdiBoardReadsTheIdAndProgramsAWord) {
    settings::ftdi_wiring moved;
    moved.vpp = {2, true};
    moved.clock = {4, true};
    moved.data_in = {7, true};
    settings::ftdi_wiring datain_elsewhere;
    datain_elsewhere.data_in.bit = 7;
    const struct {
        const char* name;
        settings::ftdi_wiring board, program;
        bool answers;
    } rows[] = {{"default wiring", {}, {}, true},
                {"moved and inverted", moved, moved, true},
                {"settings read DATA IN on D7", {}, datain_elsewhere, false}};
    for (const auto& r : rows) {
        chip = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
        hardware::install_line_driver(hardware::open_simulated_ftdi_adapter(
            hardware::socket_virtual_chip(chip), r.program, {.wiring = r.board}));
        EXPECT_EQ((read_device_id() & 0xFFF0) == 0x1080, r.answers) << r.name;
        power_up(1);
        const std::int32_t word = test_support::program_and_read_word(0x0100, 0xBEEF, 100);
        power_down();
        EXPECT_EQ(chip->flash()[0x100] == 0xEF && chip->flash()[0x101] == 0xBE, true) << r.name;
        EXPECT_EQ(word == 0xBEEF, r.answers) << r.name;
        EXPECT_TRUE(chip->protocol_errors().empty()) << r.name << chip_errors();
    }
    hardware::install_line_driver(nullptr);
}

} // namespace
