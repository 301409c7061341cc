// Decoding of the algorithm language, including the cases where the recognition order
// decides between forms that would both match.
#include "devices/instruction_syntax.h"

#include <gtest/gtest.h>

namespace {

using devices::opcode;

TEST(InstructionSyntax, Keywords) {
    const std::pair<const char*, opcode> cases[] = {
        {"begin", opcode::begin},
        {"end", opcode::end},
        {"startprog", opcode::startprog},
        {"setprogtime", opcode::setprogtime},
        {"calcflash", opcode::calcflash},
        {"calcflashpage", opcode::calcflashpage},
        {"calceeprom", opcode::calceeprom},
        {"setflashloop", opcode::setflashloop},
        {"seteepromloop", opcode::seteepromloop},
        {"loop", opcode::loop},
        {"ifpage", opcode::ifpage},
        {"endifpage", opcode::endifpage},
        {"movlw-upper", opcode::movlw_upper},
        {"movlw-high", opcode::movlw_high},
        {"movlw-low", opcode::movlw_low},
        {"movlw-eeprom", opcode::movlw_eeprom},
        {"waitwr", opcode::waitwr},
        {"checkblankflash", opcode::checkblankflash},
        {"checkblankeeprom", opcode::checkblankeeprom},
        {"checkflash", opcode::checkflash},
        {"checkeeprom", opcode::checkeeprom},
        // Blanks and case are part of the text: these match nothing.
        {"begin ", opcode::unrecognised},
        {" end", opcode::unrecognised},
        {"", opcode::unrecognised},
        {"x", opcode::unrecognised},
    };
    for (const auto& [text, op] : cases)
        EXPECT_EQ(devices::decode_instruction(text).op, op) << "'" << text << "'";
}

TEST(InstructionSyntax, FieldsAtFixedPositions) {
    auto d = devices::decode_instruction("s0d-flash");
    EXPECT_EQ(d.op, opcode::write_flash);
    EXPECT_EQ(d.command, 0x0D);
    d = devices::decode_instruction("sxx-flash");
    EXPECT_EQ(d.op, opcode::write_flash);
    EXPECT_EQ(d.command, -1);
    d = devices::decode_instruction("s0c-config2h");
    EXPECT_EQ(d.op, opcode::write_config);
    EXPECT_EQ(d.config_byte, 4);
    EXPECT_EQ(d.command, 0x0C);
    d = devices::decode_instruction("flash=s09");
    EXPECT_EQ(d.op, opcode::read_flash);
    EXPECT_EQ(d.command, 9);
    d = devices::decode_instruction("eeprom=s02");
    EXPECT_EQ(d.op, opcode::read_eeprom);
    EXPECT_EQ(d.command, 2);
    d = devices::decode_instruction("config7h=s09");
    EXPECT_EQ(d.op, opcode::read_config);
    EXPECT_EQ(d.config_byte, 14);
    EXPECT_EQ(d.command, 9);
    d = devices::decode_instruction("temp=s");
    EXPECT_EQ(d.op, opcode::read_temp);
    EXPECT_EQ(d.command, -1);
    d = devices::decode_instruction("s00-0e3f");
    EXPECT_EQ(d.op, opcode::send_literal);
    EXPECT_EQ(d.command, 0);
    EXPECT_EQ(d.payload, 0x0E3F);
    d = devices::decode_instruction("checkblankconfig6h");
    EXPECT_EQ(d.op, opcode::checkblankconfig);
    EXPECT_EQ(d.config_byte, 12);
    d = devices::decode_instruction("checkconfig1l");
    EXPECT_EQ(d.op, opcode::checkconfig);
    EXPECT_EQ(d.config_byte, 1);
}

TEST(InstructionSyntax, RecognitionOrderDecides) {
    // "waitwr" is never a delay; "w25" is.
    EXPECT_EQ(devices::decode_instruction("waitwr").op, opcode::waitwr);
    auto d = devices::decode_instruction("w25");
    EXPECT_EQ(d.op, opcode::wait);
    EXPECT_EQ(d.wait_ms, 25);
    EXPECT_EQ(devices::decode_instruction("wx").wait_ms, 0);
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
