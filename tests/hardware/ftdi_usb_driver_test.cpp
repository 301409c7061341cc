// The FTDI line driver through the unmodified libftdi1 and libusb on a board emulated under
// umockdev, with the strict virtual PIC18F4520 in its socket: the listing, selectors, the
// device ID and a programmed word read back within the FIFO limits, the chip left in
// bit-bang mode with the supplies off, and a failed transfer or an unplugged board.
#include "../support/ftdi_emulator.h"
#include "../support/serial_words.h"
#include "hardware/ftdi_adapter.h"
#include "hardware/port_lines.h"
#include "hardware/serial_transfer.h"
#include "hardware/virtual_chip_socket.h"
#include "sim/virtual_chip.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using namespace Module94;
using test_support::ftdi_chip_kind;
using test_support::ftdi_emulator;
using test_support::set_table_pointer;

// The device ID, then 0xBEEF programmed at 0x100 and read back, in one power cycle.
std::pair<std::int32_t, std::int32_t> identify_and_program() {
    power_up(1);
    set_table_pointer(0x3FFFFE);
    const std::int32_t id = read_byte(9) | read_byte(9) << 8;
    const std::int32_t word = test_support::program_and_read_word(0x0100, 0xBEEF, 100);
    power_down();
    return {id, word};
}

// Real time: the emulated chip's clock runs with its bytes, which no virtual sleep would reach.
class FTDIDriverOnEmulatedBoard : public ::testing::TestWithParam<ftdi_chip_kind> {
  protected:
    void SetUp() override { board.insert_chip(hardware::socket_virtual_chip(chip)); }
    void TearDown() override { hardware::install_line_driver(nullptr); }
    void use(const char* spec) {
        hardware::install_line_driver(hardware::open_ftdi_adapter(spec, {}));
        ASSERT_TRUE(hardware::port_ready())
            << hardware::failure_text(hardware::current_line_driver().status());
    }

    ftdi_emulator board{{.kind = GetParam()}};
    const std::string name = test_support::chip_name(GetParam());
    std::shared_ptr<sim::virtual_chip> chip =
        std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
};

TEST_P(FTDIDriverOnEmulatedBoard, SelectsTheBoardProgramsAndReadsBackWithinTheFifos) {
    const bool h = GetParam() == ftdi_chip_kind::ft232h;
    const std::pair<const char*, std::string> specs[] = {
        {"", ""},
        {"0", ""},
        {"1:2", ""},
        {"PW1A2B3C", ""},
        {h ? "0403:6014" : "0403:6001", ""},
        {"1", "no FTDI adapter matches ftdi:1 among the 1 seen"},
        {"1:2/B", "the " + name + " has channel A only"}};
    for (const auto& [spec, failure] : specs) {
        auto driver = hardware::open_ftdi_adapter(spec, {});
        const std::string text = hardware::failure_text(driver->status());
        EXPECT_NE(text.find(failure), std::string::npos) << spec << ": " << text;
        EXPECT_EQ(driver->is_ready(), failure.empty()) << spec;
        if (failure.empty()) {
            EXPECT_EQ(driver->description(), name + " PW1A2B3C (bus 1 device 2)") << spec;
        }
    }

    std::string error;
    const auto listed = hardware::enumerate_ftdi_devices(error);
    ASSERT_EQ(listed.size(), 1u) << error;
    EXPECT_EQ(hardware::ftdi_device_text(listed[0]),
              name + " serial PW1A2B3C, bus 1 device 2, 1 channel: can be opened");

    use("PW1A2B3C");
    const auto [id, word] = identify_and_program();
    EXPECT_EQ(id & 0xFFF0, 0x1080);
    EXPECT_EQ(word, 0xBEEF);
    EXPECT_TRUE(chip->protocol_errors().empty()) << chip->protocol_errors().front();
    hardware::install_line_driver(nullptr); // closes the board
    const auto state = board.snapshot();
    EXPECT_EQ(state.bit_mode, 0x04);
    EXPECT_EQ(state.latency_ms, 1);
    EXPECT_EQ(state.stalls, 0);
    EXPECT_LE(state.most_unread, h ? 1024u : 384u);
    EXPECT_EQ(board.levels(), hardware::ftdi_pin_board::chip_levels{});
}

// libftdi sends again what a failed bulk OUT did not deliver, so a run through a failed
// transfer either completes correctly or ends as port_lost, never with wrong data; an
// unplugged board always ends it.
TEST_P(FTDIDriverOnEmulatedBoard, AFailedTransferNeverCorruptsAndAnUnpluggedBoardIsPortLost) {
    for (const bool unplug : {false, true}) {
        use("");
        if (unplug)
            board.unplug_after(300);
        else
            board.fail_transfer_after(300, -EPIPE);
        const auto [id, word] = identify_and_program();
        const auto status = hardware::current_line_driver().status();
        const bool lost = status.code == hardware::port_error::port_lost;
        EXPECT_TRUE(lost || (!unplug && word == 0xBEEF && chip->protocol_errors().empty()))
            << unplug << " " << word;
        if (lost) {
            EXPECT_NE(word, 0xBEEF);
            EXPECT_NE(hardware::failure_text(status).find(
                          name + " PW1A2B3C (bus 1 device 2) failed while in use ("),
                      std::string::npos)
                << hardware::failure_text(status);
        }
        EXPECT_EQ(lost, unplug);
        EXPECT_FALSE(board.levels().vdd || board.levels().vpp) << unplug;
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, FTDIDriverOnEmulatedBoard,
                         ::testing::ValuesIn(test_support::ftdi_chip_kinds),
                         [](const auto& kind) { return test_support::chip_name(kind.param); });

TEST(FTDIDriverWithoutBoard, NamesTheFix) {
    ASSERT_TRUE(ftdi_emulator::in_mock_environment());
    const auto driver = hardware::open_ftdi_adapter("", {});
    EXPECT_EQ(hardware::failure_text(driver->status()),
              "cannot open ftdi: no such port (no FTDI adapter found: plug it in; "
              "`pinwright-cli ports` lists what is seen)");
}

} // namespace
