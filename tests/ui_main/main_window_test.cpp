// The main window: its load on a fresh and on a prepared settings store, the HEX open,
// save and clear commands, the display and scroll bars, and the rules that decide which
// table the wheel scrolls.
#include "window_fixture.h"

#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/port_lines.h"
#include "image/hex_load.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"
#include "ui/form5.h"
#include "ui/port_session.h"
#include "ui/table_widgets.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

using test_ui::WindowTest;

TEST_F(WindowTest, FirstStartStoresTheDefaultsAndSelectsModelOne) {
    const struct {
        const char* name;
        const char* value;
    } defaults[] = {
        {"Parallel Port Address", "888"},
        {"Invert VDD", "0"},
        {"Invert VPP", "0"},
        {"Invert CLOCK", "1"},
        {"Invert DATAOUT", "1"},
        {"Invert DATAIN", "1"},
        {"VDD Pin Num", "4"},
        {"VPP Pin Num", "5"},
        {"CLOCK Pin Num", "3"},
        {"DATAOUT Pin Num", "2"},
        {"DATAIN Pin Num", "10"},
        {"Microcontroller Model", "1"},
        {"Color Theme", "Original Lite"},
    };
    for (const auto& d : defaults)
        EXPECT_EQ(setting(d.name), d.value) << d.name;
    EXPECT_EQ(setting("Last Path"), folder());

    const Module94::port_settings_record& port = Module94::port_settings;
    EXPECT_EQ(port.port_base, 888);
    EXPECT_EQ(port.pin_vdd, 4);
    EXPECT_EQ(port.pin_vpp, 5);
    EXPECT_EQ(port.pin_clock, 3);
    EXPECT_EQ(port.pin_dataout, 2);
    EXPECT_EQ(port.pin_datain, 10);
    EXPECT_EQ(port.invert_vdd + port.invert_vpp, 0);
    EXPECT_EQ(port.invert_clock + port.invert_dataout + port.invert_datain, 3);

    EXPECT_EQ(devices::selected_model().number, 1);
    EXPECT_EQ(form_->label_ime->text(), "PIC18F4520");
    EXPECT_EQ(form_->label_info->text(), "FLASH: 32768,  EEPROM: 256");
    EXPECT_EQ(form_->label_status->text(), "Simulated parallel port 1 ready");
    EXPECT_TRUE(form_->label_hex->text().isEmpty());
    EXPECT_EQ(form_->scrl1->maximum(), 2040);
    EXPECT_EQ(form_->scrl2->maximum(), 24);
    EXPECT_EQ(form_->wheel_target, 1);
    ASSERT_EQ(form_->tabla_flash->lines().size(), 8);
    EXPECT_EQ(form_->tabla_flash->lines()[7],
              "000070: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    EXPECT_EQ(form_->tabla_eeprom->lines()[0], "0000: FF FF FF FF FF FF FF FF");
    const char* erased[] = {"00", "07", "1F", "1F", "00", "83", "85",
                            "00", "0F", "C0", "0F", "E0", "0F", "40"};
    for (std::size_t k = 0; k < 14; ++k)
        EXPECT_EQ(form_->label_conf[k]->text(), erased[k]) << "cell " << k;
}

TEST_F(WindowTest, StoredModelNumbersOutsideTheTableFallBackToModelOne) {
    struct case_t {
        const char* stored;
        int selected;
        const char* stored_after;
    };
    const case_t cases[] = {
        {"0", 1, "1"},     {"6", 1, "1"},     {"abc", 1, "1"}, {"-2", 1, "1"},
        {"2.5", 2, "2.5"}, {"3.5", 4, "3.5"}, {"5", 5, "5"},
    };
    for (const case_t& c : cases) {
        settings::write_setting_text("Microcontroller Model", c.stored);
        load_window();
        EXPECT_EQ(devices::selected_model().number, c.selected) << "stored " << c.stored;
        EXPECT_EQ(setting("Microcontroller Model"), c.stored_after) << "stored " << c.stored;
        EXPECT_EQ(devices::selected_model().values.name,
                  devices::device_database().models[static_cast<std::size_t>(c.selected)].name);
    }
}

TEST_F(WindowTest, PortAddressDecidesTheStatusCaption) {
    settings::write_setting_text("Parallel Port Address", "956");
    load_window();
    EXPECT_EQ(form_->label_status->text(), "Simulated parallel port 3 ready");
    settings::write_setting_text("Parallel Port Address", "1000");
    load_window();
    EXPECT_TRUE(form_->label_status->text().isEmpty());
    EXPECT_EQ(Module94::port_settings.port_base, 1000);
    EXPECT_TRUE(hardware::port_ready()); // the lines were still driven to idle there

    // A port that is not ready: the first clause on the line, the reason in its tool tip.
    const std::string refused = "Port 0x3E8 not ready: cannot open /dev/parport0: denied";
    core::set_status(refused);
    EXPECT_EQ(form_->label_status->text(), "Port 0x3E8 not ready");
    EXPECT_EQ(form_->label_status->tip().toStdString(), refused);
    core::set_status("Parallel port 1 ready");
    EXPECT_EQ(form_->label_status->text(), "Parallel port 1 ready");
    EXPECT_TRUE(form_->label_status->tip().isEmpty());
}

TEST(PortCaptions, ReadyAndUnreachablePorts) {
    hardware::port_status ready;
    ready.code = hardware::port_error::none;
    hardware::port_status refused;
    refused.code = hardware::port_error::permission_denied;
    refused.path = "/dev/parport0";
    EXPECT_EQ(ui::port_caption(888, false, ready), "Parallel port 1 ready");
    EXPECT_EQ(ui::port_caption(632, true, ready), "Simulated parallel port 2 ready");
    EXPECT_EQ(ui::port_caption(1000, false, ready), "");
    EXPECT_EQ(ui::port_caption(956, false, refused),
              "Parallel port 3 not ready: cannot open /dev/parport0: permission denied");
    EXPECT_EQ(ui::port_caption(1000, false, refused),
              "Port 0x3E8 not ready: cannot open /dev/parport0: permission denied");
    // A port at another base is named by its address and what reached it.
    ready.path = "/dev/parport1";
    EXPECT_EQ(ui::port_caption(0xD010, false, ready), "Parallel port D010h (/dev/parport1) ready");
    EXPECT_EQ(ui::port_caption(888, false, ready), "Parallel port 1 ready");
    ready.path = "simulated adapter at 0xD010";
    EXPECT_EQ(ui::port_caption(0xD010, true, ready), "");
    refused.path = "/dev/parport1";
    EXPECT_EQ(ui::port_caption(0xD010, false, refused),
              "Port 0xD010 not ready: cannot open /dev/parport1: permission denied");
}

TEST_F(WindowTest, OpenCommandLoadsAHexFileAndRemembersItsFolder) {
    const std::string hex_folder = folder() + "hex files/";
    std::filesystem::create_directories(hex_folder);
    test_ui::write_file(hex_folder + "sample.hex", test_ui::sample_hex_text());
    std::vector<ui::file_request> asked;
    form_->dialogs.open = [&](const ui::file_request& request) {
        asked.push_back(request);
        return QString::fromStdString(hex_folder + "sample.hex");
    };
    form_->menuopen->trigger();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Select HEX File To Open");
    EXPECT_EQ(asked[0].filter, "Intel HEX files (*.hex *.HEX);;All files (*)");
    EXPECT_EQ(asked[0].folder.toStdString(), folder());
    EXPECT_EQ(form_->label_status->text(),
              "Operation completed. Total 32768 (32K) program bytes loaded.");
    EXPECT_EQ(form_->label_hex->text().toStdString(), hex_folder + "sample.hex");
    EXPECT_EQ(setting("Last Path"), hex_folder);
    EXPECT_EQ(form_->tabla_flash->lines()[0].mid(8, 5), "11 11");
    EXPECT_EQ(form_->tabla_eeprom->lines()[0].left(11), "0000: 12 34");
    EXPECT_TRUE(form_->commands_enabled());

    // The caption above the file line and the line itself lead to the same dialog.
    form_->label_hex->on_click();
    form_->Label7->on_click();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[2].folder.toStdString(), hex_folder);
    EXPECT_EQ(asked[2].title, asked[0].title);
    EXPECT_EQ(form_->label_hex->tip(), "Click to open HEX file!");

    // A long path shows shortened, and whole in the tool tip.
    const std::string deep = hex_folder + std::string(80, 'd') + "/";
    std::filesystem::create_directories(deep);
    test_ui::write_file(deep + "sample.hex", test_ui::sample_hex_text());
    form_->dialogs.open = [&](const ui::file_request&) {
        return QString::fromStdString(deep + "sample.hex");
    };
    form_->menuopen_Click();
    EXPECT_EQ(form_->label_hex->text().toStdString(), image::short_path(deep + "sample.hex"));
    EXPECT_EQ(form_->label_hex->tip().toStdString(), deep + "sample.hex");
}

