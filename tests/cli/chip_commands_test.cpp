// The chip commands of pinwright-cli end to end on the simulated adapter with a virtual
// PIC18, using the shipped device database: erase, blank check, program, verify, read,
// a changed byte, a wrong wiring, the adapter voltage check, and the port trace of a
// program run decoded back into the frames the chip saw.
#include "../support/trace_decoder.h"

#include "cli/commands.h"
#include "core/hex_text.h"
#include "devices/device_table.h"
#include "devices/model_select.h"
#include "image/hex_load.h"
#include "image/hex_writer.h"
#include "image/memory_buffer.h"
#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <sys/wait.h>

namespace {

class ChipCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
        ASSERT_TRUE(
            devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table_)
                .ok());
        ASSERT_TRUE(
            devices::select_model(table_, devices::find_model(table_, "PIC18F4520"), model_));
        image::erase_image(image_, model_);
    }

    int run(std::vector<std::string> args) {
        out_.str({});
        err_.str({});
        args.insert(args.end(),
                    {"--simulate", "--model", "PIC18F4520", "--chip", path("chip.hex")});
        return cli::run_cli(args, PINWRIGHT_BIN_DIR, out_, err_);
    }

    // Runs on the simulated adapter with a trace in trace.txt, for the PIC18F4520 unless
    // `args` name a model.
    int run_traced(std::vector<std::string> args,
                   const std::string& data = PINWRIGHT_SOURCE_DIR "/data") {
        out_.str({});
        err_.str({});
        if (std::find(args.begin(), args.end(), "--model") == args.end())
            args.insert(args.end(), {"--model", "PIC18F4520"});
        args.insert(args.end(), {"--simulate", "--trace", path("trace.txt")});
        return cli::run_cli(args, data, out_, err_);
    }

    std::string path(const std::string& name) const {
        return folder_.path().toStdString() + "/" + name;
    }

    void save_image(const std::string& name) {
        std::ofstream(path(name), std::ios::binary) << image::hex_file_text(image_, model_);
    }

    std::string read(const std::string& name) const {
        std::ifstream file(path(name), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string output() const { return out_.str() + err_.str(); }

    QTemporaryDir folder_;
    devices::device_table table_;
    devices::model_values model_;
    image::memory_buffer image_;
    std::ostringstream out_, err_;
};

TEST_F(ChipCommands, EraseThenBlankCheckPasses) {
    ASSERT_EQ(run({"erase"}), 0) << output();
    EXPECT_NE(out_.str().find("Chip erased. "), std::string::npos) << output();
    EXPECT_NE(out_.str().find("(simulated"), std::string::npos);
    ASSERT_EQ(run({"blankcheck"}), 0) << output();
    EXPECT_NE(out_.str().find("Chip is blank. "), std::string::npos) << output();
    EXPECT_EQ(err_.str().find("protocol problem"), std::string::npos) << output();
}

TEST_F(ChipCommands, ProgramVerifyAndReadBack) {
    std::mt19937 random(4520);
    for (int a = 0; a < 3000; ++a)
        image_.flash_image[static_cast<std::size_t>(a)] = static_cast<int>(random() % 256);
    image_.flash_image[0x7FFE] = 0x12;
    for (int a = 0; a < 40; ++a)
        image_.eeprom_image[static_cast<std::size_t>(a)] = static_cast<int>(random() % 256);
    image_.eeprom_image[255] = 0x77;
    // A toolchain's configuration: unimplemented bits written as 1.
    image_.config_image = {0xFF, 0x02, 0x1F, 0x1E, 0xFF, 0x81, 0x81,
                           0xFF, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};
    save_image("app.hex");

    ASSERT_EQ(run({"program", path("app.hex")}), 0) << output();
    EXPECT_NE(out_.str().find("Chip programmed. "), std::string::npos) << output();
    EXPECT_EQ(err_.str().find("protocol problem"), std::string::npos) << output();
    EXPECT_NE(err_.str().find("FLASH  100% (32768/32768)\nEEPROM 0% (1/256)\n"), std::string::npos)
        << output();
    ASSERT_EQ(run({"verify", path("app.hex")}), 0) << output();
    EXPECT_NE(out_.str().find("Chip verified. "), std::string::npos) << output();

    ASSERT_EQ(run({"read", path("back.hex")}), 0) << output();
    image::memory_buffer back;
    image::erase_image(back, model_);
    std::ifstream file(path("back.hex"));
    ASSERT_TRUE(file.good());
    // Compare FLASH and EEPROM byte for byte through the reader used by convert.
    ASSERT_EQ(run({"verify", path("back.hex")}), 0) << output();
    const std::string text = read("back.hex");
    EXPECT_NE(text.find(":020000040030CA\r\n:0E00000000021F1E008181000FC00FE00F40A4\r\n"),
              std::string::npos)
        << "configuration as the chip holds it (unimplemented bits 0)";
}

TEST_F(ChipCommands, ChangedByteFailsVerifyWithItsReportLine) {
    image_.flash_image[0x1A] = 0x3F;
    image_.config_image[1] = 0x02; // CONFIG1H: OSC = HS
    save_image("app.hex");
    ASSERT_EQ(run({"program", path("app.hex")}), 0) << output();
    image_.flash_image[0x1A] = 0x3E;
    image_.config_image[1] = 0x41; // OSC = XT, FCMEN = ON
    save_image("changed.hex");
    EXPECT_EQ(run({"verify", path("changed.hex")}), 1) << output();
    EXPECT_NE(out_.str().find("Chip verify failed. "), std::string::npos) << output();
    // The table's rows, then the configuration settings that differ, by name.
    EXPECT_NE(err_.str().find("Chip verify failed:\n\nMemory Location,   Read Value,   Expected,\n"
                              "FLASH Byte 00001Ah,   3Fh,   3Eh,\n"
                              "CONF Byte 300001h,   02h,   41h,\n\n"
                              "CONFIG1H at 300001: OSC expected XT, read HS; "
                              "FCMEN expected ON, read OFF\n"),
              std::string::npos)
        << output();
    EXPECT_EQ(run({"blankcheck"}), 1) << output();
    EXPECT_NE(err_.str().find("FLASH Byte 00001Ah,   3Fh,   FFh,"), std::string::npos) << output();
}

TEST_F(ChipCommands, WrongWiringFailsInsteadOfHanging) {
    image_.flash_image[0] = 0;
    save_image("app.hex");
    ASSERT_EQ(run({"program", path("app.hex")}), 0) << output();
    // A chip that cannot be heard is found by the ID read, before the verify.
    settings::write_setting_text("DATAIN Pin Num", "11");
    EXPECT_EQ(run({"verify", path("app.hex")}), 3) << output();
    EXPECT_NE(output().find("No chip answers"), std::string::npos) << output();
    settings::write_setting_text("DATAIN Pin Num", "10");
    settings::write_setting_text("Invert VPP", "1");
    EXPECT_EQ(run({"verify", path("app.hex")}), 3) << output();
    EXPECT_EQ(run({"verify", path("app.hex"), "--no-id-check"}), 1) << output();
    settings::write_setting_text("Invert VPP", "0");
    EXPECT_EQ(run({"verify", path("app.hex")}), 0) << output();
}

// An interrupted run stops at the next instruction and leaves both supplies off.
TEST_F(ChipCommands, InterruptSwitchesTheSuppliesOff) {
    auto blank_check = [&](const std::string& prefix, const std::string& trace,
                           const std::string& extra) {
        const std::string command =
            "XDG_CONFIG_HOME=" + folder_.path().toStdString() + " " + prefix +
            PINWRIGHT_BIN_DIR "/pinwright-cli blankcheck --simulate --quiet "
                              "--model PIC18F4620 --trace " +
            path(trace) + extra + " > " + path("run.txt") + " 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status));
        std::ifstream file(path(trace));
        return std::make_pair(WEXITSTATUS(status), test_support::decode_trace(file));
    };
    // The whole run on the virtual clock, for comparison.
    const auto [full_code, full] = blank_check("", "full.txt", "");
    ASSERT_EQ(full_code, 0) << read("run.txt");

    // The same in real time, interrupted once the chip is powered and being read.
    const std::string cut_trace = path("cut.txt");
    const auto [code, cut] = blank_check(
        "sh -c '", "cut.txt",
        " --real-time & pid=$!; n=0; until grep -q \"^S 50\" " + cut_trace +
            " 2>/dev/null || [ $n -gt 200 ]; do sleep 0.05; n=$((n+1)); done; sleep 0.2; "
            "kill -INT $pid; wait $pid'");
    EXPECT_EQ(code, 130) << read("run.txt");
    EXPECT_EQ(cut.supply_events,
              (std::vector<std::string>{"VDD on", "VPP on", "VDD off", "VPP off"}));
    EXPECT_LT(cut.frames.size(), full.frames.size() / 2) << "the run went on after the interrupt";
}

// What answers in the socket decides what a chip command may do. Nothing is written to a
// chip that is not the selected model, and every way out ends with both supplies off.
TEST_F(ChipCommands, ChipIdentityAndPortFailuresDecideTheOutcome) {
    // A chip no model has: the 18F2450 in the socket, run with the shipped database less
    // that model.
    const std::string unlisted_part = "18F2450";
    const std::string trimmed_data = path("trimmed");
    {
        std::ifstream shipped(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(shipped), {}};
        const auto from = text.find("model: PIC" + unlisted_part + "\r\n");
        ASSERT_NE(from, std::string::npos);
        text.erase(from, text.find("\r\n\r\n", from) + 4 - from);
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(trimmed_data)));
        std::ofstream(trimmed_data + "/pinwrightdevices.txt", std::ios::binary) << text;
    }
    save_image("app.hex");
    const std::string app = path("app.hex");
    // Code protection of block 0 (800h-1FFFh): programmed, it reads back as zeros.
    image_.flash_image[0x800] = 0x12;
    image_.config_image[8] = 0x0E;
    save_image("protected.hex");
    const std::string protected_chip = path("protected-chip.hex");
    struct row {
        std::vector<std::string> args;
        const char* setting; // "name=value;...": stored wiring that differs from the adapter's
        int code;
        std::vector<const char*> says;
    };
    const row rows[] = {
        {{"program", app, "--sim-part", "18F4620"},
         nullptr,
         4,
         {"its device ID reads 0C00h, which is PIC18F4620 rev 0; the selected model is "
          "PIC18F4520 (ID 1080h). Nothing was written.",
          "--no-id-check"}},
        {{"erase", "--sim-part", unlisted_part},
         nullptr,
         4,
         {"2420h, which no model of the device database has"}},
        {{"read", path("out.hex"), "--sim-part", "none"},
         nullptr,
         3,
         {"No chip answers: the device ID reads FFFFh. Nothing was written.", "doctor"}},
        {{"blankcheck"}, "Invert DATAIN=0", 4, {"check the DATA IN inversion"}},
        {{"verify", app}, "Invert VPP=1", 3, {"No chip answers"}},
        {{"identify", "--sim-part", "18F4620"}, nullptr, 0, {"PIC18F4620 rev 0 (device ID 0C00h)"}},
        {{"identify", "--sim-part", unlisted_part},
         nullptr,
         1,
         {"no model of the device database"}},
        {{"identify", "--sim-part", "none"}, nullptr, 3, {"No chip answers"}},
        {{"program", app, "--sim-part", "18F4620", "--no-id-check"},
         nullptr,
         0,
         {"Chip programmed. "}},
        {{"program", app, "--sim-part", "18F4620", "--model", "auto"},
         nullptr,
         0,
         {"Model chosen by the chip's device ID: PIC18F4620 rev 0", "Chip programmed. "}},
        {{"program", app, "--verify"}, nullptr, 0, {"Chip programmed. ", "Chip verified. "}},
        // Warned about, then proven: code and data verified before CP0 is written.
        {{"program", path("protected.hex"), "--verify", "--chip", protected_chip},
         nullptr,
         0,
         {"warning: The image turns code protection on: Block 0 (000800-001FFF) by CP0 in "
          "CONFIG5L.",
          "Chip programmed. ", "Chip verified. ", "Configuration written. ",
          "Configuration verified. "}},
        // A plain verify of that chip names the protected block instead of its zeros.
        {{"verify", path("protected.hex"), "--chip", protected_chip},
         nullptr,
         1,
         {"Chip verify failed:\n\nBlock 0 (000800-001FFF) reads as zero: CP0 in CONFIG5L "
          "protects it.\n",
          "Everything else matches the image."}},
        {{"program", app, "--sim-part", "18F4620", "--verify"},
         nullptr,
         4,
         {"Nothing was written"}},
        {{"erase", "--verify"}, nullptr, 2, {"--verify goes with program only"}},
        {{"program", app, "--sim-fault", "port-lost=3000"},
         nullptr,
         3,
         {"simulated adapter at 0x378 failed while in use", "may be partly written"}},
        {{"read", path("out.hex"), "--sim-fault", "port-lost=20000"},
         nullptr,
         3,
         {"What was read is incomplete"}},
        {{"verify", app, "--sim-fault", "port-lost=20000"}, nullptr, 3, {"Verify stopped: "}},
        {{"erase", "--sim-fault", "port-lost"}, nullptr, 2, {"accepted: port-lost=N"}},
        {{"doctor"},
         nullptr,
         0,
         {"Verdict: the port, the lines and the chip answer as they should."}},
        {{"doctor"},
         "Invert DATAIN=0",
         3,
         {"DATA IN follows DATA OUT inverted", "2 (Lines)",
          "change \"Invert DATAIN\" in Hardware > Settings. The chip answers with that change",
          "Tarvellic Pinwright.ini: under [General], set Invert%20DATAIN=1 (the key \"Invert "
          "DATAIN\")"}},
        // DATA OUT's inversion wrong looks the same on the lines: the chip tells them apart.
        {{"doctor"},
         "Invert DATAOUT=0",
         3,
         {"DATA IN follows DATA OUT inverted", "the chip answers with \"Invert DATAOUT\" set to 1",
          "With \"Invert DATAOUT\" set to 1 the chip answers as PIC18F4520 rev 0",
          "Tarvellic Pinwright.ini: under [General], set Invert%20DATAOUT=1 (the key \"Invert "
          "DATAOUT\")"}},
        // Both wrong: DATA IN follows DATA OUT, and only both changed make the chip answer.
        {{"doctor"},
         "Invert DATAOUT=0;Invert DATAIN=0",
         3,
         {"With \"Invert DATAOUT\" set to 1 and \"Invert DATAIN\" to 1 the chip answers",
          "change those settings",
          "set Invert%20DATAOUT=1 (the key \"Invert DATAOUT\") and "
          "Invert%20DATAIN=1"}},
        {{"doctor"},
         "DATAIN Pin Num=11",
         3,
         {"With \"DATAIN Pin Num\" set to 10 the chip answers as PIC18F4520 rev 0"}},
        {{"doctor"},
         "Invert CLOCK=0",
         3,
         {"With \"Invert CLOCK\" set to 1 the chip answers as PIC18F4520 rev 0"}},
        {{"doctor"}, "VPP Pin Num=6", 3, {"no chip answers", "Likely causes"}},
        {{"doctor", "--sim-part", "none"}, nullptr, 3, {"no chip answers", "3 (Chip)"}},
        {{"doctor", "--sim-fault", "port-lost=100"}, nullptr, 3, {"failed while in use"}},
    };
    // A classic adapter, stated: identify and --model auto power an unnamed chip only so.
    settings::write_setting_text("Adapter VDD", "5");
    settings::write_setting_text("Adapter VPP", "13");
    const std::map<std::string, std::string> adapters_wiring{
        {"Invert DATAIN", "1"}, {"Invert DATAOUT", "1"},  {"Invert VPP", "0"},
        {"Invert CLOCK", "1"},  {"DATAIN Pin Num", "10"}, {"VPP Pin Num", "5"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.args[0] + " " + r.args.back() + " " + (r.setting ? r.setting : ""));
        QFile::remove(QString::fromStdString(path("chip.hex")));
        QFile::remove(QString::fromStdString(path("trace.txt")));
        std::vector<std::pair<std::string, std::string>> wrong; // "name=value;..."
        std::istringstream list(r.setting ? r.setting : "");
        for (std::string item; std::getline(list, item, ';');)
            wrong.emplace_back(item.substr(0, item.find('=')), item.substr(item.find('=') + 1));
        for (const auto& [name, value] : wrong)
            settings::write_setting_text(name, value);
        const bool unlisted =
            std::find(r.args.begin(), r.args.end(), unlisted_part) != r.args.end();
        // The programs' folder: the configuration names lie there beside the database.
        EXPECT_EQ(run_traced(r.args, unlisted ? trimmed_data : PINWRIGHT_BIN_DIR), r.code)
            << output();
        for (const auto& [name, value] : wrong) {
            EXPECT_EQ(settings::read_setting_text(name, ""), value) << "the stored setting changed";
            settings::write_setting_text(name, adapters_wiring.at(name));
        }
        for (const char* text : r.says)
            EXPECT_NE(output().find(text), std::string::npos) << text << "\n" << output();
        if (r.code != 0) {
            EXPECT_FALSE(QFile::exists(QString::fromStdString(path("out.hex"))));
            EXPECT_EQ(output().find("Chip verified"), std::string::npos);
        }
        std::ifstream trace(path("trace.txt"));
        const auto decoded = test_support::decode_trace(trace);
        // (The decoder reads the adapter's wiring: a miswired VPP is "on" when the program
        // has switched it off.)
        if (!decoded.supply_events.empty() && !r.setting) {
            EXPECT_EQ(decoded.supply_events.back().substr(4), "off") << output();
        }
        // Stopped by the identity check: the ID read's frames and nothing after them.
        if (output().find("Nothing was written") != std::string::npos) {
            EXPECT_LE(decoded.frames.size(), 8u);
        }
    }
    // The protected chip holds the code and CP0 (CONFIG5L 0Eh).
    image::memory_buffer chip;
    ASSERT_TRUE(image::load_hex_file(protected_chip, chip, model_).accepted());
    EXPECT_EQ(chip.flash_image[0x800], 0x12);
    EXPECT_EQ(chip.config_image[8], 0x0E);
}

