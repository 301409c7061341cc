// The settings store: read with default (and the default stored), two value kinds,
// sub-keys, and the program-wide values restored from it.
#include "settings/program_values.h"
#include "settings/settings_store.h"
#include "settings/stored_wiring.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }
    std::string file_text() const {
        std::ifstream file(settings::settings_file_path());
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    QTemporaryDir folder_;
};

TEST_F(SettingsStore, StoresInAPerUserIniFileOfTheApplication) {
    settings::write_setting_text("Last Path", "/home/u/");
    EXPECT_EQ(settings::settings_file_path(),
              folder_.path().toStdString() + "/Tarvellic Pinwright.ini");
    EXPECT_NE(file_text().find("Last%20Path=/home/u/"), std::string::npos) << file_text();
    EXPECT_EQ(settings::settings_file_key("Last Path"), "Last%20Path");
}

TEST_F(SettingsStore, MissingTextReturnsAndStoresTheDefault) {
    EXPECT_EQ(settings::read_setting_text("VDD Pin Num", "4"), "4");
    settings::write_setting_text("VPP Pin Num", "7");
    EXPECT_EQ(settings::read_setting_text("VDD Pin Num", "9"), "4"); // now from the store
    EXPECT_EQ(settings::read_setting_text("VPP Pin Num", "5"), "7");
}

TEST_F(SettingsStore, EmptyTextReadsBackEmpty) {
    settings::write_setting_text("Color Theme", "");
    EXPECT_EQ(settings::read_setting_text("Color Theme", "Original Lite"), "");
}

TEST_F(SettingsStore, OverlongTextIsReplacedByTheDefault) {
    const std::string long_path = "/" + std::string(300, 'a') + "/";
    settings::write_setting_text("Last Path", long_path);
    EXPECT_EQ(settings::read_setting_text("Last Path", "/opt/pinwright/"), "/opt/pinwright/");
    EXPECT_EQ(settings::read_setting_text("Last Path", "/x/"), "/opt/pinwright/");
    const std::string longest(settings::max_text_length, 'b');
    settings::write_setting_text("Last Path", longest);
    EXPECT_EQ(settings::read_setting_text("Last Path", "/x/"), longest);
}

TEST_F(SettingsStore, NumbersAreAKindOfTheirOwn) {
    EXPECT_EQ(settings::read_setting_number("Mouse Wheel Enabled", 1), 1);
    EXPECT_NE(file_text().find("Mouse%20Wheel%20Enabled=dword:00000001"), std::string::npos)
        << file_text();
    settings::write_setting_number("Mouse Wheel Enabled", 0);
    EXPECT_EQ(settings::read_setting_number("Mouse Wheel Enabled", 1), 0);
    settings::write_setting_number("Negative", -2);
    EXPECT_EQ(settings::read_setting_number("Negative", 5), -2);
}

TEST_F(SettingsStore, TextsThatLookLikeNumbersStayTexts) {
    settings::write_setting_text("Odd", "dword:00000005");
    EXPECT_EQ(settings::read_setting_text("Odd", ""), "dword:00000005");
    settings::write_setting_text("Odder", "text:x");
    EXPECT_EQ(settings::read_setting_text("Odder", ""), "text:x");
    // A long text does not fit a number's four bytes: the default replaces it.
    EXPECT_EQ(settings::read_setting_number("Odd", 3), 3);
    EXPECT_EQ(settings::read_setting_text("Odd", "t"), std::string("\x03\x00\x00", 3));
}

TEST_F(SettingsStore, SubKeyNames) {
    EXPECT_EQ(settings::read_setting_number("Window\\Left", 10), 10);
    EXPECT_EQ(settings::read_setting_number("Window\\Left", 20), 10);
    EXPECT_NE(file_text().find("[Window]"), std::string::npos) << file_text();
}

TEST_F(SettingsStore, StoredModelNumberIsValidatedAndRounded) {
    struct case_t {
        const char* stored;
        int expected;
        const char* stored_after;
    };
    const case_t cases[] = {{"0", 1, "1"},     {"9", 1, "1"},     {"abc", 1, "1"},
                            {"2.5", 2, "2.5"}, {"3.5", 4, "3.5"}, {"3", 3, "3"}};
    for (const auto& c : cases) {
        settings::write_setting_text("Microcontroller Model", c.stored);
        EXPECT_EQ(settings::restore_selected_model(5), c.expected) << c.stored;
        EXPECT_EQ(settings::read_setting_text("Microcontroller Model", ""), c.stored_after)
            << c.stored;
    }
}

TEST_F(SettingsStore, LastPathDefaultsToTheProgramFolder) {
    settings::program().app_folder = settings::with_trailing_separator("/opt/Pinwright");
    EXPECT_EQ(settings::program().app_folder, "/opt/Pinwright/");
    EXPECT_EQ(settings::with_trailing_separator("/"), "/");
    EXPECT_EQ(settings::restore_last_path(), "/opt/Pinwright/");
    EXPECT_EQ(settings::read_setting_text("Last Path", ""), "/opt/Pinwright/");
}

TEST_F(SettingsStore, FtdiWiringRoundTripAndDefaults) {
    EXPECT_EQ(settings::read_stored_ftdi_wiring(), settings::ftdi_wiring{});
    EXPECT_NE(file_text().find("FTDI%20VDD%20Bit=5"), std::string::npos) << file_text();
    settings::ftdi_wiring wiring;
    wiring.vdd = {-1, false}; // supplied from elsewhere
    wiring.clock = {7, true};
    wiring.data_in = {2, true};
    settings::write_stored_ftdi_wiring(wiring);
    EXPECT_EQ(settings::read_stored_ftdi_wiring(), wiring);
    // Only VDD and VPP may be unconnected, and there are eight pins.
    settings::write_setting_text("FTDI DATAIN Bit", "-1");
    settings::write_setting_text("FTDI CLOCK Bit", "8");
    wiring.data_in.bit = settings::ftdi_wiring{}.data_in.bit;
    wiring.clock.bit = settings::ftdi_wiring{}.clock.bit;
    EXPECT_EQ(settings::read_stored_ftdi_wiring(), wiring);
}

TEST(ProgramValues, SplitPathAtTheLastSeparator) {
    std::string folder, name;
    settings::split_path("/home/u/dir/file.hex", folder, name);
    EXPECT_EQ(folder, "/home/u/dir/");
    EXPECT_EQ(name, "file.hex");
    settings::split_path("file.hex", folder, name);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "file.hex");
}

} // namespace