TEST_F(WindowTest, OpenShowsTheReadersErrorOrWarning) {
    // A rejected file leaves the image erased; data out of range only gives a warning.
    const struct {
        const char* name;
        const char* text;
        int kind;
        const char* shown;
        const char* status;
        bool loaded;
    } cases[] = {
        {"bad.hex", ":10000000zz\r\n", 16,
         "Input program file in Intel Hex Format contains errors.\nLine number 1: ",
         "HEX file not loaded!", false},
        {"wide.hex", ":020000040010EA\r\n:0100000011EE\r\n:00000001FF\r\n", 64,
         "Warning!\nInput program file in Intel Hex Format contains errors.\nThere are data for 1 "
         "addresses out of range:\n100000.",
         "Operation completed. Total 0 (0K) program bytes loaded.", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test_ui::write_file(folder() + c.name, c.text);
        form_->dialogs.open = [&](const ui::file_request&) {
            return QString::fromStdString(folder() + c.name);
        };
        const auto box = test_ui::answer_next_box(Qt::Key_Return);
        form_->menuopen_Click();
        EXPECT_TRUE(box->answered);
        EXPECT_EQ(box->kind, c.kind);
        EXPECT_TRUE(box->text.startsWith(c.shown)) << box->text.toStdString();
        EXPECT_EQ(form_->label_status->text(), c.status);
        EXPECT_EQ(form_->label_hex->text().isEmpty(), !c.loaded);
        EXPECT_EQ(image::program_image().flash_image[0], 255);
    }
}

// Loading for a too small model says what was dropped and which models fit; a cut file is
// loaded only after a question, whose No keeps the image and the labels.
TEST_F(WindowTest, OpenSaysWhatWasDroppedAndAsksBeforeACutFile) {
    settings::write_setting_text("Microcontroller Model", "3"); // PIC18F4420, 16 KB
    load_window();
    test_ui::write_file(folder() + "sample.hex", test_ui::sample_hex_text());
    test_ui::write_file(folder() + "cut.hex", ":0100000055AA\r\n");
    struct step {
        const char* file;
        Qt::Key answer; // Enter answers the box's default
        int kind;
        std::string shown;
        int flash_0; // the image afterwards
        const char* label;
    };
    const step steps[] = {
        {"sample.hex", Qt::Key_Return, 64,
         "There are data for 16 addresses out of range:\n007FF0, 007FF1, 007FF2, 007FF3, "
         "007FF4, 007FF5, 007FF6, 007FF7, 007FF8, 007FF9, 007FFA, 007FFB, 007FFC, 007FFD, "
         "007FFE, 007FFF.\n"
         "This data was dropped: it is not in the image and will not be programmed.\nThe "
         "selected model PIC18F4420 may be the wrong one (its FLASH ends at 003FFFh, its EEPROM "
         "at F000FFh); the file fits PIC18F4520, PIC18F2520.",
         0x11, "sample.hex"},
        {"cut.hex", Qt::Key_Return, core::msg_yes_no,
         folder() + "cut.hex ends without an end-of-file record: it may be cut short (an "
                    "interrupted copy or download).\nLoad it all the same?",
         0x11, "sample.hex"},
        {"cut.hex", Qt::Key_Y, core::msg_yes_no, "", 0x55, "cut.hex"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.file) + " " + std::to_string(s.answer));
        const QString status_before = form_->label_status->text();
        const auto box = test_ui::answer_next_box(s.answer);
        open_hex(s.file);
        EXPECT_TRUE(box->answered);
        EXPECT_EQ(box->kind, s.kind);
        EXPECT_TRUE(box->text.endsWith(QString::fromStdString(s.shown))) << box->text.toStdString();
        EXPECT_EQ(image::program_image().flash_image[0], s.flash_0);
        EXPECT_EQ(form_->label_hex->text().toStdString(), folder() + s.label);
        if (s.answer == Qt::Key_Return && box->kind == core::msg_yes_no) {
            EXPECT_EQ(form_->label_status->text(), status_before);
        }
        EXPECT_TRUE(form_->commands_enabled());
    }
}

