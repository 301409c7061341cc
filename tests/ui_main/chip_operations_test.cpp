// The chip operations from the window's buttons on the simulated adapter (real time, a
// virtual PIC18F4520 in the socket): Program All then Verify with the commands greyed
// during the run, a Verify failure reported in the message box, Read All, the chip file of
// --chip, the voltage check before a part is powered, and how often the window gets to
// process its events during a run.
#include "window_fixture.h"

#include "../support/trace_decoder.h"
#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/port_lines.h"
#include "hardware/port_session.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "settings/setting_names.h"
#include "sim/virtual_chip.h"
#include "ui/form08.h"
#include "ui/form5.h"
#include "ui/table_widgets.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

namespace {

class ChipOperations : public test_ui::WindowTest {
  protected:
    // `count` bytes of a pattern from address 0, loaded through the open command.
    void load_pattern(int count) {
        std::string text;
        for (int a = 0; a < count; a += 16) {
            std::string body = "10" + core::hex4(a) + "00";
            for (int k = 0; k < 16; ++k)
                body += core::hex2((a + k) * 7 % 251);
            text += ":" + body + core::hex_checksum(body) + "\r\n";
        }
        text += ":00000001FF\r\n";
        test_ui::write_file(folder() + "pattern.hex", text);
        open_hex("pattern.hex");
        ASSERT_EQ(form_->label_status->text().left(26), "Operation completed. Total");
    }

    // The next session simulates the chip kept in `chip_file`, its port traced to `trace`.
    static void keep_chip_in(const std::string& chip_file, const std::string& trace = {}) {
        hardware::configure_port_session({.simulate = true,
                                          .sim_part = {},
                                          .chip_file = chip_file,
                                          .trace_file = trace,
                                          .access_cost = false,
                                          .lose_port_after = {}});
    }

    // Select in the model dialog: the same model again, then the pattern loaded again.
    void select_model_again() {
        test_ui::on_next_modal([](QWidget* modal) {
            auto* dialog = dynamic_cast<ui::Form5*>(modal);
            ASSERT_NE(dialog, nullptr);
            dialog->select_button()->click();
        });
        form_->menumodel->trigger();
        load_pattern(32);
    }

    void click(int command) { QTest::mouseClick(form_->commands[command - 1], Qt::LeftButton); }

    // A fresh window on a chip traced to `trace` (kept in `chip_file`), adapter at 5 / 12.5 V.
    void traced_session(const std::string& trace, const std::string& chip_file = {}) {
        settings::adapter_vdd_setting.write("5");
        settings::adapter_vpp_setting.write("12.5");
        keep_chip_in(chip_file, trace);
        load_window();
    }

    // Runs `act` through the event loop once the run has shown `count` progress captions.
    void after_progress(int count, std::function<void()> act) {
        core::host_hooks hooks = core::hooks();
        auto shown = hooks.set_status;
        auto seen = std::make_shared<int>(0);
        hooks.set_status = [shown, seen, count, act](const std::string& caption) {
            shown(caption);
            if (caption.rfind("F:", 0) == 0 && ++*seen == count)
                QTimer::singleShot(0, act);
        };
        core::install_hooks(hooks);
    }

    // The questions `command` (Program All by default) asked, answered with `keys` in turn.
    std::vector<std::string> asked(std::vector<Qt::Key> keys, std::function<void()> command = {}) {
        auto texts = std::make_shared<std::vector<std::string>>();
        test_ui::answer_in_turn(texts, keys);
        captions_.clear();
        command ? command() : click(1);
        EXPECT_EQ(texts->size(), keys.size());
        EXPECT_TRUE(form_->commands_enabled());
        return *texts;
    }

