// pinwright-cli's chip commands with --port ftdi through the unmodified libftdi1 and libusb
// on a board emulated under umockdev, with a strict virtual chip in its socket: Erase All,
// Blank Check, Program All, Verify and Read All of one part of each family with a small
// gpasm-built image, the identity check, a board lost or a transfer failed mid-run, and no
// board at all.
#include "../support/cli_chip_run.h"
#include "../support/ftdi_emulator.h"
#include "hardware/virtual_chip_socket.h"
#include "settings/settings_store.h"
#include "sim/virtual_chip.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using test_support::family_part;
using test_support::five_volts;
using test_support::ftdi_chip_kind;
using test_support::ftdi_emulator;

class FTDICli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ftdi_emulator::in_mock_environment())
            << "run this test under umockdev-wrapper (umockdev's preload library)";
    }

    // A board of `kind` with `part` in its socket, every memory holding 00h so an erase shows.
    void plug(ftdi_chip_kind kind, const std::string& part) {
        board_.reset();
        board_ = std::make_unique<ftdi_emulator>(test_support::ftdi_board_setup{.kind = kind});
        board_->insert_chip(hardware::socket_virtual_chip(cli_.make_chip(part)));
    }

    void assemble(const std::string& part, const std::string& watchdog) {
        cli_.assemble(part, watchdog);
    }
    int run(std::vector<std::string> args, const std::string& model,
            const std::vector<std::string>& voltages) {
        return cli_.run(std::move(args), model, voltages, "ftdi");
    }
    image::memory_buffer load(const std::string& file) const { return cli_.load(file); }
    bool chip_holds(const image::memory_buffer& image) const { return cli_.chip_holds(image); }
    bool chip_filled_with(std::uint8_t value) const { return cli_.chip_filled_with(value); }
    std::string path(const std::string& name) const { return cli_.path(name); }
    std::string output() const { return cli_.output(); }

    test_support::cli_chip_run cli_;
    std::unique_ptr<ftdi_emulator> board_;
};

class FTDICliFamily : public FTDICli, public ::testing::WithParamInterface<family_part> {};

TEST_P(FTDICliFamily, ErasesProgramsVerifiesAndReads) {
    const family_part& row = GetParam();
    const std::string model = std::string("PIC") + row.part;
    ASSERT_NO_FATAL_FAILURE(assemble(row.part, row.watchdog));
    // The K80 family on an FT232H, the others on an FT232R.
    const bool k80 = std::string(row.part) == "18f25k80";
    ASSERT_NO_FATAL_FAILURE(plug(k80 ? ftdi_chip_kind::ft232h : ftdi_chip_kind::ft232r, row.part));

    const std::pair<std::vector<std::string>, const char*> steps[] = {
        {{"erase"}, "Chip erased. "},
        {{"blankcheck"}, "Chip is blank. "},
        {{"program", path("app.hex")}, "Chip programmed. "},
        {{"verify", path("app.hex")}, "Chip verified. "},
        {{"read", path("back.hex")}, "Chip read. "}};
    for (const auto& [args, caption] : steps) {
        EXPECT_EQ(run(args, model, row.voltages), 0) << args[0] << ":\n" << output();
        EXPECT_NE(cli_.out.str().find(caption), std::string::npos) << output();
        if (args[0] == "erase") {
            EXPECT_TRUE(chip_filled_with(0xFF));
        }
    }
    const image::memory_buffer programmed = load("app.hex");
    EXPECT_TRUE(chip_holds(programmed));
    EXPECT_EQ(std::string(cli_.chip->eeprom().begin(), cli_.chip->eeprom().begin() + 9),
              "Pinwright");
    // Read All wrote what the chip holds.
    const image::memory_buffer back = load("back.hex");
    EXPECT_TRUE(chip_holds(back));
    EXPECT_TRUE(std::equal(cli_.chip->config().begin(), cli_.chip->config().end(),
                           back.config_image.begin()));
    EXPECT_TRUE(cli_.chip->protocol_errors().empty()) << cli_.chip->protocol_errors().front();
    EXPECT_EQ(board_->levels(), hardware::ftdi_pin_board::chip_levels{});
}

// One part of each family: a full Blank Check, Verify or Read All costs about 0.2 s a
// kilobyte on the emulated FT232R.
INSTANTIATE_TEST_SUITE_P(OnePartPerFamily, FTDICliFamily,
                         ::testing::ValuesIn(test_support::one_part_per_family),
                         [](const auto& p) { return std::string(p.param.part); });

// Another model's ID in the socket: the command ends with exit 4 before anything is written.
TEST_F(FTDICli, AnotherModelInTheSocketIsNeitherErasedNorProgrammed) {
    ASSERT_NO_FATAL_FAILURE(assemble("18f2221", "WDT"));
    ASSERT_NO_FATAL_FAILURE(plug(ftdi_chip_kind::ft232r, "18F2321"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"program", path("app.hex")}, {"erase"}}) {
        EXPECT_EQ(run(args, "PIC18F2221", five_volts), 4) << output();
        EXPECT_NE(cli_.err.str().find("Choose the chip's model (--model NAME, or --model auto)"),
                  std::string::npos)
            << output();
        EXPECT_TRUE(chip_filled_with(0)) << args[0];
    }
    EXPECT_TRUE(cli_.chip->protocol_errors().empty()) << cli_.chip->protocol_errors().front();
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
    EXPECT_NE(cli_.err.str().find("is for parallel adapters, and the adapter is ftdi"),
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
        const bool reported_success = cli_.out.str().find("Chip programmed. ") != std::string::npos;
        if (unplug || code != 0) {
            EXPECT_EQ(code, 3) << output();
            EXPECT_FALSE(reported_success) << output();
            EXPECT_NE(output().find("Program All stopped: FT232R PW1A2B3C (bus 1 device 2) failed "
                                    "while in use ("),
                      std::string::npos)
                << output();
            EXPECT_NE(cli_.err.str().find("VDD and VPP were switched off as far as the port still "
                                          "allows."),
                      std::string::npos)
                << output();
        } else {
            EXPECT_TRUE(reported_success) << output();
            EXPECT_TRUE(chip_holds(load("app.hex")));
            EXPECT_TRUE(cli_.chip->protocol_errors().empty())
                << cli_.chip->protocol_errors().front();
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