TEST_F(WindowTest, ClearEmptiesTheLabelsAndErasesTheImage) {
    test_ui::write_file(folder() + "sample.hex", test_ui::sample_hex_text());
    open_hex("sample.hex");
    form_->scrl1->setValue(100);
    form_->menuclear->trigger();
    EXPECT_TRUE(form_->label_hex->text().isEmpty());
    EXPECT_TRUE(form_->label_status->text().isEmpty());
    EXPECT_EQ(form_->scrl1->value(), 0);
    EXPECT_EQ(image::program_image().flash_image[0], 255);
    EXPECT_EQ(form_->tabla_eeprom->lines()[0], "0000: FF FF FF FF FF FF FF FF");
}

TEST_F(WindowTest, SaveWritesTheImageAndAsksBeforeReplacingAFile) {
    image::program_image().flash_image[0] = 0x12;
    const std::string path = folder() + "out.hex";
    form_->dialogs.save = [&](const ui::file_request& request) {
        EXPECT_EQ(request.title, "Save Buffer As");
        return QString::fromStdString(path);
    };
    form_->menusave->trigger();
    const std::string first = test_ui::read_file(path);
    EXPECT_NE(first.find(":0200000012FFED\r\n"), std::string::npos) << first;
    EXPECT_EQ(form_->label_status->text(), "HEX file saved.");
    EXPECT_EQ(form_->label_hex->text().toStdString(), path);

    // Answering No keeps the file; Yes replaces it.
    image::program_image().flash_image[0] = 0x34;
    for (const bool replace : {false, true}) {
        const auto box = test_ui::answer_next_box(replace ? Qt::Key_Y : Qt::Key_N);
        form_->menusave_Click();
        EXPECT_TRUE(box->answered);
        EXPECT_TRUE(box->text.startsWith("Do you want to overwrite file "))
            << box->text.toStdString();
        const bool has_new = test_ui::read_file(path).find(":0200000034FF") != std::string::npos;
        EXPECT_EQ(has_new, replace);
    }

    // A name typed without an extension is a HEX file's; replacing that one asks too.
    for (const char* typed : {"out", "fresh"}) {
        SCOPED_TRACE(typed);
        form_->dialogs.save = [&](const ui::file_request&) {
            return QString::fromStdString(folder() + typed);
        };
        const bool exists = std::filesystem::exists(folder() + typed + ".hex");
        std::shared_ptr<bool> answered;
        if (exists)
            answered =
                test_ui::on_next_modal([&](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Y); });
        form_->menusave_Click();
        EXPECT_TRUE(!exists || *answered);
        EXPECT_EQ(form_->label_hex->text().toStdString(), folder() + typed + ".hex");
        EXPECT_TRUE(std::filesystem::exists(folder() + typed + ".hex"));
        EXPECT_FALSE(std::filesystem::exists(folder() + typed));
    }
}

