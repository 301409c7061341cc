// Real HEX files: a small program with CONFIG directives and data EEPROM, assembled by
// gpasm for one part of each family, programs and verifies on its virtual chip through
// pinwright-cli --simulate.
#include "cli/commands.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct assembled_part {
    const char* part;     // gpasm's processor name
    const char* watchdog; // the part's watchdog configuration setting
};

class GpasmProgram : public ::testing::TestWithParam<assembled_part> {};

TEST_P(GpasmProgram, ProgramsAndVerifies) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    const std::string base = folder.path().toStdString() + "/";
    const std::string part = GetParam().part;
    {
        std::ofstream source(base + "app.asm");
        source << "    list p=" << part << "\n"
               << "    #include <p" << part << ".inc>\n"
               << "    CONFIG " << GetParam().watchdog << " = OFF, LVP = OFF\n"
               << "    org 0x0000\n"
               << "    goto start\n"
               << "    org 0x0040\n"
               << "start:\n"
               << "    movlw 0x55\n"
               << "    movwf LATB\n"
               << "again:\n"
               << "    incf LATB, F\n"
               << "    bra again\n"
               << "    org 0xF00000\n"
               << "    de \"Pinwright\", 0x00\n"
               << "    end\n";
    }
    const std::string assemble =
        "gpasm -q -o " + base + "app.hex " + base + "app.asm > " + base + "gpasm.log 2>&1";
    ASSERT_EQ(std::system(assemble.c_str()), 0) << "gpasm failed (is gputils installed?)";

    std::ostringstream out, err;
    auto run = [&](const std::string& command) {
        out.str({});
        err.str({});
        return cli::run_cli({command, base + "app.hex", "--simulate", "--quiet", "--model", part,
                             "--chip", base + "chip.hex"},
                            PINWRIGHT_SOURCE_DIR "/data", out, err);
    };
    ASSERT_EQ(run("program"), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(run("verify"), 0) << err.str();

    // The chip holds the code, the EEPROM text and the watchdog switched off.
    std::ifstream chip(base + "chip.hex");
    std::stringstream text;
    text << chip.rdbuf();
    EXPECT_NE(text.str().find(":0A00000050696E777269676874003A"), std::string::npos)
        << "EEPROM \"Pinwright\"";
}

INSTANTIATE_TEST_SUITE_P(OnePartPerFamily, GpasmProgram,
                         ::testing::Values(assembled_part{"18f452", "WDT"},
                                           assembled_part{"18f1320", "WDT"},
                                           assembled_part{"18f4520", "WDT"},
                                           assembled_part{"18f45k20", "WDTEN"}),
                         [](const auto& p) { return std::string(p.param.part); });

} // namespace
