// pinwright-cli's chip commands with --port ftdi through the unmodified libftdi1 and libusb
// on a board emulated under umockdev, with a strict virtual chip in its socket: Erase All,
// Blank Check, Program All, Verify and Read All of one part of each family with a small
// gpasm-built image, the identity check, a board lost or a transfer failed mid-run, and no
// board at all.
#include "../support/ftdi_emulator.h"
#include "cli/commands.h"
#include "devices/selected_model.h"
#include "hardware/virtual_chip_socket.h"
#include "image/hex_load.h"
#include "image/memory_buffer.h"
#include "settings/settings_store.h"
#include "sim/virtual_chip.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

using test_support::ftdi_chip_kind;
using test_support::ftdi_emulator;

struct family_part {
    const char* part;     // gpasm's processor name, also the simulator's
    const char* watchdog; // the part's watchdog configuration setting
    std::vector<std::string> voltages = {"--vdd", "5", "--vpp", "12.5"};
    ftdi_chip_kind board = ftdi_chip_kind::ft232r;
};

const std::vector<std::string> low_voltage = {"--vdd", "3.3", "--vpp", "9"};

class FTDICli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ftdi_emulator::in_mock_environment())
            << "run this test under umockdev-wrapper (umockdev's preload library)";
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }

    // A board of `kind` with `part` in its socket, every memory holding 00h so an erase shows.
    void plug(ftdi_chip_kind kind, const std::string& part) {
        board_.reset();
        board_ = std::make_unique<ftdi_emulator>(test_support::ftdi_board_setup{.kind = kind});
        const sim::part_info* info = sim::find_part(part);
        ASSERT_NE(info, nullptr) << part;
        chip_ = std::make_shared<sim::virtual_chip>(*info);
        std::fill(chip_->flash().begin(), chip_->flash().end(), 0);
        std::fill(chip_->eeprom().begin(), chip_->eeprom().end(), 0);
        board_->insert_chip(hardware::socket_virtual_chip(chip_));
    }

    // app.hex: a jump, a few hundred bytes of code and table data and a string in data
    // EEPROM, for `part`, watchdog off.
    void assemble(const std::string& part, const std::string& watchdog) {
        {
            std::ofstream source(path("app.asm"));
            source << "    list p=" << part << "\n    #include <p" << part << ".inc>\n"
                   << "    CONFIG " << watchdog << " = OFF\n"
                   << "    org 0\n    goto start\n    org 0x40\nstart:\n";
            for (int n = 0; n < 64; ++n)
                source << "    movlw " << (n * 37 + 11) % 256 << "\n    movwf LATB\n";
            source << "again:\n    bra again\n    org 0x200\n";
            for (int n = 0; n < 16; ++n) {
                source << "    db ";
                for (int b = 0; b < 16; ++b)
                    source << (b ? ", " : "") << (n * 16 + b) * 73 % 256;
                source << "\n";
            }
            source << "    org 0xF00000\n    de \"Pinwright\", 0x00\n    end\n";
        }
        const std::string command = "gpasm -q -o " + path("app.hex") + " " + path("app.asm") +
                                    " > " + path("gpasm.log") + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << "gpasm failed (is gputils installed?)";
    }

    int run(std::vector<std::string> args, const std::string& model,
            const std::vector<std::string>& voltages, const std::string& port = "ftdi") {
        out_.str({});
        err_.str({});
        args.insert(args.end(), {"--port", port, "--model", model});
        args.insert(args.end(), voltages.begin(), voltages.end());
        return cli::run_cli(args, PINWRIGHT_SOURCE_DIR "/data", out_, err_);
    }

    // The image `file` holds for the selected model.
    image::memory_buffer load(const std::string& file) const {
        image::memory_buffer buffer;
        const devices::model_values& model = devices::selected_model().values;
        image::erase_image(buffer, model);
        EXPECT_TRUE(image::load_hex_file(path(file), buffer, model).accepted()) << file;
        return buffer;
    }

    // Whether the chip's FLASH and EEPROM hold `image`.
    bool chip_holds(const image::memory_buffer& image) const {
        const auto same = [](const std::vector<std::uint8_t>& chip,
                             const std::vector<std::int32_t>& expected) {
            return std::equal(chip.begin(), chip.end(), expected.begin());
        };
        return same(chip_->flash(), image.flash_image) && same(chip_->eeprom(), image.eeprom_image);
    }

    // Whether every FLASH and EEPROM byte of the chip is `value`.
    bool chip_filled_with(std::uint8_t value) const {
        const auto same = [value](std::uint8_t byte) { return byte == value; };
        return std::all_of(chip_->flash().begin(), chip_->flash().end(), same) &&
               std::all_of(chip_->eeprom().begin(), chip_->eeprom().end(), same);
    }

    std::string path(const std::string& name) const {
        return folder_.path().toStdString() + "/" + name;
    }
    std::string output() const { return out_.str() + err_.str(); }

    QTemporaryDir folder_;
    std::unique_ptr<ftdi_emulator> board_;
    std::shared_ptr<sim::virtual_chip> chip_;
    std::ostringstream out_, err_;
};