TEST_F(WindowTest, FailedSaveIsReportedAndTheCommandsComeBack) {
    form_->label_hex->setText("before.hex");
    form_->dialogs.save = [&](const ui::file_request&) {
        return QString::fromStdString(folder() + "no such folder/out.hex");
    };
    const auto box = test_ui::answer_next_box(Qt::Key_Return);
    form_->menusave_Click();
    EXPECT_TRUE(box->answered);
    EXPECT_EQ(box->kind, 16);
    EXPECT_TRUE(form_->commands_enabled());
    EXPECT_TRUE(form_->commands[0]->isEnabled());
    EXPECT_EQ(form_->label_hex->text(), "before.hex");
    EXPECT_EQ(form_->label_status->text(), "HEX file not saved!");
}

TEST_F(WindowTest, ScrollingRedrawsBothTablesAndStaysInTheMemory) {
    image::program_image().flash_image[0x7FFF] = 0x5A;
    image::program_image().config_image[5] = 5;
    form_->scrl1->setValue(form_->scrl1->maximum());
    EXPECT_EQ(form_->tabla_flash->lines()[7].left(7), "007FF0:");
    EXPECT_TRUE(form_->tabla_flash->lines()[7].endsWith(" 5A"));
    EXPECT_EQ(form_->label_conf[5]->text(), "05"); // the grid is rebuilt with every redraw
    EXPECT_EQ(form_->tabla_eeprom->lines()[0], "0000: FF FF FF FF FF FF FF FF");
}

