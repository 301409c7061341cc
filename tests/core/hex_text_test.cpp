// Hexadecimal formatting and parsing, the record checksum, and lenient decimal reading.
#include "core/hex_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

namespace {

TEST(HexFormatting, FixedWidthUpperCase) {
    EXPECT_EQ(core::hex2(0), "00");
    EXPECT_EQ(core::hex2(255), "FF");
    EXPECT_EQ(core::hex2(10), "0A");
    EXPECT_EQ(core::hex4(768), "0300");
    EXPECT_EQ(core::hex6(3145728), "300000");
    EXPECT_EQ(core::hex6h(15728640), "F00000h");
    EXPECT_EQ(core::hex2h(255), "FFh");
    EXPECT_EQ(core::hex4h(5), "0005h");
}

TEST(HexFormatting, KeepsLowDigitsOfWideAndNegativeNumbers) {
    EXPECT_EQ(core::hex2(256), "00");
    EXPECT_EQ(core::hex4(65536), "0000");
    EXPECT_EQ(core::hex2(-1), "FF");
    EXPECT_EQ(core::hex4(-1), "FFFF");
    EXPECT_EQ(core::hex6(-2), "FFFFFE");
    EXPECT_EQ(core::hex2(std::numeric_limits<std::int32_t>::min()), "00");
}

// Every byte value formats and parses back, and the parser accepts nothing else.
TEST(HexParsing, AllByteValuesRoundTrip) {
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(core::hex2_value(core::hex2(i)), i) << i;
    int accepted = 0;
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const char text[2] = {static_cast<char>(a), static_cast<char>(b)};
            if (core::hex2_value(std::string_view(text, 2)) >= 0)
                ++accepted;
        }
    EXPECT_EQ(accepted, 256);
}

TEST(HexParsing, RejectsAnythingButExactUpperCaseDigits) {
    struct case_t {
        const char* text;
        int width;
        std::int32_t expected;
    };
    const case_t cases[] = {
        {"0A", 2, 10},    {"ff", 2, -1},      {"0a", 2, -1},     {" A", 2, -1},
        {"A", 2, -1},     {"0AB", 2, -1},     {"", 2, -1},       {"FFFF", 4, 65535},
        {"12G4", 4, -1},  {"0300", 4, 768},   {"030", 4, -1},    {"F00000", 6, 15728640},
        {"30000", 6, -1}, {"3000000", 6, -1}, {"3000-0", 6, -1}, {"+1", 2, -1},
    };
    for (const auto& c : cases) {
        std::int32_t got = c.width == 2   ? core::hex2_value(c.text)
                           : c.width == 4 ? core::hex4_value(c.text)
                                          : core::hex6_value(c.text);
        EXPECT_EQ(got, c.expected) << "'" << c.text << "' width " << c.width;
    }
}

TEST(HexChecksum, RecordSums) {
    EXPECT_EQ(core::hex_checksum("00000001"), "FF");
    EXPECT_EQ(core::hex_checksum("020000040030"), "CA");
    EXPECT_EQ(core::hex_checksum(""), "00");
    EXPECT_EQ(core::hex_checksum("0200000400F0"), "0A");
    // A trailing odd character is ignored; an invalid pair weighs -1.
    EXPECT_EQ(core::hex_checksum("000000011"), "FF");
    EXPECT_EQ(core::hex_checksum("zz"), "01");
    EXPECT_EQ(core::hex_checksum("ffff"), "02");
}

TEST(TextToNumber, LeadingDecimalNumber) {
    struct case_t {
        const char* text;
        double expected;
    };
    const case_t cases[] = {
        {"888", 888},  {" 10", 10},   {"32K", 32},
        {"abc", 0},    {"", 0},       {"-5", -5},
        {"+7", 7},     {"2.5", 2.5},  {".5", 0.5},
        {"5.", 5},     {"1e3", 1000}, {"1D2", 100},
        {"1e", 1},     {"1 2", 12},   {"\t\n4", 4},
        {"- 3", -3},   {"&HFF", 255}, {"&h1A", 26},
        {"&O17", 15},  {"&", 0},      {"1.5e-1", 0.15},
        {"3.5x", 3.5}, {"-", 0},      {"1e999", std::numeric_limits<double>::infinity()},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(core::text_to_number(c.text), c.expected) << "'" << c.text << "'";
}

TEST(TextToNumber, RoundsHalvesToEvenAndClamps) {
    EXPECT_EQ(core::text_to_int("2.5"), 2);
    EXPECT_EQ(core::text_to_int("3.5"), 4);
    EXPECT_EQ(core::text_to_int("-2.5"), -2);
    EXPECT_EQ(core::text_to_int("2.51"), 3);
    EXPECT_EQ(core::text_to_int("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(core::text_to_int("-1e300"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(core::round_even(std::numeric_limits<double>::quiet_NaN()), 0);
    // The strict reading of a typed number: digits only, within the bounds.
    EXPECT_EQ(core::whole_number("250", 0, 10000), 250);
    EXPECT_EQ(core::whole_number("10000", 0, 10000), 10000);
    for (const char* text : {"", "10001", "-2", "+2", "2.5", " 2", "1e3", "9999999999"})
        EXPECT_EQ(core::whole_number(text, 0, 10000), std::nullopt) << "'" << text << "'";
}

} // namespace