// The adapter's voltages against the part's ranges: a K20 part (at most 3.6 V and 9 V) is
// powered only with voltages stated within them, and a refusal comes before the port is
// even opened; a classic part runs as it always did.
TEST_F(ChipCommands, AdapterVoltagesAreCheckedBeforeAnyLineMoves) {
    save_image("app.hex");
    const std::string app = path("app.hex");
    const std::string k20 = "PIC18F46K20";
    struct row {
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> stored; // Adapter VDD / VPP
        int code;
        std::vector<const char*> says;
        bool port_untouched; // no trace written at all
    };
    const row rows[] = {
        {{"erase", "--model", k20, "--vdd", "5"},
         {},
         2,
         {"The PIC18F46K20 takes at most 3.60 V on VDD; the adapter is set to 5.00 V (--vdd). "
          "Use an adapter that gives at most 3.60 V on VDD"},
         true},
        {{"program", app, "--model", k20},
         {},
         2,
         {"takes VDD 1.80-3.60 V, VPP 7.80-9.00 V", "not stated (Adapter VDD, Adapter VPP)",
          "--vdd VOLTS and --vpp VOLTS"},
         true},
        {{"erase", "--model", k20, "--vpp", "9"}, {{"Adapter VPP", "13"}}, 2, {"VDD is not"}, true},
        // An unnamed chip and a voltage only assumed: refused, naming the models at risk.
        {{"identify"},
         {},
         2,
         {"identify powers the chip in the socket before its model is known. The adapter's VDD "
          "and VPP are not stated (Adapter VDD, Adapter VPP), so it is taken to be a classic "
          "adapter that gives 5 V on VDD and 13 V on VPP",
          "\n- VDD at most 3.60 V, VPP at most 11.00 V on MCLR: PIC18F23K20/24K20/25K20/26K20/"
          "43K20/44K20/45K20/46K20, PIC18LF23K22/",
          "\n- VPP at most 9.00 V: PIC18F13K22/14K22/25K80", "--vdd VOLTS and --vpp VOLTS"},
         true},
        {{"identify", "--model", k20},
         {{"Adapter VDD", "5"}},
         2,
         {"The adapter's VPP is not stated (Adapter VPP)",
          "\n- VPP at most 11.00 V on MCLR: PIC18F23K20/"},
         true},
        {{"erase", "--model", "auto", "--sim-part", "18F46K20"},
         {},
         2,
         {"--model auto powers the chip in the socket before its model is known"},
         true},
        // Stated: the user's word; what the chip turns out to be is judged after the read.
        {{"identify", "--vdd", "5", "--vpp", "13"},
         {},
         0,
         {"PIC18F4520 rev 0 (device ID 1080h)",
          "The chip in the socket, a PIC18F4520, was powered for its ID read with 5 V on VDD "
          "(--vdd) and 13 V on VPP (--vpp): above its programming range"},
         false},
        {{"identify", "--sim-part", "18F46K20"},
         {{"Adapter VDD", "5"}, {"Adapter VPP", "13"}},
         0,
         {"PIC18F46K20 rev 0 (device ID 2000h)",
          "The chip in the socket, a PIC18F46K20, was powered for its ID read with 5 V on VDD "
          "(Adapter VDD) and 13 V on VPP (Adapter VPP): more than it takes (VDD 1.80-3.60 V, "
          "VPP 7.80-9.00 V, at most 11.00 V on MCLR), which may have damaged it."},
         false},
        {{"erase", "--model", "auto", "--sim-part", "18F46K20", "--vdd", "5", "--vpp", "13"},
         {},
         2,
         {"Model chosen by the chip's device ID: PIC18F46K20 rev 0",
          "The chip in the socket, a PIC18F46K20, was powered for its ID read",
          "The PIC18F46K20 takes at most 3.60 V on VDD; the adapter is set to 5.00 V (--vdd)."},
         false},
        {{"doctor", "--model", k20}, {}, 2, {"not stated"}, true},
        {{"program", app, "--verify", "--model", k20, "--vdd", "3.3", "--vpp", "9"},
         {{"Adapter VDD", "5"}},
         0,
         {"Chip programmed. ", "Chip verified. "},
         false},
        {{"blankcheck", "--model", k20},
         {{"Adapter VDD", "3.30"}, {"Adapter VPP", "9"}},
         0,
         {},
         false},
        {{"erase", "--model", "PIC18F452", "--vdd", "3.3", "--vpp", "8"},
         {},
         0,
         {"warning: The PIC18F452 needs at least 4.50 V on VDD; the adapter is set to 3.30 V "
          "(--vdd), so the chip may not enter programming mode.",
          "needs at least 9.00 V on VPP", "Chip erased. "},
         false},
        // The 8410 family takes at most 12 V: a 13 V adapter is refused, 12 V runs.
        {{"erase", "--model", "PIC18F8410", "--vdd", "5", "--vpp", "13"},
         {},
         2,
         {"The PIC18F8410 takes at most 12.00 V on VPP; the adapter is set to 13.00 V (--vpp)."},
         true},
        {{"erase", "--model", "PIC18F8410", "--vdd", "5", "--vpp", "12"},
         {},
         0,
         {"Chip erased. "},
         false},
        // Identify powers the chip as the selected model enters: any key-entry model names a
        // J part; a high-voltage one reaches no J part, and the simulated part says what
        // 5 V and 13 V did to it.
        {{"identify", "--model", "PIC18F45J10", "--sim-part", "18F46J50", "--vdd", "3.3", "--vpp",
          "3.3"},
         {},
         0,
         {"PIC18F46J50 rev 0 (device ID 4CA0h)"},
         false},
        {{"identify", "--model", "PIC18F4520", "--sim-part", "18F46J50", "--vdd", "5", "--vpp",
          "13"},
         {},
         3,
         {"No chip answers", "MCLR at 13.0 V, above VDD 5.0 V: a key-entry part is damaged"},
         false},
        // The 8-bit-command parts: identify reads the ID and the revision word in their frame,
        // even where a J model is stored; --model auto chooses among them; a 13 V VPP is
        // refused by name; a high-voltage model reaches no such part and 13 V damages it.
        {{"identify", "--model", "PIC18F46J50", "--sim-part", "18F47Q43", "--vdd", "3.3", "--vpp",
          "3.3"},
         {},
         0,
         {"PIC18F47Q43 (device ID 74A0h, revision ID A0C1h)"},
         false},
        {{"erase", "--model", "auto", "--sim-part", "18F47K40", "--vdd", "3.3", "--vpp", "3.3"},
         {{"Microcontroller Model", std::to_string(devices::find_model(table_, "PIC18F26K42"))}},
         0,
         {"Model chosen by the chip's device ID: PIC18F47K40", "Chip erased. "},
         false},
        {{"erase", "--model", "PIC18F47Q43", "--vdd", "5", "--vpp", "13"},
         {},
         2,
         {"The PIC18F47Q43 enters programming mode by key, with MCLR at its VDD level, and takes "
          "at most 5.50 V on MCLR (VPP)"},
         true},
        {{"identify", "--model", "PIC18F4520", "--sim-part", "18F47Q43", "--vdd", "5", "--vpp",
          "13"},
         {},
         3,
         {"No chip answers", "MCLR"},
         false},
        {{"erase", "--vdd", "3,3"}, {}, 2, {"--vdd needs the adapter's voltage in volts"}, true},
        {{"erase", "--vpp", "0"}, {}, 2, {"--vpp needs"}, true},
        // A preset in use (given, or stored while the stored wiring has its lines): its
        // nominal voltages stand for the ones not stated.
        {{"erase", "--model", "PIC18F46K80", "--preset", "P16PRO40 / Tait 7406"},
         {},
         2,
         {"The PIC18F46K80 takes at most 9.00 V on VPP; the adapter preset \"P16PRO40 / Tait "
          "7406\" in use gives 13.00 V nominal (Adapter VPP is not stated)."},
         true},
        {{"erase", "--model", "PIC18F46K80"},
         {{"Adapter Preset", "p16pro40 / tait 7406"}},
         2,
         {"adapter preset \"P16PRO40 / Tait 7406\" in use gives 13.00 V nominal"},
         true},
        {{"erase", "--model", "PIC18F46K80", "--vpp", "9"},
         {{"Adapter Preset", "P16PRO40 / Tait 7406"}},
         0,
         {"Chip erased. "},
         false},
        {{"erase", "--model", "PIC18F452", "--preset", "Tait 7407 + 4066", "--no-id-check"},
         {},
         2,
         {"The PIC18F452 takes at most 13.25 V on VPP",
          "the adapter preset \"Tait 7407 + 4066\" in use gives 13.80 V nominal"},
         true},
        {{"erase", "--model", "PIC18F452", "--preset", "Tait 7407 + 4066", "--vpp", "13.2",
          "--no-id-check"},
         {},
         0,
         {"Chip erased. "},
         false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.args[0] + " " + r.args.back());
        QFile::remove(QString::fromStdString(path("trace.txt")));
        for (const char* name : {"Adapter VDD", "Adapter VPP", "Adapter Preset"})
            settings::write_setting_text(name, "");
        for (const auto& [name, value] : r.stored)
            settings::write_setting_text(name, value);
        EXPECT_EQ(run_traced(r.args), r.code) << output();
        for (const char* text : r.says)
            EXPECT_NE(output().find(text), std::string::npos) << text << "\n" << output();
        EXPECT_EQ(QFile::exists(QString::fromStdString(path("trace.txt"))), !r.port_untouched);
        std::ifstream trace(path("trace.txt"));
        const auto decoded = test_support::decode_trace(trace);
        if (r.code == 2) { // at most the ID read of --model auto, which ends powered down
            EXPECT_LE(decoded.frames.size(), 8u);
        }
        if (!decoded.supply_events.empty()) {
            EXPECT_EQ(decoded.supply_events.back().substr(4), "off");
        }
    }
    settings::write_setting_text("Microcontroller Model",
                                 std::to_string(devices::find_model(table_, "PIC18F4520")));
    // The classic 13 V assumed is within the PIC18F4520's absolute maximum: warned of, run.
    ASSERT_EQ(run({"erase"}), 0) << output();
    EXPECT_NE(err_.str().find("pinwright-cli: warning: The PIC18F4520 is programmed at "
                              "9.00-12.50 V on VPP and takes at most 13.25 V on MCLR"),
              std::string::npos)
        << output();
    EXPECT_NE(out_.str().find("Chip erased. "), std::string::npos) << output();
    // A classic part with nothing stated: no word about voltages.
    ASSERT_EQ(run_traced({"erase", "--model", "PIC18F452"}), 0) << output();
    EXPECT_EQ(output().find("VDD"), std::string::npos) << output();
    EXPECT_EQ(output().find("VPP"), std::string::npos) << output();
    // --model auto with stated voltages: the stored model plays no part, the chip's does.
    settings::write_setting_text("Microcontroller Model",
                                 std::to_string(devices::find_model(table_, "PIC18F452")));
    ASSERT_EQ(run_traced({"erase", "--model", "auto", "--sim-part", "18F46K20", "--vdd", "3.3",
                          "--vpp", "9"}),
              0)
        << output();
    EXPECT_NE(output().find("Chip erased. "), std::string::npos) << output();
    EXPECT_EQ(output().find("PIC18F452"), std::string::npos) << output();
}