TEST_F(WindowTest, WheelScrollsTheTargetTableThreeLinesANotch) {
    ASSERT_EQ(form_->wheel_target, 1);
    std::int32_t keys = 0, x = 0, y = 0;
    std::int32_t down = -120, up = 120;
    for (int n = 0; n < 3; ++n)
        form_->MouseWheel(keys, down, x, y);
    EXPECT_EQ(form_->scrl1->value(), 9);
    EXPECT_EQ(form_->tabla_flash->lines()[0].left(7), "000090:");
    form_->scrl1->setValue(1);
    form_->MouseWheel(keys, up, x, y);
    EXPECT_EQ(form_->scrl1->value(), 0);

    // At the maximum a further notch changes nothing.
    form_->scrl1->setValue(form_->scrl1->maximum());
    const QStringList before = form_->tabla_flash->lines();
    form_->MouseWheel(keys, down, x, y);
    EXPECT_EQ(form_->scrl1->value(), form_->scrl1->maximum());
    EXPECT_EQ(form_->tabla_flash->lines(), before);

    // With the EEPROM bar as target the EEPROM table moves.
    form_->wheel_target = 2;
    form_->MouseWheel(keys, down, x, y);
    EXPECT_EQ(form_->scrl2->value(), 3);
    form_->wheel_target = 0;
    form_->MouseWheel(keys, down, x, y);
    EXPECT_EQ(form_->scrl2->value(), 3);
}

TEST_F(WindowTest, WheelTurnsReachTheTablesOnlyWhileTheWindowIsActive) {
    auto turn = [&](int delta) {
        const QPoint at = form_->tabla_flash->mapTo(form_.get(), QPoint(30, 30));
        QWheelEvent wheel(QPointF(at), QPointF(form_->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form_->windowHandle(), &wheel);
    };
    turn(-120); // one notch towards the user
    EXPECT_EQ(form_->scrl1->value(), 3);
    turn(120);
    EXPECT_EQ(form_->scrl1->value(), 0);

    // Another window active (a dialog, say): the wheel leaves the tables alone.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    turn(-120);
    EXPECT_EQ(form_->scrl1->value(), 0);
}

TEST_F(WindowTest, PointerAndFocusRulesPickTheWheelTable) {
    ASSERT_EQ(form_->wheel_target, 1);
    test_ui::move_pointer(form_->tabla_eeprom, QPoint(40, 40));
    EXPECT_EQ(form_->wheel_target, 2);
    EXPECT_TRUE(form_->scrl2->hasFocus());
    test_ui::move_pointer(form_->tabla_flash, QPoint(40, 40));
    EXPECT_EQ(form_->wheel_target, 1);
    EXPECT_TRUE(form_->scrl1->hasFocus());

    // A click on a table gives its scroll bar the focus; the table never keeps it.
    QTest::mouseClick(form_->tabla_eeprom, Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_TRUE(form_->scrl2->hasFocus());
    EXPECT_EQ(form_->wheel_target, 2);
    EXPECT_FALSE(form_->unosbox->isVisible()); // a left click never opens the editor

    // A click on the window's background goes back to the FLASH bar.
    QTest::mouseClick(form_->centralWidget(), Qt::LeftButton, {}, QPoint(form_->width() - 5, 5));
    EXPECT_TRUE(form_->scrl1->hasFocus());
}

TEST_F(WindowTest, PointerChangesNothingBeforeAnyBarHadTheFocus) {
    core::install_hooks(core::default_hooks());
    ui::Form1 fresh;
    fresh.show();
    QApplication::setActiveWindow(&fresh);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fresh));
    test_ui::move_pointer(fresh.tabla_eeprom, QPoint(40, 40));
    EXPECT_EQ(fresh.wheel_target, 0);
    EXPECT_FALSE(fresh.scrl2->hasFocus());
}

