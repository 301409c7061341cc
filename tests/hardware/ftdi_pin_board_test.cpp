// The FTDI pin board with a scripted chip: which chip pins the bit-bang pins reach through
// the wiring (inversion, unconnected and floating supplies), what the input pins read, and
// the byte times of a batch.
#include "fake_chip.h"
#include "hardware/ftdi_pin_board.h"

#include <gtest/gtest.h>

namespace {

using hardware::ftdi_pin_board;
using levels = ftdi_pin_board::chip_levels;

TEST(FTDIPinBoard, LinesReachTheChipThroughTheWiring) {
    // {VDD, VPP} wiring, direction, latch, what the chip sees.
    static const struct {
        settings::ftdi_line vdd, vpp;
        std::uint8_t direction, latch;
        levels expected;
    } rows[] = {
        {{5, false}, {6, false}, 0xFF, 0x63, {true, true, true, true}},
        {{5, true}, {6, true}, 0xFF, 0x03, {true, true, true, true}},
        {{5, true}, {6, true}, 0x00, 0x00, {false, false, false, false}}, // floating: off
        {{-1, false}, {-1, false}, 0xFF, 0x00, {true, false, false, false}},
        {{-1, true}, {-1, true}, 0xFF, 0xFF, {true, false, true, true}},
        {{2, false}, {4, false}, 0x07, 0x17, {true, false, true, true}},
    };
    for (const auto& row : rows) {
        hardware_test::fake_chip_state chip;
        ftdi_pin_board board(std::make_unique<hardware_test::fake_chip>(chip),
                             {row.vdd, row.vpp, {0, false}, {1, false}, {3, false}}, 0);
        board.set_direction(row.direction);
        board.set_latch(row.latch);
        EXPECT_EQ(board.levels(), row.expected)
            << "VDD on " << row.vdd.bit << ", direction " << int(row.direction) << ", latch "
            << int(row.latch);
        EXPECT_FALSE(chip.edge_timing);
    }
}

TEST(FTDIPinBoard, InputsReadPgdOnDataInAndHighElsewhere) {
    hardware_test::fake_chip_state chip;
    settings::ftdi_wiring wiring;
    wiring.data_in.inverted = true;
    ftdi_pin_board board(std::make_unique<hardware_test::fake_chip>(chip), wiring, 0);
    board.set_direction(0x63);
    board.set_latch(0x02); // DATA OUT high, the other outputs low
    EXPECT_EQ(board.read_pins(0), 0x96) << "DATA OUT through the resistor, inverted";
    chip.drive = false;
    EXPECT_EQ(board.read_pins(0), 0x9E) << "the chip drives low, inverted";
    board.set_direction(0x6B); // DATA IN made an output reads back its latch
    EXPECT_EQ(board.read_pins(0), 0x96);
}

TEST(FTDIPinBoard, BytesAreAppliedOneStepApartAfterThePreviousBatch) {
    hardware_test::fake_chip_state chip;
    ftdi_pin_board board(std::make_unique<hardware_test::fake_chip>(chip), {}, 500);
    EXPECT_TRUE(chip.edge_timing);
    board.set_direction(0xFF);
    const std::uint8_t first[] = {0x01, 0x00, 0x01};
    EXPECT_EQ(board.clock_out(first, 1000), (std::vector<std::uint8_t>{0x00, 0x01, 0x00}));
    const std::uint8_t second[] = {0x00};
    EXPECT_EQ(board.clock_out(second, 1200), (std::vector<std::uint8_t>{0x01}));
    EXPECT_EQ(board.batch_end_ns(), 3000);
    std::vector<std::int64_t> times;
    for (const auto& change : chip.changes)
        times.push_back(change.time_ns);
    EXPECT_EQ(times, (std::vector<std::int64_t>{0, 1000, 1500, 2000, 2500}));
}

} // namespace