class FTDICliFamily : public FTDICli, public ::testing::WithParamInterface<family_part> {};

TEST_P(FTDICliFamily, ErasesProgramsVerifiesAndReads) {
    const family_part& row = GetParam();
    const std::string model = std::string("PIC") + row.part;
    ASSERT_NO_FATAL_FAILURE(assemble(row.part, row.watchdog));
    ASSERT_NO_FATAL_FAILURE(plug(row.board, row.part));

    const std::pair<std::vector<std::string>, const char*> steps[] = {
        {{"erase"}, "Chip erased. "},
        {{"blankcheck"}, "Chip is blank. "},
        {{"program", path("app.hex")}, "Chip programmed. "},
        {{"verify", path("app.hex")}, "Chip verified. "},
        {{"read", path("back.hex")}, "Chip read. "}};
    for (const auto& [args, caption] : steps) {
        EXPECT_EQ(run(args, model, row.voltages), 0) << args[0] << ":\n" << output();
        EXPECT_NE(out_.str().find(caption), std::string::npos) << output();
        if (args[0] == "erase") {
            EXPECT_TRUE(chip_filled_with(0xFF));
        }
    }
    const image::memory_buffer programmed = load("app.hex");
    EXPECT_TRUE(chip_holds(programmed));
    EXPECT_EQ(std::string(chip_->eeprom().begin(), chip_->eeprom().begin() + 9), "Pinwright");
    // Read All wrote what the chip holds.
    const image::memory_buffer back = load("back.hex");
    EXPECT_TRUE(chip_holds(back));
    EXPECT_TRUE(
        std::equal(chip_->config().begin(), chip_->config().end(), back.config_image.begin()));
    EXPECT_TRUE(chip_->protocol_errors().empty()) << chip_->protocol_errors().front();
    EXPECT_EQ(board_->levels(), hardware::ftdi_pin_board::chip_levels{});
}

// One part of each family, the smallest, as a full Blank Check, Verify or Read All costs
// about 0.2 s a kilobyte on the emulated FT232R: the families' writes differ, not sizes.
INSTANTIATE_TEST_SUITE_P(
    OnePartPerFamily, FTDICliFamily,
    ::testing::Values(family_part{"18f2331", "WDTEN", {"--vdd", "5", "--vpp", "13"}},
                      family_part{"18f1220", "WDT", {"--vdd", "5", "--vpp", "13"}},
                      family_part{"18f2221", "WDT"}, family_part{"18f1230", "WDT"},
                      family_part{"18f23k20", "WDTEN", low_voltage},
                      family_part{"18f23k22", "WDTEN", low_voltage},
                      family_part{"18f13k22", "WDTEN", low_voltage},
                      family_part{"18f25k80", "WDTEN", low_voltage, ftdi_chip_kind::ft232h}),
    [](const auto& p) { return std::string(p.param.part); });

const std::vector<std::string> five_volts = {"--vdd", "5", "--vpp", "12.5"};

