// The emulated FT232R and FT232H through the unmodified libftdi1 and libusb: opening by
// serial number, the chip type libftdi detects, lagged read-back of the pins driving a
// chip, the byte time from the baud rate, the stall of a write larger than the FIFOs, and
// the errors of a failed transfer and of a board that disappears.
#include "../support/ftdi_emulator.h"
#include "fake_chip.h"
#include "hardware/virtual_chip_socket.h"
#include "sim/virtual_chip.h"

#include <gtest/gtest.h>
#include <libftdi1/ftdi.h>

#include <cerrno>
#include <vector>

namespace {

using test_support::ftdi_chip_kind;
using test_support::ftdi_emulator;

// Default wiring: CLOCK D0, DATA OUT D1, DATA IN D3, VDD D5, VPP D6.
constexpr std::uint8_t clock = 0x01, data_out = 0x02, data_in = 0x08, vdd = 0x20, vpp = 0x40;
constexpr std::uint8_t outputs = clock | data_out | vdd | vpp;
// The inputs other than DATA IN read high.
constexpr std::uint8_t floating = static_cast<std::uint8_t>(~outputs & ~data_in);

class FTDIEmulator : public ::testing::TestWithParam<ftdi_chip_kind> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ftdi_emulator::in_mock_environment())
            << "run this test under umockdev-wrapper (umockdev's preload library)";
        board = std::make_unique<ftdi_emulator>(test_support::ftdi_board_setup{.kind = GetParam()});
        board->insert_chip(std::make_unique<hardware_test::fake_chip>(chip));
        ftdi = ftdi_new();
        ASSERT_EQ(ftdi_usb_open_desc(ftdi, 0x0403, board->product_id(), nullptr,
                                     board->setup().serial.c_str()),
                  0)
            << ftdi_get_error_string(ftdi);
        ASSERT_EQ(ftdi_set_bitmode(ftdi, outputs, BITMODE_SYNCBB), 0);
        ASSERT_EQ(ftdi_set_baudrate(ftdi, 100000), 0);
        ASSERT_EQ(ftdi_set_latency_timer(ftdi, 1), 0);
    }
    void TearDown() override {
        if (ftdi != nullptr) {
            ftdi_usb_close(ftdi);
            ftdi_free(ftdi);
        }
    }

    int write(const std::vector<std::uint8_t>& bytes) {
        return ftdi_write_data(ftdi, bytes.data(), static_cast<int>(bytes.size()));
    }
    std::vector<std::uint8_t> read(std::size_t count) {
        std::vector<std::uint8_t> got(count);
        std::size_t have = 0;
        for (int tries = 0; have < count && tries < 100; ++tries) {
            const int n = ftdi_read_data(ftdi, got.data() + have, static_cast<int>(count - have));
            if (n < 0)
                break;
            have += static_cast<std::size_t>(n);
        }
        got.resize(have);
        return got;
    }

    hardware_test::fake_chip_state chip;
    std::unique_ptr<ftdi_emulator> board;
    ftdi_context* ftdi = nullptr;
};

TEST_P(FTDIEmulator, LibftdiSeesTheChipAndReadsThePinsOneByteLate) {
    const bool h = GetParam() == ftdi_chip_kind::ft232h;
    EXPECT_EQ(ftdi->type, h ? TYPE_232H : TYPE_R);
    EXPECT_EQ(ftdi->max_packet_size, h ? 512u : 64u);
    const auto state = board->snapshot();
    EXPECT_EQ(state.bit_mode, BITMODE_SYNCBB);
    EXPECT_EQ(state.direction, outputs);
    EXPECT_EQ(state.step_ns, 10000); // 100 000 bytes a second after the bit mode is on
    EXPECT_EQ(state.latency_ms, 1);
    EXPECT_TRUE(chip.edge_timing);

    // Power up, clock a 1 and a 0, then let the chip drive PGD high with DATA OUT low.
    const std::vector<std::uint8_t> bytes{0,
                                          vdd,
                                          vdd | vpp,
                                          vdd | vpp | data_out,
                                          vdd | vpp | data_out | clock,
                                          vdd | vpp | clock,
                                          vdd | vpp};
    ASSERT_EQ(write(bytes), static_cast<int>(bytes.size()));
    const std::vector<std::uint8_t> back = read(bytes.size());
    ASSERT_EQ(back.size(), bytes.size());
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        const std::uint8_t pgd = (bytes[i - 1] & data_out) != 0 ? data_in : 0;
        EXPECT_EQ(back[i], bytes[i - 1] | floating | pgd) << "byte " << i;
    }
    const auto& last = chip.changes.back();
    EXPECT_TRUE(last.vdd && last.vpp && !last.pgc && !last.pgd);
    const auto& clocked = chip.changes[chip.changes.size() - 3];
    EXPECT_TRUE(clocked.pgc && clocked.pgd);
    EXPECT_EQ(last.time_ns - clocked.time_ns, 2 * 10000);

    chip.drive = true;
    unsigned char pins = 0;
    ASSERT_EQ(ftdi_read_pins(ftdi, &pins), 0);
    EXPECT_EQ(pins, vdd | vpp | floating | data_in);
}