// --preset wires one run and stores nothing: the simulated adapter is wired as the factory
// preset, so with Tait classic's all-flipped wiring stored only that preset reaches the
// chip; the doctor names it once it finds the inversion that works.
TEST_F(ChipCommands, APresetWiresOneRunOnly) {
    const std::pair<const char*, const char*> tait_classic[] = {{"Invert VDD", "1"},
                                                                {"Invert VPP", "1"},
                                                                {"Invert CLOCK", "0"},
                                                                {"Invert DATAOUT", "0"},
                                                                {"Invert DATAIN", "0"}};
    for (const auto& [name, value] : tait_classic)
        settings::write_setting_text(name, value);
    EXPECT_EQ(run({"erase"}), 3) << output();
    ASSERT_EQ(run({"erase", "--preset", "p16pro40 / TAIT 7406"}), 0) << output();
    for (const auto& [name, value] : tait_classic)
        EXPECT_EQ(settings::read_setting_text(name, ""), value) << name;
    EXPECT_EQ(run({"erase"}), 3) << output();

    settings::write_setting_text("Invert VDD", "0");
    settings::write_setting_text("Invert VPP", "0");
    settings::write_setting_text("Invert CLOCK", "1");
    settings::write_setting_text("Invert DATAOUT", "1");
    EXPECT_EQ(run({"doctor"}), 3) << output();
    EXPECT_NE(out_.str().find("\"Invert DATAIN\" set to 1 the chip answers as PIC18F4520 rev 0 "
                              "(device ID 1080h): change that setting in Hardware > Settings. "
                              "This wiring is the adapter preset \"P16PRO40 / Tait 7406\": "
                              "Hardware > Adapter Preset... applies it."),
              std::string::npos)
        << output();

    const std::pair<const char*, const char*> refused[] = {
        {"NOPPP", "--preset: the preset \"NOPPP\" cannot be driven with five lines: DATA OUT must "
                  "go out on two pins at once (14 and 17)"},
        {"picberry (Raspberry Pi)", "--preset: the preset \"picberry (Raspberry Pi)\" is for gpio "
                                    "adapters, and the adapter is parallel"},
        {"Tait", "--preset: no adapter preset is named \"Tait\""},
    };
    for (const auto& [name, says] : refused) {
        EXPECT_EQ(run({"erase", "--preset", name}), 2) << name;
        EXPECT_NE(err_.str().find(says), std::string::npos) << err_.str();
    }
}

