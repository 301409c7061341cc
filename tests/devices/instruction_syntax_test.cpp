// Decoding of the algorithm language, including the cases where the recognition order
// decides between forms that would both match.
#include "devices/instruction_syntax.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>

namespace {

using devices::opcode;

// A keyword is the whole text: one that begins or ends another keyword does not take it, and
// blanks are part of the text. (The shipped database's check covers the keywords it uses.)
TEST(InstructionSyntax, KeywordsMatchTheWholeText) {
    const std::pair<const char*, opcode> cases[] = {
        {"end", opcode::end},
        {"endifpage", opcode::endifpage},
        {"ifpage", opcode::ifpage},
        {"calcflash", opcode::calcflash},
        {"calcflashpage", opcode::calcflashpage},
        {"setprogtime", opcode::setprogtime},
        {"startprog", opcode::startprog},
        {"startconfigprog", opcode::startconfigprog},
        {"begin ", opcode::unrecognised},
        {" end", opcode::unrecognised},
        {"", opcode::unrecognised},
        {"x", opcode::unrecognised},
    };
    for (const auto& [text, op] : cases)
        EXPECT_EQ(devices::decode_instruction(text).op, op) << "'" << text << "'";
}

TEST(InstructionSyntax, FieldsAtFixedPositions) {
    const struct {
        const char* text;
        opcode op;
        std::int32_t command, payload;
        int config_byte;
    } cases[] = {
        {"s0d-flash", opcode::write_flash, 0x0D, -1, 0},
        {"sxx-flash", opcode::write_flash, -1, -1, 0},
        {"s0c-config2h", opcode::write_config, 0x0C, -1, 4},
        {"flash=s09", opcode::read_flash, 9, -1, 0},
        {"eeprom=s02", opcode::read_eeprom, 2, -1, 0},
        {"config7h=s09", opcode::read_config, 9, -1, 14},
        {"temp=s", opcode::read_temp, -1, -1, 0},
        {"s00-0e3f", opcode::send_literal, 0, 0x0E3F, 0},
        {"checkblankconfig6h", opcode::checkblankconfig, -1, -1, 12},
        {"checkconfig1l", opcode::checkconfig, -1, -1, 1},
        // The 8-bit frames: a command alone, with a field of up to six digits, with an image
        // word or byte; reads of words and bytes.
        {"cf8", opcode::send_command, 0xF8, -1, 0},
        {"c80-300000", opcode::send_literal, 0x80, 0x300000, 0},
        {"c18-f", opcode::send_literal, 0x18, 0xF, 0},
        {"c80-3000000", opcode::send_literal, 0x80, -1, 0},
        {"ce0-configw", opcode::write_config, 0xE0, -1, 0},
        {"cc0-eeprom", opcode::write_eeprom, 0xC0, -1, 0},
        {"configw=cfe", opcode::read_config, 0xFE, -1, 0},
        {"tempw=cfx", opcode::read_temp, -1, -1, 0},
        {"checkconfig", opcode::checkconfig, -1, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const devices::instruction d = devices::decode_instruction(c.text);
        EXPECT_EQ(d.op, c.op);
        EXPECT_EQ(d.command, c.command);
        EXPECT_EQ(d.payload, c.payload);
        EXPECT_EQ(d.config_byte, c.config_byte);
    }
    // Widths and walks of the 8-bit forms: words move the counter by two.
    const struct {
        const char* text;
        int width;
        std::optional<devices::memory_region> walks;
    } walks[] = {{"ce0-flash", 2, devices::memory_region::flash},
                 {"c00-id", 2, devices::memory_region::id},
                 {"eeprom=cfe", 1, devices::memory_region::eeprom},
                 {"config=cfe", 1, devices::memory_region::config},
                 {"ce0-configw", 2, devices::memory_region::config},
                 {"checkblankconfig", 1, devices::memory_region::config},
                 {"checkconfig1l", 1, std::nullopt},
                 {"tempw=cfe", 2, std::nullopt}};
    for (const auto& w : walks) {
        const devices::instruction d = devices::decode_instruction(w.text);
        EXPECT_EQ(d.width, w.width) << w.text;
        EXPECT_EQ(d.walks, w.walks) << w.text;
    }
    const auto micro = devices::decode_instruction("u75");
    EXPECT_TRUE(micro.op == opcode::wait && micro.wait_us == 75 && micro.wait_ms == 0);
}

TEST(InstructionSyntax, RecognitionOrderDecides) {
    // "waitwr" is never a delay; "w25" is.
    EXPECT_EQ(devices::decode_instruction("waitwr").op, opcode::waitwr);
    auto d = devices::decode_instruction("w25");
    EXPECT_EQ(d.op, opcode::wait);
    EXPECT_EQ(d.wait_ms, 25);
    EXPECT_EQ(devices::decode_instruction("wx").wait_ms, 0);
    // The fast forms: milliseconds or "poll" after the slash, nothing else.
    d = devices::decode_instruction("w15/6");
    EXPECT_TRUE(d.op == opcode::wait && d.wait_ms == 15 && d.fast_wait_ms == 6 && !d.fast_poll);
    d = devices::decode_instruction("w10/poll");
    EXPECT_TRUE(d.op == opcode::wait && d.wait_ms == 10 && !d.fast_wait_ms && d.fast_poll);
    for (const char* bad : {"w15/", "w15/6ms", "w15/-1", "w10/polls"})
        EXPECT_EQ(devices::decode_instruction(bad).op, opcode::unrecognised) << bad;
    // Eight characters with "-" fourth, but ending in "-flash"? No: "s0-flash" is a
    // FLASH write (tested first) whose command field "0-" is invalid.
    d = devices::decode_instruction("s0-flash");
    EXPECT_EQ(d.op, opcode::write_flash);
    EXPECT_EQ(d.command, -1);
    // "setflashloop" is a keyword even though it starts with "s".
    EXPECT_EQ(devices::decode_instruction("setflashloop").op, opcode::setflashloop);
    // A literal send needs exactly eight characters.
    EXPECT_EQ(devices::decode_instruction("s00-0e3f0").op, opcode::unrecognised);
    EXPECT_EQ(devices::decode_instruction("s00-0e3").op, opcode::unrecognised);
}

} // namespace
