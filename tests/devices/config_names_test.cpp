// Reading the configuration settings file and decoding a byte by it: option names, the
// notices for protection and for values the part does not define, and malformed lines.
#include "devices/config_names.h"

#include <gtest/gtest.h>

namespace {

const char* const sample = "# comment\r\n"
                           "model: PIC18F4520\r\n"
                           "byte: 1H CF 07\r\n"
                           "setting: OSC 0F LP=00 XT=01 HS=02\r\n"
                           "setting: IESO 80 OFF=00 ON=80\r\n"
                           "byte: 5L 0F 0F\r\n"
                           "setting: CP0 01 ON=00 OFF=01\r\n"
                           "byte: 6H E0 E0\r\n"
                           "setting: WRTC 20 ON=00 OFF=20\r\n";

TEST(ConfigNames, DecodesBytesAndFlagsWhatToNotice) {
    devices::config_names names;
    std::string error;
    ASSERT_TRUE(devices::parse_config_names(sample, names, error)) << error;
    const devices::model_config_names* model = names.find("pic18f4520");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(names.find("PIC18F452"), nullptr);

    auto hs = devices::decode_config_byte(*model, 1, 0x82);
    EXPECT_EQ(devices::settings_text(hs), "OSC = HS, IESO = ON");
    EXPECT_TRUE(hs.notices.empty());

    auto undefined = devices::decode_config_byte(*model, 1, 0x0B);
    EXPECT_EQ(devices::settings_text(undefined), "OSC = 0B (undefined), IESO = OFF");
    ASSERT_EQ(undefined.notices.size(), 1U);
    EXPECT_EQ(undefined.notices[0], "OSC = 0B: a value PIC18F4520 does not define");

    auto protected_code = devices::decode_config_byte(*model, 8, 0x0E);
    EXPECT_EQ(devices::settings_text(protected_code), "CP0 = ON");
    ASSERT_EQ(protected_code.notices.size(), 1U);
    EXPECT_EQ(protected_code.notices[0].rfind("CP0 = ON: read protection", 0), 0U);
    EXPECT_TRUE(devices::decode_config_byte(*model, 8, 0x0F).notices.empty());

    EXPECT_EQ(devices::decode_config_byte(*model, 11, 0xC0).notices.size(), 1U); // WRTC = ON
    EXPECT_TRUE(devices::decode_config_byte(*model, 0, 0x00).settings.empty());  // no settings
}

TEST(ConfigNames, NamesTheMalformedLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"model: A\nbyte: 9X CF 07\n", "line 2: a byte line"},
        {"model: A\nbyte: 1H CF 07\nsetting: OSC 0F HS\n", "line 3: an option is NAME=VALUE"},
        {"setting: OSC 0F HS=02\n", "line 1: a setting line before any byte line"},
        {"model: A\nfoo: bar\n", "line 2: unknown line"},
    };
    for (const auto& [text, message] : cases) {
        devices::config_names names;
        std::string error;
        EXPECT_FALSE(devices::parse_config_names(text, names, error)) << text;
        EXPECT_EQ(error.rfind(message, 0), 0U) << error;
    }
}

} // namespace