    bool caption_seen(const std::string& start) const {
        return std::any_of(captions_.begin(), captions_.end(),
                           [&](const std::string& c) { return c.rfind(start, 0) == 0; });
    }
};

// The supply changes a traced run made: "VDD on", "VPP off", ...
std::vector<std::string> supply_events(const std::string& trace_file) {
    std::ifstream file(trace_file);
    return test_support::decode_trace(file).supply_events;
}

// Both supplies were switched, and both are off at the end.
bool off_at_end(const std::vector<std::string>& events) {
    bool vdd = false, vpp = false;
    for (const std::string& event : events)
        (event.rfind("VDD", 0) == 0 ? vdd : vpp) = event.ends_with(" on");
    return !events.empty() && !vdd && !vpp;
}

TEST_F(ChipOperations, ProgramAllThenVerifyThroughTheButtons) {
    load_pattern(256);
    captions_.clear();
    commands_at_caption_.clear();
    click(1);
    ASSERT_FALSE(captions_.empty());
    EXPECT_EQ(captions_.front(), "Begin program all.");
    EXPECT_TRUE(caption_seen("F:1/256"));
    EXPECT_TRUE(caption_seen("F:249/256"));
    // Greyed from the start caption to the last progress caption, back for the finish.
    for (std::size_t k = 0; k + 1 < captions_.size(); ++k)
        EXPECT_FALSE(commands_at_caption_[k]) << captions_[k];
    EXPECT_TRUE(commands_at_caption_.back());
    EXPECT_EQ(captions_.back().rfind("Chip programmed. ", 0), 0u) << captions_.back();
    EXPECT_NE(captions_.back().find(" seconds elapsed..."), std::string::npos);
    EXPECT_EQ(form_->label_status->text().toStdString(), captions_.back());

    const auto chip = hardware::session_chip();
    ASSERT_TRUE(chip);
    for (int a = 0; a < 256; ++a)
        ASSERT_EQ(chip->flash()[static_cast<std::size_t>(a)], (a * 7 % 251)) << "address " << a;
    EXPECT_EQ(chip->flash()[256], 0xFF);

    captions_.clear();
    click(5);
    EXPECT_EQ(captions_.front(), "Begin verify.");
    EXPECT_EQ(captions_.back().rfind("Chip verified. ", 0), 0u) << captions_.back();
    EXPECT_TRUE(form_->commands[4]->isEnabled());

    // Read All brings the chip back into a cleared image.
    form_->menuclear_Click();
    click(2);
    EXPECT_EQ(form_->label_status->text().left(11), "Chip read. ");
    EXPECT_EQ(image::program_image().flash_image[255], 255 * 7 % 251);
    EXPECT_EQ(form_->tabla_flash->lines()[0].mid(8, 8), "00 07 0E");
}

TEST_F(ChipOperations, VerifyFailureIsReportedInTheMessageBox) {
    load_pattern(64);
    click(1);
    image::program_image().flash_image[5] = 0xAA;
    QString report;
    int kind = -1;
    const auto answered = test_ui::on_next_modal([&](QWidget* modal) {
        auto* box = dynamic_cast<ui::Form08*>(modal);
        ASSERT_NE(box, nullptr);
        report = box->displayed_text();
        kind = box->kind;
        EXPECT_EQ(box->displayed_alignment(), Qt::AlignLeft);
        QTest::keyClick(box, Qt::Key_Return);
    });
    click(5);
    EXPECT_TRUE(*answered);
    EXPECT_EQ(kind, 16);
    EXPECT_EQ(report.toStdString(), "Chip verify failed:\n\n"
                                    "Memory Location,   Read Value,   Expected,\n"
                                    "FLASH Byte 000005h,   23h,   AAh,");
    EXPECT_EQ(form_->label_status->text().left(20), "Chip verify failed. ");
    EXPECT_TRUE(form_->commands_enabled());
}

// Code protection in the image: Program All says what it does and asks; Enter answers Yes.
TEST_F(ChipOperations, ProtectedImageIsProgrammedOnlyAfterTheQuestion) {
    // A program folder whose configuration names the window has not read yet.
    const std::string program_folder = folder() + "program/";
    std::filesystem::create_directory(program_folder);
    settings::program().app_folder = program_folder;
    test_ui::write_file(program_folder + "pinwrightconfig.txt",
                        "model: PIC18F4520\nbyte: 5L 0F 0F\nsetting: CP0 01 ON=00 OFF=01\n"
                        "setting: CP1 02 ON=00 OFF=02\nsetting: CP2 04 ON=00 OFF=04\n"
                        "setting: CP3 08 ON=00 OFF=08\n");
    test_ui::write_file(folder() + "protected.hex", ":020000040000FA\r\n:02080000AA55F7\r\n"
                                                    ":020000040030CA\r\n:010008000EE9\r\n"
                                                    ":00000001FF\r\n");
    open_hex("protected.hex");
    const auto chip = hardware::session_chip();
    ASSERT_TRUE(chip);
    for (const Qt::Key key : {Qt::Key_N, Qt::Key_Return}) {
        const auto texts = asked({key});
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find("code protection on: Block 0 (000800-001FFF) by CP0 in CONFIG5L"),
                  std::string::npos)
            << texts[0];
        EXPECT_NE(texts[0].find("Program the chip with this protection?"), std::string::npos);
        EXPECT_EQ(chip->flash()[0x800], key == Qt::Key_N ? 0xFF : 0xAA);
    }
}

