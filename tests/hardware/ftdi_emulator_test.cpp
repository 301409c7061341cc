// The emulated FT232R and FT232H through the unmodified libftdi1 and libusb: opening by
// serial number, the chip type libftdi detects, lagged read-back of the pins driving a
// chip, the byte time from the baud rate, the stall of a write larger than the FIFOs, and
// the errors of a failed transfer and of a board that disappears.
#include "../support/ftdi_emulator.h"
#include "fake_chip.h"

#include <gtest/gtest.h>
#include <libftdi1/ftdi.h>

#include <cerrno>
#include <vector>

namespace {

using test_support::ftdi_chip_kind;
using bytes = std::vector<std::uint8_t>;

// Default wiring: CLOCK D0, DATA OUT D1, DATA IN D3, VDD D5, VPP D6.
constexpr std::uint8_t clock = 0x01, data_out = 0x02, data_in = 0x08, vdd = 0x20, vpp = 0x40;
constexpr std::uint8_t outputs = clock | data_out | vdd | vpp;
// The inputs other than DATA IN read high.
constexpr std::uint8_t floating = static_cast<std::uint8_t>(~outputs & ~data_in);

class FTDIEmulator : public ::testing::TestWithParam<ftdi_chip_kind> {
  protected:
    void SetUp() override {
        board.insert_chip(std::make_unique<hardware_test::fake_chip>(chip));
        ASSERT_EQ(ftdi_usb_open_desc(ftdi, 0x0403, board.product_id(), nullptr,
                                     board.setup().serial.c_str()),
                  0)
            << ftdi_get_error_string(ftdi);
        ASSERT_EQ(ftdi_set_bitmode(ftdi, outputs, BITMODE_SYNCBB), 0);
        ASSERT_EQ(ftdi_set_baudrate(ftdi, 100000), 0);
        ASSERT_EQ(ftdi_set_latency_timer(ftdi, 1), 0);
    }
    void TearDown() override { ftdi_free(ftdi); } // closes the device

    int write(const bytes& out) { return ftdi_write_data(ftdi, out.data(), int(out.size())); }
    bytes read(std::size_t count) {
        bytes got(count);
        std::size_t have = 0;
        for (int tries = 0, n = 0; have < count && tries < 100 && n >= 0; ++tries) {
            n = ftdi_read_data(ftdi, got.data() + have, static_cast<int>(count - have));
            have += static_cast<std::size_t>(std::max(n, 0));
        }
        got.resize(have);
        return got;
    }

    hardware_test::fake_chip_state chip;
    test_support::ftdi_emulator board{{.kind = GetParam()}};
    ftdi_context* ftdi = ftdi_new();
};

TEST_P(FTDIEmulator, LibftdiSeesTheChipAndReadsThePinsOneByteLate) {
    const bool h = GetParam() == ftdi_chip_kind::ft232h;
    EXPECT_EQ(ftdi->type, h ? TYPE_232H : TYPE_R);
    EXPECT_EQ(ftdi->max_packet_size, h ? 512u : 64u);
    const auto state = board.snapshot();
    EXPECT_EQ(state.bit_mode, BITMODE_SYNCBB);
    EXPECT_EQ(state.direction, outputs);
    EXPECT_EQ(state.step_ns, 10000); // 100 000 bytes a second after the bit mode is on
    EXPECT_EQ(state.latency_ms, 1);
    EXPECT_TRUE(chip.edge_timing);

    // Power up, clock a 1 and a 0, then let the chip drive PGD high with DATA OUT low. Each
    // byte reads the pins before it (the latch cleared by the mode change first); DATA IN
    // follows DATA OUT while the chip does not drive.
    const std::uint8_t on = vdd | vpp;
    ASSERT_EQ(write({0, vdd, on, on | data_out, on | data_out | clock, on | clock, on}), 7);
    EXPECT_EQ(read(7), (bytes{floating, floating, vdd | floating, on | floating,
                              on | data_out | data_in | floating,
                              on | data_out | clock | data_in | floating, on | clock | floating}));
    const auto& last = chip.changes.back();
    EXPECT_TRUE(last.vdd && last.vpp && !last.pgc && !last.pgd);
    const auto& clocked = chip.changes[chip.changes.size() - 3];
    EXPECT_TRUE(clocked.pgc && clocked.pgd);
    EXPECT_EQ(last.time_ns - clocked.time_ns, 2 * 10000);

    chip.drive = true;
    unsigned char pins = 0;
    ASSERT_EQ(ftdi_read_pins(ftdi, &pins), 0);
    EXPECT_EQ(pins, on | floating | data_in);
}

TEST_P(FTDIEmulator, AWriteBeyondTheFifosStallsUntilTheHostReads) {
    const std::size_t fifos = GetParam() == ftdi_chip_kind::ft232h ? 2048 : 384;
    ftdi->usb_write_timeout = 200;
    EXPECT_EQ(write(bytes(fifos, vdd)), static_cast<int>(fifos));
    EXPECT_EQ(board.snapshot().stalls, 0);
    EXPECT_EQ(read(fifos).size(), fifos);

    // With a read in flight the host drains the read-back while it writes.
    bytes many(3 * fifos, vdd), back(3 * fifos);
    ftdi_transfer_control* reading = ftdi_read_data_submit(ftdi, back.data(), int(back.size()));
    ftdi_transfer_control* writing = ftdi_write_data_submit(ftdi, many.data(), int(many.size()));
    EXPECT_EQ(ftdi_transfer_data_done(writing), int(many.size()));
    EXPECT_EQ(ftdi_transfer_data_done(reading), int(back.size()));
    EXPECT_EQ(back.back(), vdd | floating);

    const std::int64_t stalls = board.snapshot().stalls;
    EXPECT_LT(write(bytes(fifos + 1, vdd)), 0);
    EXPECT_EQ(board.snapshot().stalls, stalls + 1);
    EXPECT_EQ(board.snapshot().most_unread, fifos);
}

TEST_P(FTDIEmulator, AFailedTransferAndALostBoardAreErrors) {
    board.fail_transfer_after(50, -EPIPE);
    EXPECT_LT(write(bytes(100, vdd)), 0);
    read(50);
    EXPECT_EQ(write(bytes(100, vdd)), 100) << "the fault is one transfer";
    read(100);

    board.fail_transfer_after(10, -EIO);
    EXPECT_LT(write(bytes(20, vdd)), 0);
    read(10);

    board.unplug_after(30);
    EXPECT_LT(write(bytes(60, vdd | vpp)), 0);
    EXPECT_TRUE(board.unplugged());
    EXPECT_EQ(board.levels(), hardware::ftdi_pin_board::chip_levels{}) << "supplies off";
    unsigned char pins = 0;
    EXPECT_LT(ftdi_read_pins(ftdi, &pins), 0);
    EXPECT_LT(write({0}), 0);
}

INSTANTIATE_TEST_SUITE_P(Chips, FTDIEmulator, ::testing::ValuesIn(test_support::ftdi_chip_kinds),
                         [](const auto& kind) { return test_support::chip_name(kind.param); });

} // namespace
