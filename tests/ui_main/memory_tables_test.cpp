// The arithmetic of the main window without drawing: table lines, scroll maxima, wheel
// steps, the byte editor's hit test and entry check, and the word breaking of messages.
#include "ui/cell_editing.h"
#include "ui/memory_tables.h"
#include "ui/message_boxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> erased(std::size_t size) {
    return std::vector<std::int32_t>(size, 255);
}

TEST(TableText, LinesOfAnErasedImage) {
    const auto flash = erased(32768);
    const auto lines = ui::table_lines(ui::flash_format, flash, 32768, 0);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], "000010: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    EXPECT_EQ(lines[1].size(), 55u);
    const auto eeprom = erased(256);
    const auto e_lines = ui::table_lines(ui::eeprom_format, eeprom, 256, 0);
    ASSERT_EQ(e_lines.size(), 8u);
    EXPECT_EQ(e_lines[1], "0008: FF FF FF FF FF FF FF FF");
    EXPECT_EQ(e_lines[1].size(), 29u);
}

TEST(TableText, LastLinesAtTheScrollMaximum) {
    auto flash = erased(32768);
    flash[32767] = 5;
    const auto lines =
        ui::table_lines(ui::flash_format, flash, 32768, ui::scroll_maximum(32768, 16));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines.back().substr(0, 7), "007FF0:");
    EXPECT_EQ(lines.back().substr(lines.back().size() - 3), " 05");
}

TEST(TableText, SmallMemoriesShowOnlyWhatExists) {
    struct case_t {
        std::int32_t size;
        std::size_t lines;
        std::size_t last_length;
    };
    // 64 bytes: four full lines; 40 bytes: two full lines and one of 8 bytes; 0: nothing.
    for (const case_t c : {case_t{64, 4, 55}, case_t{40, 3, 7 + 8 * 3}, case_t{0, 0, 0}}) {
        const auto image = erased(static_cast<std::size_t>(c.size > 0 ? c.size : 1));
        const auto lines = ui::table_lines(ui::flash_format, image, c.size, 0);
        ASSERT_EQ(lines.size(), c.lines) << "size " << c.size;
        if (!lines.empty()) {
            EXPECT_EQ(lines.back().size(), c.last_length) << "size " << c.size;
        }
    }
    // An array shorter than the size it claims is never read past its end.
    EXPECT_EQ(ui::table_lines(ui::eeprom_format, erased(16), 256, 0).size(), 2u);
}

TEST(TableText, ConfigurationAndSizeCaptions) {
    EXPECT_EQ(ui::memory_sizes_caption(32768, 256), "FLASH: 32768,  EEPROM: 256");
    EXPECT_EQ(ui::memory_sizes_caption(4096, 0), "FLASH: 4096,  EEPROM: 0");
}

TEST(ScrollArithmetic, Maxima) {
    struct case_t {
        std::int32_t size;
        int per_line;
        std::int32_t maximum;
    };
    const case_t cases[] = {
        {32768, 16, 2040},    {256, 8, 24}, {64, 8, 0},    {0, 8, 0},
        {120, 16, 0},         {40, 8, -3},  {100, 16, -2}, // 6.25 - 8 = -1.75
        {1 << 30, 16, 32767},                              // beyond the 16-bit bar
    };
    for (const case_t& c : cases)
        EXPECT_EQ(ui::scroll_maximum(c.size, c.per_line), c.maximum)
            << c.size << " bytes, " << c.per_line << " a line";
}

TEST(ScrollArithmetic, WheelSteps) {
    struct case_t {
        std::int32_t value, rotation, maximum, expected;
    };
    const case_t cases[] = {
        {0, -120, 2040, 3}, {3, -120, 2040, 6}, {2040, -120, 2040, 2040}, {2039, -120, 2040, 2040},
        {1, 120, 2040, 0},  {10, 120, 2040, 7}, {0, -120, 0, 0},
    };
    for (const case_t& c : cases)
        EXPECT_EQ(ui::wheel_value(c.value, c.rotation, 0, c.maximum), c.expected)
            << "value " << c.value << " rotation " << c.rotation;
}