TEST_P(FTDIEmulator, AWriteBeyondTheFifosStallsUntilTheHostReads) {
    const std::size_t fifos = GetParam() == ftdi_chip_kind::ft232h ? 2048 : 384;
    ftdi->usb_write_timeout = 200;
    EXPECT_EQ(write(std::vector<std::uint8_t>(fifos, vdd)), static_cast<int>(fifos));
    EXPECT_EQ(board->snapshot().stalls, 0);
    EXPECT_EQ(read(fifos).size(), fifos);

    // With a read in flight the host drains the read-back while it writes.
    std::vector<std::uint8_t> many(3 * fifos, vdd), back(3 * fifos);
    ftdi_transfer_control* reading = ftdi_read_data_submit(ftdi, back.data(), int(back.size()));
    ftdi_transfer_control* writing = ftdi_write_data_submit(ftdi, many.data(), int(many.size()));
    EXPECT_EQ(ftdi_transfer_data_done(writing), int(many.size()));
    EXPECT_EQ(ftdi_transfer_data_done(reading), int(back.size()));
    EXPECT_EQ(back.back(), vdd | floating);

    const std::int64_t stalls = board->snapshot().stalls;
    EXPECT_LT(write(std::vector<std::uint8_t>(fifos + 1, vdd)), 0);
    EXPECT_EQ(board->snapshot().stalls, stalls + 1);
    EXPECT_EQ(board->snapshot().most_unread, fifos);
}

TEST_P(FTDIEmulator, AFailedTransferAndALostBoardAreErrors) {
    board->fail_transfer_after(50, -EPIPE);
    EXPECT_LT(write(std::vector<std::uint8_t>(100, vdd)), 0);
    read(50);
    EXPECT_EQ(write(std::vector<std::uint8_t>(100, vdd)), 100) << "the fault is one transfer";
    read(100);

    board->fail_transfer_after(10, -EIO);
    EXPECT_LT(write(std::vector<std::uint8_t>(20, vdd)), 0);
    read(10);

    board->unplug_after(30);
    EXPECT_LT(write(std::vector<std::uint8_t>(60, vdd | vpp)), 0);
    EXPECT_TRUE(board->unplugged());
    EXPECT_EQ(board->levels(), hardware::ftdi_pin_board::chip_levels{}) << "supplies off";
    unsigned char pins = 0;
    EXPECT_LT(ftdi_read_pins(ftdi, &pins), 0);
    EXPECT_LT(write({0}), 0);
}

// One bit of a frame is two bytes, CLOCK high with the data, then CLOCK low; the chip's
// output is the read-back of the second byte, the pins as they were while CLOCK was high.
void add_bits(std::vector<std::uint8_t>& out, unsigned value, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint8_t data = ((value >> i) & 1) != 0 ? data_out : 0;
        out.push_back(vdd | vpp | clock | data);
        out.push_back(vdd | vpp | data);
    }
}

TEST_P(FTDIEmulator, AVirtualChipAnswersItsDeviceIdThroughLibftdi) {
    const auto pic = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
    board->insert_chip(hardware::socket_virtual_chip(pic));
    std::vector<std::uint8_t> bytes{0, vdd};
    bytes.insert(bytes.end(), 20, vdd | vpp); // 200 us of P12 before the first clock
    // TBLPTR = 3FFFFEh by core instructions, then two table reads with post-increment.
    for (const unsigned instruction : {0x0E3Fu, 0x6EF8u, 0x0EFFu, 0x6EF7u, 0x0EFEu, 0x6EF6u}) {
        add_bits(bytes, 0x0, 4);
        add_bits(bytes, instruction, 16);
    }
    const std::size_t reads_at = bytes.size();
    for (int i = 0; i < 2; ++i) {
        add_bits(bytes, 0x9, 4);
        add_bits(bytes, 0, 16);
    }
    bytes.insert(bytes.end(), {vdd, 0});

    std::vector<std::uint8_t> back;
    for (std::size_t at = 0; at < bytes.size(); at += 128) { // within the FIFOs
        const std::vector<std::uint8_t> chunk(
            bytes.begin() + static_cast<long>(at),
            bytes.begin() + static_cast<long>(std::min(bytes.size(), at + 128)));
        ASSERT_EQ(write(chunk), static_cast<int>(chunk.size()));
        const std::vector<std::uint8_t> got = read(chunk.size());
        back.insert(back.end(), got.begin(), got.end());
    }
    ASSERT_EQ(back.size(), bytes.size());
    unsigned id = 0; // clocks 13-20 of each read frame carry the byte
    for (unsigned bit = 0; bit < 16; ++bit) {
        if ((back[reads_at + 40 * (bit / 8) + 2 * (12 + bit % 8) + 1] & data_in) != 0)
            id |= 1u << bit;
    }
    EXPECT_EQ(id & 0xFFE0, pic->part().device_id) << std::hex << id;
    EXPECT_TRUE(pic->protocol_errors().empty()) << pic->protocol_errors().front();
    EXPECT_FALSE(pic->in_program_mode());
}

INSTANTIATE_TEST_SUITE_P(Chips, FTDIEmulator,
                         ::testing::Values(ftdi_chip_kind::ft232r, ftdi_chip_kind::ft232h),
                         [](const auto& chip_kind) {
                             return chip_kind.param == ftdi_chip_kind::ft232h ? "FT232H" : "FT232R";
                         });

} // namespace