// The model dialog reloads a loaded HEX file for the selected model (after a question when
// edited: No, the default, keeps model and edits); with none loaded the buffer is cleared.
TEST_F(WindowTest, ModelDialogFromTheWindowReloadsTheLoadedFile) {
    test_ui::write_file(folder() + "sample.hex", test_ui::sample_hex_text());
    open_hex("sample.hex");
    ASSERT_FALSE(form_->label_hex->text().isEmpty());
    const std::string loaded = "total 32768 (32K) program bytes loaded.";
    const struct {
        const char* step;
        Qt::Key answer; // Qt::Key_unknown: not edited, so not asked; else CONFIG1L set to 5A
        int pick;       // the model clicked in the dialog
        bool select;    // Select, else Cancel
        int model;      // selected afterwards
        int config_0;   // CONFIG1L afterwards
        std::string status;
    } rows[] = {
        {"cancel", Qt::Key_unknown, 3, false, 1, 0x00,
         "Operation completed. Total 32768 (32K) program bytes loaded."},
        {"another model", Qt::Key_unknown, 2, true, 2, 0x00,
         "HEX file reloaded for the PIC18F2520: " + loaded},
        {"edited, No", Qt::Key_Return, 1, true, 2, 0x5A,
         "Model not changed: the PIC18F2520 and the edited buffer stay."},
        {"edited, Yes", Qt::Key_Y, 1, true, 1, 0x00,
         "HEX file reloaded for the PIC18F4520: " + loaded},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.step);
        const bool edited = r.answer != Qt::Key_unknown;
        if (edited) {
            form_->label_conf_Click(0);
            QTest::keyClicks(form_->unosbox, "5A");
            QTest::keyClick(form_->unosbox, Qt::Key_Return);
            ASSERT_EQ(image::program_image().config_image[0], 0x5A);
        }
        auto asked = std::make_shared<std::vector<std::string>>();
        const auto answered = test_ui::on_next_modal([&r, edited, asked](QWidget* modal) {
            auto* dialog = dynamic_cast<ui::Form5*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (edited)
                test_ui::answer_in_turn(asked, {r.answer});
            dialog->opcija_Click(r.pick);
            (r.select ? dialog->select_button() : dialog->cancel_button())->click();
        });
        form_->menumodel->trigger();
        EXPECT_TRUE(*answered);
        ASSERT_EQ(asked->size(), edited ? 1u : 0u);
        if (edited) {
            EXPECT_EQ(asked->front().rfind("The buffer was edited since " + folder() +
                                               "sample.hex was loaded. Selecting the PIC18F4520 "
                                               "loads that file again for it",
                                           0),
                      0u)
                << asked->front();
        }
        EXPECT_EQ(devices::selected_model().number, r.model);
        EXPECT_EQ(setting("Microcontroller Model"), std::to_string(r.model));
        EXPECT_EQ(form_->label_status->text().toStdString(), r.status);
        EXPECT_EQ(image::program_image().flash_image[0], 0x11);
        EXPECT_EQ(image::program_image().config_image[0], r.config_0);
        EXPECT_TRUE(form_->commands_enabled());
    }

    // Nothing loaded: model 5, the tiny model without EEPROM, and a cleared buffer.
    form_->menuclear_Click();
    image::program_image().flash_image[0] = 0x12;
    const auto answered = test_ui::on_next_modal([](QWidget* modal) {
        auto* dialog = dynamic_cast<ui::Form5*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->opcija_Click(5);
        dialog->select_button()->click();
    });
    form_->menumodel->trigger();
    EXPECT_TRUE(*answered);
    EXPECT_EQ(setting("Microcontroller Model"), "5");
    EXPECT_TRUE(form_->label_hex->text().isEmpty());
    EXPECT_TRUE(form_->label_status->text().isEmpty());
    EXPECT_EQ(form_->label_info->text(), "FLASH: 64,  EEPROM: 0");
    EXPECT_EQ(form_->tabla_flash->lines().size(), 4);
    EXPECT_TRUE(form_->tabla_eeprom->lines().isEmpty());
    EXPECT_EQ(form_->scrl1->maximum(), 0);
    EXPECT_EQ(form_->scrl2->maximum(), 0);
    EXPECT_EQ(image::program_image().flash_image.size(), 64u);
    EXPECT_EQ(image::program_image().flash_image[0], 0xFF);
}

TEST_F(WindowTest, LockedCommandsAlsoLockTheClickableLabels) {
    int opened = 0;
    form_->dialogs.open = [&](const ui::file_request&) {
        ++opened;
        return QString();
    };
    form_->disable();
    form_->label_hex->on_click();
    form_->Label7->on_click();
    form_->menuopen_Click();
    EXPECT_EQ(opened, 0);
    // Nor do they invite a click by their tool tips until the commands come back.
    for (ui::click_label* label : {form_->label_hex, form_->Label7, form_->label_ime})
        EXPECT_TRUE(label->tip().isEmpty()) << label->fixed_tip().toStdString();
    form_->enable();
    form_->label_hex->on_click();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(form_->label_ime->tip(), "Click to change microcontroller model!");
}

} // namespace
