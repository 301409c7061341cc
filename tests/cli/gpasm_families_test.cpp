// Real HEX files: a small program with CONFIG directives, ID locations and data EEPROM,
// assembled by gpasm for one part of each family, programs, reads back and verifies on its
// virtual chip through pinwright-cli --simulate, a changed ID byte fails verify, also with code
// protection on, and pinwright-cli config names the settings the directives chose.
#include "cli/commands.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct assembled_part {
    const char* part;                       // gpasm's processor name
    const char* watchdog;                   // the part's watchdog configuration setting
    const char* oscillator;                 // a high-speed crystal setting, "FOSC = HSHP"
    const char* other;                      // one more setting, "LVP = OFF" where it has LVP
    std::vector<std::string> voltages = {}; // the adapter's, stated where 5 V / 13 V is too much
    // The part has data EEPROM and code blocks of its own (CP0, CP1, ...); the 8410 family
    // has neither, only one CP bit in CONFIG5L for the whole memory.
    bool eeprom_and_blocks = true;

    const char* protection() const { return eeprom_and_blocks ? "CP0" : "CP"; }
    const char* protected_area() const { return eeprom_and_blocks ? "Block 0 (" : "Code memory ("; }
};

// ID bytes 12h, A5h and, at 200007h, 07h. gpasm refuses __idlocs for the xxK80 parts (its
// part data gives them no ID locations), so there the bytes are placed with org and db.
std::string id_locations(const std::string& part) {
    if (part.find("k80") != std::string::npos)
        return "    org 0x200000\n    db 0x12, 0xA5\n    org 0x200006\n    db 0xFF, 0x07\n";
    return "    __idlocs _IDLOC0, 0x12\n    __idlocs _IDLOC1, 0xA5\n    __idlocs _IDLOC7, 0x07\n";
}

// Assembles the small program for `part` with `config` as its CONFIG directive into
// base + "app.hex".
void assemble(const std::string& base, const std::string& part, const std::string& config,
              bool eeprom = true) {
    {
        std::ofstream source(base + "app.asm");
        source << "    list p=" << part << "\n"
               << "    #include <p" << part << ".inc>\n"
               << "    CONFIG " << config << "\n"
               << id_locations(part) << "    org 0x0000\n"
               << "    goto start\n"
               << "    org 0x0040\n"
               << "start:\n"
               << "    movlw 0x55\n"
               << "    movwf LATB\n"
               << "again:\n"
               << "    incf LATB, F\n"
               << "    bra again\n"
               << (eeprom ? "    org 0xF00000\n    de \"Pinwright\", 0x00\n" : "") << "    end\n";
    }
    const std::string command =
        "gpasm -q -o " + base + "app.hex " + base + "app.asm > " + base + "gpasm.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "gpasm failed (is gputils installed?)";
}

class GpasmProgram : public ::testing::TestWithParam<assembled_part> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }

    std::string base() const { return folder_.path().toStdString() + "/"; }

    // The small program for the part, its watchdog off, its other setting and `more`.
    void assemble_part(const std::string& more = "") {
        assemble(base(), GetParam().part,
                 std::string(GetParam().watchdog) + " = OFF, " + GetParam().other + more,
                 GetParam().eeprom_and_blocks);
    }

    // pinwright-cli `args` on `file` (app.hex) and the simulated part's chip file.
    int run(std::vector<std::string> args, const std::string& data = PINWRIGHT_BIN_DIR,
            const std::string& file = "app.hex") {
        out.str({});
        err.str({});
        args.insert(args.end(), {base() + file, "--simulate", "--quiet", "--model", GetParam().part,
                                 "--chip", base() + "chip.hex"});
        args.insert(args.end(), GetParam().voltages.begin(), GetParam().voltages.end());
        return cli::run_cli(args, data, out, err);
    }

    QTemporaryDir folder_;
    std::ostringstream out, err;
};