// The hit test in a font of 8 x 14 pixel cells and in one of 11 x 19: the same bytes are
// found at the same character positions.
TEST(HitTest, FindsTheByteUnderThePointInAnyCellSize) {
    for (const ui::cell_geometry cell :
         {ui::cell_geometry{4, 2, 8, 14}, ui::cell_geometry{3, 1, 11, 19}}) {
        auto point = [&](int character, int line) {
            return std::pair{cell.origin_x + character * cell.char_width + cell.char_width / 2,
                             cell.origin_y + line * cell.line_height + cell.line_height / 2};
        };
        SCOPED_TRACE("cell " + std::to_string(cell.char_width) + "x" +
                     std::to_string(cell.line_height));
        // Third byte of the second line, first shown line 0x20: address 0x212.
        auto [x, y] = point(8 + 3 * 2 + 1, 1);
        auto hit = ui::hit_table(ui::flash_format, cell, x, y, 0x20, 32768);
        ASSERT_TRUE(hit);
        EXPECT_EQ(hit->address, 0x212);
        EXPECT_EQ(hit->box_left, cell.origin_x + (8 + 3 * 2) * cell.char_width);
        EXPECT_EQ(hit->box_top, cell.origin_y + cell.line_height);
        EXPECT_EQ(hit->box_width, 3 * cell.char_width);
        // The blank after a byte belongs to it.
        std::tie(x, y) = point(8 + 3 * 2 + 2, 1);
        EXPECT_EQ(ui::hit_table(ui::flash_format, cell, x, y, 0x20, 32768)->address, 0x212);
        // EEPROM: first byte column at character 6.
        std::tie(x, y) = point(6 + 3 * 7, 7);
        hit = ui::hit_table(ui::eeprom_format, cell, x, y, 3, 256);
        ASSERT_TRUE(hit);
        EXPECT_EQ(hit->address, (3 + 7) * 8 + 7);
        // Nothing in the address column, right of the last byte, below the view.
        std::tie(x, y) = point(3, 0);
        EXPECT_FALSE(ui::hit_table(ui::flash_format, cell, x, y, 0, 32768));
        std::tie(x, y) = point(8 + 3 * 16, 0);
        EXPECT_FALSE(ui::hit_table(ui::flash_format, cell, x, y, 0, 32768));
        std::tie(x, y) = point(6 + 3 * 8, 0);
        EXPECT_FALSE(ui::hit_table(ui::eeprom_format, cell, x, y, 0, 256));
        std::tie(x, y) = point(10, 8);
        EXPECT_FALSE(ui::hit_table(ui::flash_format, cell, x, y, 0, 32768));
        EXPECT_FALSE(ui::hit_table(ui::flash_format, cell, cell.origin_x + 70, -3, 0, 32768));
        // Below the last line of a memory smaller than the view.
        std::tie(x, y) = point(10, 4);
        EXPECT_FALSE(ui::hit_table(ui::flash_format, cell, x, y, 0, 64));
        std::tie(x, y) = point(10, 3);
        EXPECT_TRUE(ui::hit_table(ui::flash_format, cell, x, y, 0, 64));
    }
}

TEST(EntryCheck, AcceptedAndRefusedEntries) {
    struct case_t {
        const char* text;
        std::int32_t value;
    };
    const case_t cases[] = {
        {"7f", 0x7F}, {"7F", 0x7F},     {"A", 0x0A},       {"0", 0},
        {"ff", 255},  {"00FF", 255},    {"000000FF", 255}, // the last four count
        {"G1", -1},   {" 5", -1},       {"1FF", -1},       {"", -1},
        {"-1", -1},   {"\xC3\xA9", -1}, {"100", -1},
    };
    for (const case_t& c : cases)
        EXPECT_EQ(ui::entry_value(c.text), c.value) << "entry \"" << c.text << "\"";
}

TEST(BreakLongWords, BreaksOnceAfterTheLastSeparatorWithinTheLimit) {
    const std::string path = "/home/someone/projects/firmware/release/build/" +
                             std::string("controller_board_rev3.hex"); // 71 characters
    ASSERT_GT(path.size(), 55u);
    const std::string text = "Do you want to overwrite file " + path + "?";
    EXPECT_EQ(ui::breaklongwords(text),
              "Do you want to overwrite file /home/someone/projects/firmware/release/build/\r\n"
              "controller_board_rev3.hex?");

    struct case_t {
        std::string in, out;
    };
    const std::string sixty(60, 'x');
    const std::string under = std::string(30, 'a') + "_" + std::string(40, 'b');
    const std::string back = std::string(20, 'c') + "\\" + std::string(50, 'd');
    const std::string late = std::string(58, 'e') + "/" + "f";
    const std::string twice = std::string(10, 'g') + "/" + std::string(60, 'h') + "/" + "i";
    const case_t cases[] = {
        {sixty, sixty},                                                 // nowhere to break
        {under, std::string(30, 'a') + "_\r\n" + std::string(40, 'b')}, // underscore
        {back, std::string(20, 'c') + "\\\r\n" + std::string(50, 'd')}, // backslash
        {late, late}, // separator only after the limit
        {twice, std::string(10, 'g') + "/\r\n" + std::string(60, 'h') + "/i"}, // once only
        {"a  b\r\n", "a  b"}, // blanks kept, one CR LF dropped
        {"one\r\ntwo\r\n\r\n", "one\r\ntwo\r\n"},
        {"", ""},
    };
    for (const case_t& c : cases)
        EXPECT_EQ(ui::breaklongwords(c.in), c.out) << "text \"" << c.in << "\"";
}

} // namespace