// Another chip than the selected model is never written unless the user says so; Enter
// answers No to both ways out.
TEST_F(ChipOperations, AnotherChipInTheSocketIsWrittenOnlyWhenTheUserSaysSo) {
    hardware::configure_port_session({.simulate = true,
                                      .sim_part = "18F2520",
                                      .chip_file = {},
                                      .trace_file = {},
                                      .access_cost = false,
                                      .lose_port_after = {}});
    load_window();
    load_pattern(32);
    const auto chip = hardware::session_chip();
    ASSERT_TRUE(chip);
    struct row {
        std::vector<Qt::Key> keys;
        int flash_0;       // what the chip holds afterwards
        const char* model; // selected afterwards
    };
    const row rows[] = {
        {{Qt::Key_Return, Qt::Key_Return}, 0xFF, "PIC18F4520"},
        {{Qt::Key_N, Qt::Key_Y}, 0x00, "PIC18F4520"},
        {{Qt::Key_Y, Qt::Key_Y}, 0x00, "PIC18F2520"},
    };
    std::vector<std::string> last_texts;
    for (const auto& r : rows) {
        last_texts = asked(r.keys);
        ASSERT_EQ(last_texts.size(), r.keys.size());
        EXPECT_NE(last_texts[0].find("its device ID reads 1100h, which is PIC18F2520 rev 0"),
                  std::string::npos)
            << last_texts[0];
        EXPECT_NE(last_texts[0].find("Select PIC18F2520 instead?"), std::string::npos);
        if (r.keys.front() == Qt::Key_N) {
            EXPECT_NE(last_texts.back().find("Run Program All anyway"), std::string::npos);
        }
        EXPECT_EQ(hardware::session_chip()->flash()[0], r.flash_0);
        EXPECT_EQ(devices::selected_model().values.name, r.model);
    }
    EXPECT_EQ(settings::model_setting.read(),
              devices::find_model(devices::device_database(), "PIC18F2520"));
    // Yes selected the chip's model and reloaded the file; the second Yes ran again.
    const std::string pattern = folder() + "pattern.hex";
    EXPECT_EQ(form_->label_hex->whole_text().toStdString(), pattern);
    EXPECT_EQ(image::program_image().flash_image[1], 7);
    EXPECT_EQ(last_texts.back(),
              "The PIC18F2520 is selected and " + pattern +
                  " is loaded for it.\n\nRun Program All on the PIC18F2520 now?");
    EXPECT_EQ(captions_.back().rfind("Chip programmed. ", 0), 0u) << captions_.back();
}