// Another model's ID in the socket: the command ends with exit 4 before anything is written.
TEST_F(FTDICli, AnotherModelInTheSocketIsNeitherErasedNorProgrammed) {
    ASSERT_NO_FATAL_FAILURE(assemble("18f2221", "WDT"));
    ASSERT_NO_FATAL_FAILURE(plug(ftdi_chip_kind::ft232r, "18F2321"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"program", path("app.hex")}, {"erase"}}) {
        EXPECT_EQ(run(args, "PIC18F2221", five_volts), 4) << output();
        EXPECT_NE(err_.str().find("Choose the chip's model (--model NAME, or --model auto)"),
                  std::string::npos)
            << output();
        EXPECT_TRUE(chip_filled_with(0)) << args[0];
    }
    EXPECT_TRUE(chip_->protocol_errors().empty()) << chip_->protocol_errors().front();
    EXPECT_EQ(board_->levels(), hardware::ftdi_pin_board::chip_levels{});
}

// --preset reaches the FTDI driver for one run: the board is wired as the program's FTDI
// default, so with DATA IN stored on another pin only that preset hears the chip.
TEST_F(FTDICli, APresetWiresTheBoardForOneRun) {
    ASSERT_NO_FATAL_FAILURE(plug(ftdi_chip_kind::ft232r, "18F2221"));
    settings::write_setting_text("FTDI DATAIN Bit", "2");
    EXPECT_EQ(run({"identify"}, "PIC18F2221", five_volts), 3) << output();
    EXPECT_EQ(run({"identify", "--preset", "Pinwright FTDI default"}, "PIC18F2221", five_volts), 0)
        << output();
    EXPECT_EQ(settings::read_setting_text("FTDI DATAIN Bit", ""), "2");
    EXPECT_EQ(run({"identify", "--preset", "P16PRO40 / Tait 7406"}, "PIC18F2221", five_volts), 2);
    EXPECT_NE(err_.str().find("is for parallel adapters, and the adapter is ftdi"),
              std::string::npos)
        << output();
}

// The board unplugged during Program All stops it with exit 3 and no success; a failed
// transfer either still programs the image correctly or ends the same way. The supplies
// are off either way (a gone board's pins float).
TEST_F(FTDICli, ALostBoardOrAFailedTransferNeverEndsInSuccessWithWrongData) {
    ASSERT_NO_FATAL_FAILURE(assemble("18f2221", "WDT"));
    for (const bool unplug : {true, false}) {
        ASSERT_NO_FATAL_FAILURE(plug(ftdi_chip_kind::ft232r, "18F2221"));
        // Past the ID read and the erase, in the middle of the writes.
        if (unplug)
            board_->unplug_after(20'000);
        else
            board_->fail_transfer_after(20'000, -EPIPE);
        const int code = run({"program", path("app.hex")}, "PIC18F2221", five_volts);
        const bool reported_success = out_.str().find("Chip programmed. ") != std::string::npos;
        if (unplug || code != 0) {
            EXPECT_EQ(code, 3) << output();
            EXPECT_FALSE(reported_success) << output();
            EXPECT_NE(output().find("Program All stopped: FT232R PW1A2B3C (bus 1 device 2) failed "
                                    "while in use ("),
                      std::string::npos)
                << output();
            EXPECT_NE(err_.str().find("VDD and VPP were switched off as far as the port still "
                                      "allows."),
                      std::string::npos)
                << output();
        } else {
            EXPECT_TRUE(reported_success) << output();
            EXPECT_TRUE(chip_holds(load("app.hex")));
            EXPECT_TRUE(chip_->protocol_errors().empty()) << chip_->protocol_errors().front();
        }
        EXPECT_EQ(board_->levels(), hardware::ftdi_pin_board::chip_levels{}) << unplug;
    }
}

// No board attached: program and doctor fail with exit 3 and say what to do.
TEST_F(FTDICli, WithoutABoardProgramAndDoctorNameTheFix) {
    ASSERT_NO_FATAL_FAILURE(assemble("18f2221", "WDT"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"program", path("app.hex")}, {"doctor"}}) {
        EXPECT_EQ(run(args, "PIC18F2221", five_volts), 3) << output();
        EXPECT_NE(output().find("no FTDI adapter found: plug it in; `pinwright-cli ports` lists "
                                "what is seen"),
                  std::string::npos)
            << args[0] << ":\n"
            << output();
    }
}

} // namespace
