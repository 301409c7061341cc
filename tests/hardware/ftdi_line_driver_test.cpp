// The FTDI line driver on the simulated board: queued states reach the chip in order,
// samples read DATA IN after their state, holds are padded or slept, the queue flushes by
// itself at its limits, a lost board stops everything; and the selectors of ftdi:SPEC.
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "fake_chip.h"
#include "hardware/ftdi_adapter.h"
#include "hardware/ftdi_board_transport.h"

#include <gtest/gtest.h>

namespace {

using hardware::line_levels;
using hardware_test::fake_chip;

class FtdiDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        core::host_hooks hooks;
        clock.attach(hooks);
        core::install_hooks(hooks);
    }
    void TearDown() override { core::install_hooks(core::default_hooks()); }
    std::unique_ptr<hardware::line_driver> open(hardware::simulated_ftdi_board board = {},
                                                settings::ftdi_wiring wiring = {}) {
        return hardware::open_simulated_ftdi_adapter(std::make_unique<fake_chip>(chip), wiring,
                                                     board);
    }

    core::virtual_clock clock;
    hardware_test::fake_chip_state chip;
};

TEST_F(FtdiDriver, StatesQueueUntilAValueIsNeededAndSamplesReadTheFollowingState) {
    auto driver = open();
    ASSERT_TRUE(driver->is_ready()) << hardware::failure_text(driver->status());
    EXPECT_TRUE(driver->capabilities().queued && driver->capabilities().fast_clocking);
    chip.changes.clear();
    driver->stage({.vdd = true});
    driver->stage({.vdd = true, .clock = true, .data_out = true});
    const auto high = driver->sample();
    driver->stage({.vdd = true, .data_out = false});
    const auto low = driver->sample();
    EXPECT_TRUE(chip.changes.empty());
    EXPECT_FALSE(driver->ready(high));
    EXPECT_TRUE(driver->value(high)); // DATA IN sees DATA OUT while the chip does not drive
    EXPECT_TRUE(driver->ready(low) && !driver->value(low));
    ASSERT_EQ(chip.changes.size(), 3u);
    EXPECT_TRUE(chip.changes[1].vdd && chip.changes[1].pgc && chip.changes[1].pgd);
    EXPECT_TRUE(chip.changes[2].vdd && !chip.changes[2].pgc && !chip.changes[2].pgd);
    EXPECT_EQ(chip.changes[1].time_ns - chip.changes[0].time_ns, 333);

    chip.drive = true;
    const auto driven = driver->sample();
    EXPECT_TRUE(driver->value(driven));
    driver->close();
    EXPECT_FALSE(chip.changes.back().vdd || chip.changes.back().vpp || chip.changes.back().pgc);
    EXPECT_FALSE(driver->value(driver->sample())); // closed: nothing to read
}

TEST_F(FtdiDriver, ShortHoldsArePaddedLongOnesSleptAndLongQueuesFlushThemselves) {
    auto driver = open();
    chip.changes.clear();
    const struct {
        std::int64_t us;
        bool flushes;
    } holds[] = {{100, false}, {127, false}, {128, true}, {5000, true}};
    for (const auto& hold : holds) {
        const auto before = chip.changes.size();
        driver->stage({.clock = true});
        driver->hold_us(hold.us);
        EXPECT_EQ(chip.changes.size() > before, hold.flushes) << hold.us;
        driver->stage({});
        driver->flush();
        const auto& end = chip.changes.back();
        const auto& start = chip.changes[chip.changes.size() - 2];
        EXPECT_TRUE(start.pgc && !end.pgc) << hold.us;
        EXPECT_GE(end.time_ns - start.time_ns, hold.us * 1000) << hold.us;
    }
    chip.changes.clear();
    for (int k = 0; k < 80'000 && chip.changes.empty(); ++k)
        driver->stage({.clock = k % 2 == 0});
    // About 60 000 states are 100 ms on the full-speed bus.
    EXPECT_NEAR(static_cast<double>(chip.changes.size()), 60'000, 2'000);
}

TEST_F(FtdiDriver, ALostBoardStopsSendingAndReadsFalse) {
    auto driver = open({.lost_after_bytes = 10});
    ASSERT_TRUE(driver->is_ready());
    chip.drive = true;
    for (int k = 0; k < 20; ++k)
        driver->stage({.vdd = true, .clock = k % 2 == 1});
    const auto ticket = driver->sample();
    EXPECT_FALSE(driver->value(ticket));
    EXPECT_EQ(driver->status().code, hardware::port_error::port_lost);
    EXPECT_EQ(hardware::failure_text(driver->status()),
              "simulated FT232R board failed while in use (writing the pin states: "
              "LIBUSB_ERROR_NO_DEVICE (the board is gone))");
    const auto seen = chip.changes.size();
    const auto lost_at = clock.now_us();
    driver->stage({.vpp = true});
    driver->hold_ms(50);
    EXPECT_EQ(clock.now_us(), lost_at);
    EXPECT_FALSE(driver->value(driver->sample()));
    EXPECT_EQ(chip.changes.size(), seen);
}

TEST_F(FtdiDriver, WiringThatCannotDriveTheLinesIsRefused) {
    settings::ftdi_wiring wiring;
    wiring.data_out.bit = 0;
    auto driver = open({}, wiring);
    EXPECT_EQ(hardware::failure_text(driver->status()),
              "cannot open simulated FTDI board: not supported (the FTDI wiring cannot drive "
              "the lines: CLOCK and DATA OUT are both on D0 (TXD) (give each line its own "
              "pin); correct it in Hardware Settings)");
}

TEST(FtdiSpec, SelectorsAndChannels) {
    using by = hardware::ftdi_selector::by;
    const struct {
        const char* spec;
        hardware::ftdi_selector selector;
    } rows[] = {
        {"", {}},
        {"0", {.kind = by::index}},
        {"12", {.kind = by::index, .index = 12}},
        {"1:5", {.kind = by::bus_device, .bus = 1, .device = 5}},
        {"001:005/b", {.kind = by::bus_device, .bus = 1, .device = 5, .channel = 1}},
        {"0403:6014", {.kind = by::vid_pid, .vendor = 0x0403, .product = 0x6014}},
        {"A1B2C3", {.kind = by::serial, .serial = "A1B2C3"}},
        {"FT4R2X/D", {.kind = by::serial, .serial = "FT4R2X", .channel = 3}},
        {"/C", {.channel = 2}},
    };
    for (const auto& r : rows) {
        std::string error;
        const auto selector = hardware::parse_ftdi_spec(r.spec, error);
        ASSERT_TRUE(selector) << r.spec << ": " << error;
        EXPECT_EQ(*selector, r.selector) << r.spec;
    }
    const std::pair<const char*, const char*> bad[] = {
        {"1:0", "\"1:0\" is neither a bus and device number"},
        {"0403:601", "\"0403:601\" is neither"},
        {"256:1", "is neither"},
        {"A1/E", "the channel after / must be A, B, C or D"},
        {"A1/AB", "the channel after / must be"},
        {"1000", "the index 1000 is too large"},
    };
    for (const auto& [spec, text] : bad) {
        std::string error;
        EXPECT_FALSE(hardware::parse_ftdi_spec(spec, error)) << spec;
        EXPECT_NE(error.find(text), std::string::npos) << error;
        EXPECT_NE(error.find("ftdi:VID:PID (0403:6014)"), std::string::npos) << error;
    }
}

} // namespace