// Program All of an all-erased buffer (nothing loaded) asks; No, the default, writes nothing.
TEST_F(ChipOperations, ProgramAllOfAnErasedBufferAsksFirst) {
    const std::string trace = folder() + "trace.txt";
    traced_session(trace);
    form_->menuclear_Click();
    const struct {
        Qt::Key answer;
        bool runs;
    } rows[] = {{Qt::Key_Return, false}, {Qt::Key_Y, true}};
    for (const auto& r : rows) {
        const auto texts = asked({r.answer});
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], "No HEX file is loaded and the buffer holds only erased "
                            "values: Program All would leave the PIC18F4520 erased.\n\n"
                            "Program the erased buffer all the same? File > Open HEX File "
                            "loads a program; Erase All erases a chip.");
        EXPECT_EQ(caption_seen("Begin program all."), r.runs);
        EXPECT_EQ(supply_events(trace).empty(), !r.runs);
        if (!r.runs) {
            EXPECT_EQ(form_->label_status->text(),
                      "Program All not started: the buffer holds only erased values.");
        }
    }
}

// A part that takes at most 3.6 V and 9 V: with no adapter voltages stated it is powered
// only after a Yes (Enter answers No), asked once per model selection; a stated voltage
// above its maximum is refused, one below its minimum warned of. Nothing is written unless
// the chip is powered.
TEST_F(ChipOperations, LowVoltagePartIsPoweredOnlyWhenTheAdapterSuitsIt) {
    devices::device_database().models[1].vdd = "1.80-3.60";
    devices::device_database().models[1].vpp = "7.80-9.00";
    load_window();
    EXPECT_EQ(form_->label_ime->fixed_tip(),
              "Click to change microcontroller model!\nVDD 1.80-3.60 V, VPP 7.80-9.00 V");
    load_pattern(32);
    const auto chip = hardware::session_chip();
    ASSERT_TRUE(chip);
    const std::string question = "The PIC18F4520 takes VDD 1.80-3.60 V, VPP 7.80-9.00 V. The "
                                 "adapter's VDD and VPP are not stated";
    // No (Enter), for each command that powers the chip: nothing moves. Identify Chip asks
    // about every model, since the chip is not named yet.
    const std::string unnamed = "Identify Chip powers the chip in the socket before its model is "
                                "known. The adapter's VDD and VPP are not stated";
    for (QAction* command : {form_->menuprogram, form_->menuidentify, form_->menudiagnose}) {
        const auto texts = asked({Qt::Key_Return}, [command] { command->trigger(); });
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].rfind(command == form_->menuidentify ? unnamed : question, 0), 0u)
            << texts[0];
        EXPECT_NE(texts[0].find("Power the chip all the same?"), std::string::npos);
        EXPECT_TRUE(captions_.empty());
        EXPECT_EQ(chip->flash()[0], 0xFF);
    }
    // Yes to Identify Chip: the parts at risk were named, and the chip read is one of them,
    // which is said plainly; asked once for the same voltages.
    const auto identify = [this] { form_->menuidentify->trigger(); };
    const auto identified = asked({Qt::Key_Y, Qt::Key_Return, Qt::Key_Return}, identify);
    EXPECT_NE(identified.at(0).find("- VDD at most 3.60 V, VPP at most 9.00 V: PIC18F4520"),
              std::string::npos)
        << identified[0];
    EXPECT_EQ(identified.at(1),
              "The chip in the socket, a PIC18F4520, was powered for its ID read with 5 V on VDD "
              "(assumed: not stated) and 13 V on VPP (assumed: not stated): more than it takes "
              "(VDD 1.80-3.60 V, VPP 7.80-9.00 V), which may have damaged it.");
    EXPECT_NE(identified.at(2).find("the selected model"), std::string::npos);
    const auto again = asked({Qt::Key_Return, Qt::Key_Return}, identify);
    EXPECT_EQ(again.at(0).rfind("The chip in the socket, a PIC18F4520", 0), 0u) << again[0];
    // Yes: programmed, and not asked again for this model.
    asked({Qt::Key_Y}, [this] { click(1); });
    EXPECT_EQ(chip->flash()[0], 0x00);
    asked({}, [this] { click(5); });
    EXPECT_EQ(captions_.back().rfind("Chip verified. ", 0), 0u);
    // Selected again: asked again.
    select_model_again();
    asked({Qt::Key_N}, [this] { click(5); });
    EXPECT_TRUE(captions_.empty());

    // Stated above the maximum: refused in the error box, whatever was confirmed.
    settings::adapter_vdd_setting.write("5");
    const auto refused = asked({Qt::Key_Return}, [this] { click(3); });
    EXPECT_EQ(refused.at(0), "The PIC18F4520 takes at most 3.60 V on VDD; the adapter is set to "
                             "5.00 V (Adapter VDD). Use an adapter that gives at most 3.60 V on "
                             "VDD and set Adapter VDD to it, or select the right model.");
    EXPECT_TRUE(captions_.empty());
    EXPECT_EQ(chip->flash()[0], 0x00);
    // Below the minimum: warned of, then run.
    settings::adapter_vdd_setting.write("1.5");
    settings::adapter_vpp_setting.write("9");
    const auto warned = asked({Qt::Key_Return}, [this] { click(3); });
    EXPECT_NE(warned.at(0).find("needs at least 1.80 V on VDD"), std::string::npos);
    ASSERT_FALSE(captions_.empty());
    EXPECT_EQ(captions_.back().rfind("Chip erased. ", 0), 0u) << captions_.back();
}