TEST_P(GpasmProgram, ProgramsAndVerifies) {
    ASSERT_NO_FATAL_FAILURE(assemble_part());
    const std::string data = PINWRIGHT_SOURCE_DIR "/data";
    ASSERT_EQ(run({"program"}, data), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(run({"verify"}, data), 0) << err.str();

    // The chip holds the code, the ID locations and the EEPROM text, and Read All gives
    // the ID bytes back.
    auto text_of = [](const std::string& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    const std::string ids = ":020000040020DA\r\n:0800000012A5FFFFFFFFFF073F\r\n";
    const std::string chip = text_of(base() + "chip.hex");
    EXPECT_EQ(chip.find(":0A00000050696E777269676874003A") != std::string::npos,
              GetParam().eeprom_and_blocks)
        << "EEPROM \"Pinwright\"";
    EXPECT_NE(chip.find(ids), std::string::npos) << chip;
    ASSERT_EQ(run({"read"}, data, "back.hex"), 0) << err.str();
    EXPECT_NE(text_of(base() + "back.hex").find(ids), std::string::npos);

    // ID byte 200001h changed from A5h to A6h: verify fails and names it.
    std::string changed = text_of(base() + "app.hex");
    const std::size_t at = changed.find(":0200000012A547");
    ASSERT_NE(at, std::string::npos) << changed;
    changed.replace(at, 15, ":0200000012A646");
    std::ofstream(base() + "app.hex") << changed;
    EXPECT_EQ(run({"verify"}, data), 1) << err.str();
    EXPECT_NE(err.str().find("ID Byte 200001h,   A5h,   A6h,"), std::string::npos) << err.str();
}

// With CP0 on, program --verify proves code and data before the protection is written
// (the configuration section of each family's algorithms run on its own), and a plain
// verify names the protected block instead of listing its zeros.
TEST_P(GpasmProgram, ProtectedImageIsProvenThenNamed) {
    const std::string protection = GetParam().protection();
    ASSERT_NO_FATAL_FAILURE(assemble_part(", " + protection + " = ON"));
    ASSERT_EQ(run({"program", "--verify"}), 0) << err.str();
    EXPECT_EQ(err.str().find("protocol problem"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find(std::string("warning: The image turns code protection on: ") +
                             GetParam().protected_area()),
              std::string::npos)
        << err.str();
    EXPECT_EQ(run({"verify"}), 1) << err.str();
    EXPECT_NE(err.str().find(") reads as zero: " + protection + " in CONFIG5L protects it.\n"),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("Everything else matches the image."), std::string::npos) << err.str();
}

// The settings the directives chose, by name, from the data file built beside the
// programs; code protection is flagged.
TEST_P(GpasmProgram, ConfigNamesTheSettings) {
    const std::string protection = GetParam().protection();
    const std::string oscillator = GetParam().oscillator;
    const std::string watchdog = std::string(GetParam().watchdog) + " = OFF";
    const std::string other = GetParam().other;
    ASSERT_NO_FATAL_FAILURE(
        assemble(base(), GetParam().part,
                 oscillator + ", " + watchdog + ", " + other + ", " + protection + " = ON",
                 GetParam().eeprom_and_blocks));
    ASSERT_EQ(cli::run_cli({"config", base() + "app.hex", "--model", GetParam().part},
                           PINWRIGHT_BIN_DIR, out, err),
              0)
        << err.str();
    EXPECT_EQ(err.str(), "");
    const std::string text = out.str();
    for (const std::string& chosen : {oscillator, watchdog, other, protection + " = ON"})
        EXPECT_NE(text.find(chosen), std::string::npos) << chosen << " in\n" << text;
    EXPECT_NE(text.find("Warning: CONFIG5L " + protection + " = ON: read protection"),
              std::string::npos)
        << text;
    if (GetParam().eeprom_and_blocks) {
        EXPECT_NE(text.find("CP1 = OFF"), std::string::npos) << text;
        EXPECT_EQ(text.find("CP1 = ON"), std::string::npos) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    OnePartPerFamily, GpasmProgram,
    ::testing::Values(
        // The 2XXX and 1230 parts are programmed at up to 12.5 V: an adapter within that.
        assembled_part{"18f452", "WDT", "OSC = HS", "LVP = OFF"},
        assembled_part{"18f1320", "WDT", "OSC = HS", "LVP = OFF"},
        assembled_part{"18f4520", "WDT", "OSC = HS", "LVP = OFF", {"--vdd", "5", "--vpp", "12.5"}},
        assembled_part{"18f4685", "WDT", "OSC = HS", "LVP = OFF", {"--vdd", "5", "--vpp", "12.5"}},
        assembled_part{"18f2431", "WDTEN", "OSC = HS", "LVP = OFF"},
        assembled_part{
            "18f1330", "WDT", "OSC = HS", "XINST = OFF", {"--vdd", "5", "--vpp", "12.5"}},
        assembled_part{
            "18f45k20", "WDTEN", "FOSC = HS", "LVP = OFF", {"--vdd", "3.3", "--vpp", "9"}},
        assembled_part{
            "18f45k22", "WDTEN", "FOSC = HSHP", "LVP = OFF", {"--vdd", "3.3", "--vpp", "9"}},
        assembled_part{
            "18lf14k22", "WDTEN", "FOSC = HS", "LVP = OFF", {"--vdd", "3.3", "--vpp", "9"}},
        assembled_part{
            "18f46k80", "WDTEN", "FOSC = HS1", "XINST = OFF", {"--vdd", "3.3", "--vpp", "9"}},
        assembled_part{
            "18f45k50", "WDTEN", "FOSC = HSH", "LVP = OFF", {"--vdd", "3.3", "--vpp", "9"}},
        assembled_part{
            "18f14k50", "WDTEN", "FOSC = HS", "LVP = OFF", {"--vdd", "3.3", "--vpp", "9"}},
        assembled_part{"18f6680", "WDT", "OSC = HS", "LVP = OFF"},
        assembled_part{"18f6621", "WDT", "OSC = HS", "LVP = OFF"},
        assembled_part{"18f6520", "WDT", "OSC = HS", "LVP = OFF"},
        assembled_part{"18f6527", "WDT", "OSC = HS", "LVP = OFF", {"--vdd", "5", "--vpp", "12.5"}},
        // The 8410 family's VPP ends at 12 V.
        assembled_part{
            "18f8410", "WDT", "OSC = HS", "XINST = OFF", {"--vdd", "5", "--vpp", "12"}, false}),
    [](const auto& p) { return std::string(p.param.part); });

// A J part of each family: its CONFIG lines are the last bytes of FLASH. It programs,
// verifies and reads back through key entry on an adapter stated at 3.3 V; a VPP above its
// VDD maximum, or no stated voltages, are refused before any line moves.
class GpasmKeyEntryPart : public GpasmProgram {};

TEST_P(GpasmKeyEntryPart, ProgramsVerifiesAndReadsBackThroughKeyEntry) {
    {
        std::ofstream source(base() + "app.asm");
        source << "    list p=" << GetParam().part << "\n"
               << "    #include <p" << GetParam().part << ".inc>\n"
               << "    CONFIG " << GetParam().watchdog << " = OFF, " << GetParam().oscillator
               << ", " << GetParam().other << "\n"
               << "    org 0x0000\n    goto start\n    org 0x0040\nstart:\n"
               << "    movlw 0x55\n    movwf LATB\nagain:\n    incf LATB, F\n    bra again\n"
               << "    end\n";
    }
    ASSERT_EQ(std::system(("gpasm -q -o " + base() + "app.hex " + base() + "app.asm > " + base() +
                           "gpasm.log 2>&1")
                              .c_str()),
              0);
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"--vdd", "3.3", "--vpp", "13"}, std::vector<std::string>{}}) {
        out.str({});
        err.str({});
        std::vector<std::string> args{"program", base() + "app.hex", "--simulate",
                                      "--quiet", "--model",          GetParam().part,
                                      "--chip",  base() + "chip.hex"};
        args.insert(args.end(), refused.begin(), refused.end());
        EXPECT_EQ(cli::run_cli(args, PINWRIGHT_BIN_DIR, out, err), 2) << err.str();
        EXPECT_NE(err.str().find("enters programming mode by key"), std::string::npos) << err.str();
    }
    ASSERT_EQ(run({"program"}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(run({"verify"}), 0) << err.str();
    ASSERT_EQ(run({"read"}, PINWRIGHT_BIN_DIR, "back.hex"), 0) << err.str();

    // What was read is what gpasm wrote, the configuration words with it; the words gpasm
    // leaves out are the database's defaults.
    ASSERT_EQ(cli::run_cli({"config", base() + "back.hex", "--model", GetParam().part},
                           PINWRIGHT_BIN_DIR, out, err),
              0)
        << err.str();
    for (const std::string& chosen :
         {std::string(GetParam().watchdog) + " = OFF", std::string(GetParam().oscillator),
          std::string(GetParam().other)})
        EXPECT_NE(out.str().find(chosen), std::string::npos) << chosen << " in\n" << out.str();
    EXPECT_EQ(run({"verify"}, PINWRIGHT_BIN_DIR, "back.hex"), 0) << err.str();
}

INSTANTIATE_TEST_SUITE_P(OnePartPerFamily, GpasmKeyEntryPart,
                         ::testing::Values(assembled_part{"18f45j10",
                                                          "WDTEN",
                                                          "FOSC = HS",
                                                          "XINST = OFF",
                                                          {"--vdd", "3.3", "--vpp", "3.3"},
                                                          false},
                                           assembled_part{"18f46j50",
                                                          "WDTEN",
                                                          "OSC = HS",
                                                          "XINST = OFF",
                                                          {"--vdd", "3.3", "--vpp", "3.3"},
                                                          false},
                                           assembled_part{"18f87j11",
                                                          "WDTEN",
                                                          "FOSC = HS",
                                                          "XINST = OFF",
                                                          {"--vdd", "3.3", "--vpp", "3.3"},
                                                          false},
                                           assembled_part{"18f97j60",
                                                          "WDT",
                                                          "FOSC = HS",
                                                          "XINST = OFF",
                                                          {"--vdd", "3.3", "--vpp", "3.3"},
                                                          false}),
                         [](const auto& p) { return std::string(p.param.part); });

} // namespace