// Files program and verify cannot have been meant to use, and unwritable read outputs, are
// refused with exit 2 before the port opens: the chip and its file stay as they were.
TEST_F(ChipCommands, FilesThatCannotBeMeantAreRefusedBeforeThePort) {
    image_.flash_image[0] = 0x12;
    save_image("app.hex");
    ASSERT_EQ(run({"program", path("app.hex")}), 0) << output();
    const std::string chip = read("chip.hex");
    std::ofstream(path("empty.hex"), std::ios::binary) << ":00000001FF\r\n";
    std::string cut = read("app.hex");
    cut.erase(cut.rfind(":00000001FF"));
    std::ofstream(path("cut.hex"), std::ios::binary) << cut;
    image_.flash_image[0x7FFF] = 0x34;
    save_image("big.hex");
    struct row {
        std::vector<std::string> args;
        std::vector<std::string> says;
        bool port_untouched;
    };
    const row rows[] = {
        {{"program", path("empty.hex")},
         {path("empty.hex") + " has no data record: programming it would leave the chip erased"},
         true},
        {{"verify", path("empty.hex")}, {"has no data record: there is nothing to verify"}, true},
        {{"program", path("cut.hex")},
         {path("cut.hex") + " ends without an end-of-file record: it may be cut short"},
         true},
        {{"verify", path("cut.hex"), "--model", "auto"},
         {"ends without an end-of-file record"},
         true},
        {{"program", path("big.hex"), "--model", "PIC18F2420"},
         {path("big.hex") + " has data up to address 007FFFh, beyond the memories of the "
                            "PIC18F2420 (its FLASH ends at 003FFFh); it fits ",
          " models, the smallest: PIC18F2510, PIC18F4510, PIC18F25J10, PIC18LF25J10, PIC18F45J10 "
          "(choose the chip's model with --model NAME)"},
         true},
        // --model auto judges the range once the chip has named its model.
        {{"verify", path("big.hex"), "--model", "auto", "--sim-part", "18F2420", "--vdd", "5",
          "--vpp", "12.5"},
         {"Model chosen by the chip's device ID: PIC18F2420", "beyond the memories of the "
                                                              "PIC18F2420"},
         false},
        {{"read", path("missing/out.hex")},
         {"cannot create " + path("missing/out.hex") + ": No such file or directory"},
         true},
        {{"read", folder_.path().toStdString()}, {": Is a directory"}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.args[0] + " " + r.args.back());
        QFile::remove(QString::fromStdString(path("trace.txt")));
        std::vector<std::string> args = r.args;
        args.insert(args.end(), {"--chip", path("chip.hex")});
        EXPECT_EQ(run_traced(args), 2) << output();
        for (const std::string& text : r.says)
            EXPECT_NE(output().find(text), std::string::npos) << text << "\n" << output();
        EXPECT_EQ(QFile::exists(QString::fromStdString(path("trace.txt"))), !r.port_untouched);
        EXPECT_EQ(read("chip.hex"), chip);
        EXPECT_EQ(output().find("Begin"), std::string::npos) << output();
    }
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Hidden | QDir::Files).filter(".tmp").size(), 0);
}