// VPP above the programming range, within MCLR's absolute maximum: a classic 13 V, assumed
// or stated, is asked about once per model selection (Enter answers No).
TEST_F(ChipOperations, VppAboveTheProgrammingRangeIsAskedAboutOncePerSelection) {
    devices::device_database().models[1].vdd = "3.00-5.50";
    devices::device_database().models[1].vpp = "9.00-12.50";
    devices::device_database().models[1].mclrmax = "13.25";
    load_window();
    load_pattern(32);
    const auto chip = hardware::session_chip();
    ASSERT_TRUE(chip);
    const auto no = asked({Qt::Key_Return});
    EXPECT_EQ(no.at(0).rfind("The PIC18F4520 is programmed at 9.00-12.50 V on VPP and takes at "
                             "most 13.25 V on MCLR, its absolute maximum; the adapter's VPP is "
                             "not stated (Adapter VPP), so a classic adapter's 13 V is assumed",
                             0),
              0u)
        << no[0];
    EXPECT_NE(no[0].find("Power the chip all the same?"), std::string::npos);
    EXPECT_TRUE(captions_.empty());
    EXPECT_EQ(chip->flash()[0], 0xFF);
    asked({Qt::Key_Y});
    EXPECT_EQ(chip->flash()[0], 0x00);
    // Stated, the same finding; the answer holds for this model selection.
    settings::adapter_vpp_setting.write("13");
    asked({});
    EXPECT_EQ(captions_.back().rfind("Chip programmed. ", 0), 0u);
    select_model_again();
    EXPECT_NE(asked({Qt::Key_Return}).at(0).find("the adapter is set to 13.00 V (Adapter VPP)"),
              std::string::npos);
    // Above the absolute maximum: refused.
    settings::adapter_vpp_setting.write("13.5");
    EXPECT_NE(asked({Qt::Key_Return}).at(0).find("takes at most 13.25 V on MCLR"),
              std::string::npos);
    EXPECT_TRUE(captions_.empty());
}

TEST_F(ChipOperations, EmptySocketAndLostPortEndTheRunWithTheirOwnMessage) {
    const struct {
        const char* part;
        std::optional<std::int64_t> lose_port_after;
        const char* caption;
        const char* says;
    } rows[] = {
        {"none", {}, "Program All not done: no chip answers.", "Nothing was written."},
        {"18F4520", 2000, "Program All stopped: simulated adapter at 0x378 failed while in use",
         "The chip may be partly written"},
    };
    for (const auto& r : rows) {
        hardware::configure_port_session({.simulate = true,
                                          .sim_part = r.part,
                                          .chip_file = {},
                                          .trace_file = {},
                                          .access_cost = false,
                                          .lose_port_after = r.lose_port_after});
        load_window();
        load_pattern(32);
        const auto texts = asked({Qt::Key_Return});
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find(r.says), std::string::npos) << texts[0];
        EXPECT_EQ(form_->label_status->text().toStdString().rfind(r.caption, 0), 0u)
            << form_->label_status->text().toStdString();
    }
}

TEST_F(ChipOperations, IdentifyChipAndDiagnoseAdapterReportInTheMessageBox) {
    const struct {
        QAction* ui::Form1::*command;
        std::int32_t Module94::port_settings_record::*wrong; // an inversion set wrongly
        const char* says;
    } rows[] = {
        {&ui::Form1::menuidentify, nullptr,
         "The chip in the socket is PIC18F4520 rev 0 (device ID 1080h), the selected model."},
        {&ui::Form1::menudiagnose, nullptr,
         "Verdict: the port, the lines and the chip answer as they should."},
        {&ui::Form1::menudiagnose, &Module94::port_settings_record::invert_dataout,
         "the chip answers with \"Invert DATAOUT\" set to 1 (step 3): change that setting in "
         "Hardware > Settings."},
    };
    for (const auto& r : rows) {
        const Module94::port_settings_record stored = Module94::port_settings;
        if (r.wrong)
            Module94::port_settings.*r.wrong ^= 1;
        const auto texts = asked({Qt::Key_Return}, [&] { (form_.get()->*r.command)->trigger(); });
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find(r.says), std::string::npos) << texts[0];
        // The diagnosis only tries other settings; the window's stay as they were.
        if (r.wrong) {
            EXPECT_EQ(Module94::port_settings.*r.wrong, stored.*r.wrong ^ 1);
        }
        Module94::port_settings = stored;
    }
}

TEST_F(ChipOperations, ChipFileIsReadAtStartAndWrittenAfterEachOperation) {
    const std::string chip_file = folder() + "chip.hex";
    keep_chip_in(chip_file);
    load_window();
    load_pattern(32);
    click(1);
    const std::string saved = test_ui::read_file(chip_file);
    EXPECT_NE(saved.find(":10000000"), std::string::npos) << saved;

    // A new session reads it back: Verify passes on a fresh window.
    keep_chip_in(chip_file);
    load_window();
    load_pattern(32);
    click(5);
    EXPECT_EQ(form_->label_status->text().left(15), "Chip verified. ");
}

TEST_F(ChipOperations, RejectedChipFileIsNeverOverwritten) {
    const std::string chip_file = folder() + "chip.hex";
    test_ui::write_file(chip_file, "not a hex file\r\n");
    keep_chip_in(chip_file);
    const auto answered = test_ui::on_next_modal([](QWidget* modal) {
        auto* box = dynamic_cast<ui::Form08*>(modal);
        ASSERT_NE(box, nullptr);
        box->ok_button()->click();
    });
    load_window();
    EXPECT_TRUE(*answered);
    load_pattern(16);
    click(1);
    EXPECT_EQ(test_ui::read_file(chip_file), "not a hex file\r\n");
}