// A port lost after any register access never ends in success: Erase All is cut after
// every access of a clean run, Program All after a sample of them (the first 30, 40 spread
// over the run, the last 10), with the shipped definitions and with ones whose algorithms
// open with a wait, so that the device ID is read in a power cycle of its own.
TEST_F(ChipCommands, APortLostAtAnyAccessNeverEndsInSuccess) {
    std::fill_n(image_.flash_image.begin(), 300, 0x5A);
    save_image("app.hex");
    const std::string shipped_dir = path("shipped");
    const std::string no_begin = path("no-begin");
    {
        // The definitions and the one model, as shipped: the other models would only cost
        // reading time in each of the many runs.
        std::ifstream shipped(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", std::ios::binary);
        std::string text;
        bool other_model = false;
        for (std::string line; std::getline(shipped, line);) {
            if (line.starts_with("model: "))
                other_model = line != "model: PIC18F4520\r";
            other_model = other_model && line != "\r";
            text += other_model ? "" : line + "\n";
        }
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(shipped_dir)));
        std::ofstream(shipped_dir + "/pinwrightdevices.txt", std::ios::binary) << text;
        for (const std::string kind : {"erasealgdef 5: ", "programalgdef 8: "})
            text.insert(text.find(kind + "begin,") + kind.size(), "w1,");
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(no_begin)));
        std::ofstream(no_begin + "/pinwrightdevices.txt", std::ios::binary) << text;
    }
    for (const std::string& data : {shipped_dir, no_begin})
        for (const bool erase : {true, false}) {
            std::vector<std::string> args{"program", path("app.hex")};
            if (erase)
                args = {"erase"};
            args.insert(args.end(), {"--model", "PIC18F4520", "--simulate", "--sim-fault"});
            SCOPED_TRACE(args[0] + " with " + data);
            const auto cut_after = [&](std::int64_t n, const std::vector<std::string>& more = {}) {
                out_.str({});
                err_.str({});
                std::vector<std::string> run_args = args;
                run_args.push_back("port-lost=" + std::to_string(n));
                run_args.insert(run_args.end(), more.begin(), more.end());
                return cli::run_cli(run_args, data, out_, err_);
            };
            // The clean run's register accesses, as its trace lists them.
            ASSERT_EQ(cut_after(INT32_MAX, {"--trace", path("trace.txt")}), 0) << output();
            std::ifstream trace(path("trace.txt"));
            std::int64_t accesses = 0;
            for (std::string line; std::getline(trace, line);)
                accesses += line.starts_with("W ") || line.starts_with("R ");
            ASSERT_EQ(cut_after(accesses), 0) << output();
            const std::int64_t spread = std::max<std::int64_t>(accesses / 40, 1);
            int wrong = 0;
            for (std::int64_t n = 0; n < accesses; ++n) {
                if (!erase && n >= 30 && n % spread != 0 && n < accesses - 10)
                    continue;
                const int code = cut_after(n);
                const std::string said = output();
                if ((code == 0 || said.find("Chip erased") != std::string::npos ||
                     said.find("Chip programmed") != std::string::npos ||
                     said.find("No chip answers") != std::string::npos ||
                     said.find("failed while in use") == std::string::npos) &&
                    ++wrong <= 3)
                    ADD_FAILURE() << "lost after " << n << " of " << accesses << " accesses: exit "
                                  << code << "\n"
                                  << said;
            }
            EXPECT_EQ(wrong, 0) << "runs that succeeded or did not say the port failed";
        }
}

TEST_F(ChipCommands, UnknownSimulatedPartAndPortChoice) {
    EXPECT_EQ(run({"erase", "--sim-part", "18F9999"}), 2);
    EXPECT_NE(err_.str().find("the simulator does not know the part \"18F9999\""),
              std::string::npos)
        << output();
    EXPECT_EQ(run({"erase", "--port", "4"}), 2);
    EXPECT_NE(err_.str().find("--port must be 1, 2 or 3"), std::string::npos);
    EXPECT_EQ(run({"erase", "--port", "2"}), 0) << output();
    // A base address outside the three: the run drives the port there.
    EXPECT_EQ(run({"erase", "--port", "0xD010", "--trace", path("d010.txt")}), 0) << output();
    EXPECT_NE(read("d010.txt").find("W D010 "), std::string::npos);
    EXPECT_EQ(run({"erase", "--port", "direct:0x278", "--trace", path("278.txt")}), 0) << output();
    EXPECT_NE(read("278.txt").find("W 0278 "), std::string::npos);
    EXPECT_EQ(run({"erase", "--port", "sim"}), 0) << output();
}

} // namespace