// Stop, Esc and closing the window end a run at its next instruction, VDD and VPP off, the
// chip file saved; Stop shows only during a run. Closing asks (No, the default, goes on)
// unless a stop signal's handler already stopped the run: its quit closes the windows.
TEST_F(ChipOperations, StopEscAndCloseEndARunWithThePowerOff) {
    const struct {
        std::string way;
        std::vector<Qt::Key> answers; // to the question on closing
        bool stops;
    } rows[] = {
        {"Stop", {}, true},
        {"Esc", {}, true},
        {"close, No", {Qt::Key_Return}, false},
        {"close, Yes", {Qt::Key_Y}, true},
        {"stopping, close", {}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.way);
        const bool closing = r.way.find("close") != std::string::npos;
        const std::string trace = folder() + r.way + ".txt";
        const std::string chip_file = folder() + "stopped-chip.hex";
        std::remove(chip_file.c_str());
        traced_session(trace, chip_file);
        load_pattern(2048);
        EXPECT_FALSE(form_->stop_button->isVisible());
        auto texts = std::make_shared<std::vector<std::string>>();
        bool shown = false;
        after_progress(3, [this, texts, &r, &shown, closing] {
            shown = form_->stop_button->isVisible() && form_->stop_button->isEnabled();
            test_ui::answer_in_turn(texts, r.answers);
            if (r.way == "Stop")
                QTest::mouseClick(form_->stop_button, Qt::LeftButton);
            else if (r.way == "Esc")
                QTest::keyClick(form_.get(), Qt::Key_Escape);
            else if (r.way == "stopping, close")
                Module1::cancel_requested.store(true);
            if (closing)
                form_->close();
        });
        click(1);
        EXPECT_TRUE(shown);
        ASSERT_EQ(texts->size(), r.answers.size());
        for (const std::string& text : *texts)
            EXPECT_TRUE(text.starts_with("Program All is running. Stop the operation and close "
                                         "the window?"))
                << text;
        if (r.stops) {
            EXPECT_EQ(form_->label_status->text(), "Program All cancelled; VDD and VPP are off.");
        } else {
            EXPECT_EQ(form_->label_status->text().left(17), "Chip programmed. ");
        }
        EXPECT_EQ(form_->isVisible(), !(closing && r.stops));
        EXPECT_FALSE(form_->stop_button->isVisible());
        EXPECT_TRUE(form_->commands_enabled());
        EXPECT_TRUE(off_at_end(supply_events(trace)));
        const auto chip = hardware::session_chip();
        ASSERT_TRUE(chip);
        EXPECT_FALSE(chip->in_program_mode());
        EXPECT_EQ(chip->flash()[2047] == 0xFF, r.stops) << "the run went on after the stop";
        EXPECT_NE(test_ui::read_file(chip_file).find(":00000001FF"), std::string::npos)
            << "the chip file was not saved";
    }
}

// Not a timing assertion: it records how long the window went without processing its
// events during Program All and Verify of 2 KB, with the default and with fast port
// access (switched on through its menu item), and checks that it did process them.
TEST_F(ChipOperations, WindowProcessesItsEventsThroughoutARun) {
    load_pattern(2048);
    for (const bool fast : {false, true}) {
        form_->menufastport->setChecked(fast);
        ASSERT_EQ(Module94::port_pacing.fast, fast);
        QElapsedTimer clock;
        qint64 last = -1;
        qint64 longest = 0;
        int ticks = 0;
        QTimer probe;
        probe.setInterval(2);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0)
                longest = std::max(longest, now - last);
            last = now;
            ++ticks;
        });
        clock.start();
        probe.start();
        click(1);
        click(5);
        const qint64 total = clock.elapsed();
        probe.stop();
        EXPECT_EQ(form_->label_status->text().left(15), "Chip verified. ") << fast;
        EXPECT_GT(ticks, 10) << fast;
        std::printf("[ responsiveness ] Program All + Verify of 2 KB%s: %lld ms, %d event "
                    "passes, longest gap %.1f ms\n",
                    fast ? " (fast port access)" : "", static_cast<long long>(total), ticks,
                    static_cast<double>(longest) / 1e6);
        RecordProperty(fast ? "longest_gap_fast_us" : "longest_gap_us",
                       static_cast<int>(longest / 1000));
    }
}

} // namespace
