// The hardware settings dialog: pin entries, inversion, captions, and the lines it drives.
#include "dialog_test_support.h"

#include "hardware/adapter_choice.h"
#include "hardware/adapter_presets.h"
#include "settings/stored_wiring.h"
#include "ui/dialog_commands.h"
#include "ui/form99.h"
#include "ui/preset_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using ui_test::stored_text;

class Form99HardwareSettings : public ui_test::shown_dialog_fixture<ui::Form99> {
  protected:
    QLabel* label(int n) { return dialog->findChild<QLabel*>(QString("Label%1").arg(n)); }
    std::string caption(int n) { return check(n)->text().toStdString(); }

    // A click on a line's label answered with `answer`: the caption the line then has, and
    // the refusal shown (nullptr: the answer is stored).
    struct pin_entry {
        int row;
        const char* answer;
        const char* caption;
        const char* refusal;
    };
    template <std::size_t N>
    void enter_pins(const pin_entry (&entries)[N], const char* const* captions) {
        for (const pin_entry& e : entries) {
            SCOPED_TRACE(std::string(captions[e.row - 1]) + " answer " + e.answer);
            clear_records();
            answers = {e.answer};
            QTest::mouseClick(label(e.row), Qt::LeftButton);
            ASSERT_EQ(questions.size(), 1u);
            EXPECT_EQ(caption(e.row), e.caption);
            ASSERT_EQ(messages.size(), e.refusal ? 1u : 0u);
            if (e.refusal) {
                EXPECT_EQ(messages[0].text, e.refusal);
            }
        }
    }
};

TEST_F(Form99HardwareSettings, OpensWithTheWiringShownAndTheOutputsOff) {
    Module94::port_settings.invert_vpp = 1;
    Module94::vdd_on();
    clear_trace();
    open();
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Hardware Settings");
    const char* captions[] = {"Invert VDD line (D2)", "Invert VPP line (D3)",
                              "Invert CLOCK line (D1)", "Invert DATA OUT line (D0)",
                              "Invert DATA IN line (S6)"};
    const bool checked[] = {false, true, true, true, true};
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(caption(n), captions[n - 1]);
        EXPECT_EQ(check(n)->isChecked(), checked[n - 1]) << "Check" << n;
        EXPECT_EQ(label(n)->text().toStdString(), "Change Pin");
    }
    // linesoff: four line procedures, each a data and control write and a status read.
    EXPECT_EQ(count_in_trace("W 0378"), 4u);
    EXPECT_EQ(count_in_trace("W 037A"), 4u);
    EXPECT_EQ(count_in_trace("R 0379"), 4u);
    EXPECT_FALSE(pin_high(4)) << "VDD off";
    EXPECT_TRUE(pin_high(5)) << "VPP off on an inverted line";
    EXPECT_TRUE(pin_high(3) && pin_high(2)) << "CLOCK and DATA OUT at 0, inverted";
    // Fixed colours whatever the theme.
    EXPECT_EQ(ui_test::painted_background(dialog.get()), 0xC0C0C0u);
    EXPECT_EQ(ui_test::painted_background(check(1)), 0xE0E0E0u);
    EXPECT_EQ(ui_test::painted_background(label(1)), 0xC0FFC0u);
}

TEST_F(Form99HardwareSettings, PinEntriesMustBeExactlyOneOfTheLinesPins) {
    struct pin_case {
        int row;            // 1 VDD .. 5 DATA IN
        const char* answer; // nullptr: cancelled
        int pin;            // 0: refused with "Wrong entry!" (or cancelled)
        const char* caption;
    };
    const pin_case cases[] = {
        {1, "5 ", 0, "Invert VDD line (D2)"},       {1, " 5", 0, "Invert VDD line (D2)"},
        {1, "05", 0, "Invert VDD line (D2)"},       {1, "5.0", 0, "Invert VDD line (D2)"},
        {1, "10", 0, "Invert VDD line (D2)"},       {1, "18", 0, "Invert VDD line (D2)"},
        {1, "17", 17, "Invert VDD line (\\C3)"},    {1, "1", 1, "Invert VDD line (\\C0)"},
        {2, "4", 4, "Invert VPP line (D2)"},        {3, "14", 14, "Invert CLOCK line (\\C1)"},
        {4, "16", 16, "Invert DATA OUT line (C2)"}, {5, "2", 0, "Invert DATA IN line (S6)"},
        {5, "16", 0, "Invert DATA IN line (S6)"},   {5, "15", 15, "Invert DATA IN line (S3)"},
        {3, nullptr, 0, "Invert CLOCK line (D1)"},
    };
    const char* names[] = {"VDD", "VPP", "CLOCK", "DATA OUT", "DATA IN"};
    const char* value_names[] = {"VDD Pin Num", "VPP Pin Num", "CLOCK Pin Num", "DATAOUT Pin Num",
                                 "DATAIN Pin Num"};
    const int default_pins[] = {4, 5, 3, 2, 10};
    for (const pin_case& c : cases) {
        SCOPED_TRACE(std::string(names[c.row - 1]) + " answer " +
                     (c.answer ? "'" + std::string(c.answer) + "'" : "cancelled"));
        ui_test::clear_settings();
        Module94::port_settings = {};
        clear_records();
        open();
        answers.clear();
        if (c.answer != nullptr)
            answers.push_back(c.answer);
        clear_trace();
        QTest::mouseClick(label(c.row), Qt::LeftButton);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].prompt, "Enter new parallel port pin for " +
                                           std::string(names[c.row - 1]) + " line " +
                                           (c.row == 5 ? "[10-13,15]." : "[1-9,14,16,17]."));
        EXPECT_EQ(questions[0].title, "Tarvellic Pinwright");
        EXPECT_EQ(questions[0].default_text, std::to_string(default_pins[c.row - 1]));
        EXPECT_EQ(caption(c.row), c.caption);
        const bool refused = c.pin == 0 && c.answer != nullptr;
        ASSERT_EQ(messages.size(), refused ? 1u : 0u);
        if (refused) {
            EXPECT_EQ(messages[0].text, "Wrong entry!");
            EXPECT_EQ(messages[0].kind, 16);
            EXPECT_EQ(messages[0].title, "Tarvellic Pinwright");
        }
        EXPECT_EQ(stored_text(value_names[c.row - 1]),
                  c.pin != 0 ? std::to_string(c.pin) : "<missing>");
        // An accepted pin is driven idle at once; anything else leaves the port alone.
        EXPECT_EQ(count_in_trace("W 0378"), c.pin != 0 ? 4u : 0u);
    }
}

TEST_F(Form99HardwareSettings, InversionChangesAreStoredAndDrivenAtOnce) {
    struct row_case {
        const char* value_name;
        std::int32_t Module94::port_settings_record::*field;
        int pin; // 0: DATA IN, not driven
    };
    using record = Module94::port_settings_record;
    const row_case rows[] = {{"Invert VDD", &record::invert_vdd, 4},
                             {"Invert VPP", &record::invert_vpp, 5},
                             {"Invert CLOCK", &record::invert_clock, 3},
                             {"Invert DATAOUT", &record::invert_dataout, 2},
                             {"Invert DATAIN", &record::invert_datain, 0}};
    Module94::port_settings.invert_clock = 0;
    Module94::port_settings.invert_dataout = 0;
    Module94::port_settings.invert_datain = 0;
    open();
    for (int n = 1; n <= 5; ++n) {
        const row_case& r = rows[n - 1];
        SCOPED_TRACE(r.value_name);
        for (const char* expected : {"1", "0"}) {
            clear_trace();
            QTest::mouseClick(check(n), Qt::LeftButton);
            EXPECT_EQ(Module94::port_settings.*r.field, std::stoi(expected));
            EXPECT_EQ(stored_text(r.value_name), expected);
            EXPECT_EQ(count_in_trace("W 0378"), 4u) << "linesoff";
            if (r.pin != 0) { // the inactive level of an inverted line is high
                EXPECT_EQ(pin_high(r.pin), *expected == '1') << "pin " << r.pin;
            }
        }
    }
}

TEST_F(Form99HardwareSettings, ClosingInAnyWaySwitchesTheOutputsOff) {
    for (const char* way : {"button", "close box", "escape", "menu command"}) {
        SCOPED_TRACE(way);
        Module94::vdd_on();
        Module94::vpp_on();
        Module94::clock_high();
        Module94::data_high();
        if (std::string(way) == "menu command") {
            bool modal = false;
            QTimer::singleShot(0, [&] {
                QWidget* shown = QApplication::activeModalWidget();
                modal = dynamic_cast<ui::Form99*>(shown) != nullptr;
                Module94::vdd_on(); // switched on while the dialog is open
                if (shown != nullptr)
                    shown->close();
            });
            ui::show_hardware_settings();
            EXPECT_TRUE(modal);
        } else {
            open();
            Module94::vdd_on(); // switched on again after opening
            close_by(way);
            EXPECT_FALSE(dialog->isVisible());
        }
        EXPECT_FALSE(pin_high(4) || pin_high(5)) << "VDD and VPP off";
        EXPECT_TRUE(pin_high(3) && pin_high(2)) << "CLOCK and DATA OUT at 0 (inverted lines)";
    }
    EXPECT_EQ(stored_text("VDD Pin Num"), "<missing>") << "opening and closing store nothing";
}

// With an FTDI board selected the dialog edits the FTDI wiring by bit-bang pin: a pin
// another line uses is refused with the clash named, only VDD and VPP may have none, and
// the parallel port's wiring stays as stored.
TEST_F(Form99HardwareSettings, WithAnFtdiBoardSelectedEditsTheFtdiWiring) {
    hardware::store_adapter({hardware::adapter_kind::ftdi, "PW1A2B3C"});
    open();
    const char* captions[] = {"Invert VDD line: D5 (DSR)", "Invert VPP line: D6 (DCD)",
                              "Invert CLOCK line: D0 (TXD)", "Invert DATA OUT line: D1 (RXD)",
                              "Invert DATA IN line: D3 (CTS)"};
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(caption(n), captions[n - 1]);
        EXPECT_FALSE(check(n)->isChecked()) << "Check" << n;
    }
    const pin_entry entries[] = {
        {5, "4", "Invert DATA IN line: D4 (DTR)", nullptr},
        {5, "0", "Invert DATA IN line: D4 (DTR)",
         "Wrong entry: CLOCK and DATA IN are both on D0 (TXD) (give each line its own pin)."},
        {3, "-1", "Invert CLOCK line: D0 (TXD)", "Wrong entry!"},
        {1, "-1", "Invert VDD line: not connected", nullptr},
    };
    enter_pins(entries, captions);
    EXPECT_EQ(questions[0].prompt,
              "Enter new FTDI pin for VDD line [0-7 for D0 (TXD), D1 (RXD), D2 (RTS), D3 (CTS), "
              "D4 (DTR), D5 (DSR), D6 (DCD), D7 (RI); -1 for not connected].");
    QTest::mouseClick(check(3), Qt::LeftButton);
    settings::ftdi_wiring expected;
    expected.vdd.bit = -1;
    expected.clock.inverted = true;
    expected.data_in.bit = 4;
    EXPECT_EQ(settings::read_stored_ftdi_wiring(), expected);
    EXPECT_EQ(stored_text("FTDI Invert CLOCK"), "1");
    EXPECT_TRUE(dialog->ftdi_wiring_changed());
    for (const char* parallel : {"DATAIN Pin Num", "VDD Pin Num", "Invert CLOCK"})
        EXPECT_EQ(stored_text(parallel), "<missing>") << parallel;
}

// Hardware > Adapter Preset...: Apply stores exactly the preset's lines in the wiring of its
// kind, which Hardware Settings then shows, and stores its nominal voltages on Yes; a preset
// that cannot be driven cannot be applied.
TEST_F(Form99HardwareSettings, AnAdapterPresetStoresExactlyItsLines) {
    hardware::set_presets_path(PINWRIGHT_SOURCE_DIR "/data/pinwrightpresets.txt");
    const auto& presets = hardware::program_presets();
    ui::preset_dialog chooser(presets);
    const auto row = [&](const std::string& name) {
        return static_cast<int>(hardware::find_preset(presets, name) - presets.data());
    };
    EXPECT_EQ(chooser.list()->currentRow(), 0) << "none in use: the first";

    yes_no_answer = core::result_yes;
    chooser.choose(row("Tait classic (7407 + PNP)"));
    chooser.Apply_Click();
    const std::pair<const char*, const char*> stored[] = {
        {"VDD Pin Num", "4"},
        {"VPP Pin Num", "5"},
        {"CLOCK Pin Num", "3"},
        {"DATAOUT Pin Num", "2"},
        {"DATAIN Pin Num", "10"},
        {"Invert VDD", "1"},
        {"Invert VPP", "1"},
        {"Invert CLOCK", "0"},
        {"Invert DATAOUT", "0"},
        {"Invert DATAIN", "0"},
        {"Adapter Preset", "Tait classic (7407 + PNP)"},
        {"Adapter VDD", "5.00"},
        {"Adapter VPP", "13.80"}};
    for (const auto& [name, value] : stored)
        EXPECT_EQ(stored_text(name), value) << name;
    EXPECT_TRUE(pin_high(4) && pin_high(5)) << "VDD and VPP off on inverted lines";
    open();
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(check(n)->isChecked(), n <= 2) << "Check" << n;
    dialog.reset();

    // An FTDI preset goes to the FTDI wiring; No keeps the adapter's voltages.
    yes_no_answer = core::result_no;
    chooser.choose(row("fpicprog FT232R"));
    chooser.Apply_Click();
    const std::pair<const char*, const char*> ftdi[] = {
        {"FTDI VDD Bit", "-1"},  {"FTDI VPP Bit", "0"},     {"FTDI Invert VPP", "1"},
        {"FTDI CLOCK Bit", "4"}, {"FTDI DATAOUT Bit", "1"}, {"FTDI DATAIN Bit", "2"},
        {"Invert VDD", "1"},     {"Adapter VPP", "13.80"},  {"Adapter Preset", "fpicprog FT232R"}};
    for (const auto& [name, value] : ftdi)
        EXPECT_EQ(stored_text(name), value) << name;

    chooser.choose(row("NOPPP"));
    EXPECT_FALSE(chooser.apply_button()->isEnabled());
    EXPECT_NE(chooser.details()->toPlainText().toStdString().find(
                  "Status: cannot be driven: DATA OUT must go out on two pins at once"),
              std::string::npos);
    chooser.Apply_Click();
    EXPECT_EQ(stored_text("Adapter Preset"), "fpicprog FT232R");
    EXPECT_EQ(stored_text("Invert DATAIN"), "0");
    hardware::set_presets_path("");
}

// With a GPIO chip selected the dialog edits the GPIO wiring by line offset, and the
// pull-up of DATA IN in a sixth check box; a line another line uses is refused.
TEST_F(Form99HardwareSettings, WithAGPIOChipSelectedEditsTheGPIOWiring) {
    hardware::store_adapter({hardware::adapter_kind::gpio, "/dev/gpiochip0"});
    open();
    const char* captions[] = {"Invert VDD line: line 22",     "Invert VPP line: line 18",
                              "Invert CLOCK line: line 23",   "Invert DATA OUT line: line 24",
                              "Invert DATA IN line: line 25", "DATA IN pull-up"};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(caption(n), captions[n - 1]);
    const pin_entry entries[] = {
        {5, "27", "Invert DATA IN line: line 27", nullptr},
        {3, "27", "Invert CLOCK line: line 23",
         "Wrong entry: CLOCK and DATA IN are both on line 27 (give each its own line)."},
        {4, "1024", "Invert DATA OUT line: line 24", "Wrong entry!"},
        {2, "-1", "Invert VPP line: not connected", nullptr},
    };
    enter_pins(entries, captions);
    EXPECT_EQ(questions[0].prompt,
              "Enter new GPIO line for VPP line [0-1023, the line's offset on the chip; -1 for "
              "not connected].");
    QTest::mouseClick(check(4), Qt::LeftButton);
    QTest::mouseClick(check(6), Qt::LeftButton);
    settings::gpio_wiring expected;
    expected.vpp.offset = -1;
    expected.data_out.inverted = true;
    expected.data_in.offset = 27;
    expected.data_in_pull_up = true;
    EXPECT_EQ(settings::read_stored_gpio_wiring(), expected);
    EXPECT_TRUE(dialog->gpio_wiring_changed());
    EXPECT_EQ(stored_text("Invert DATAOUT"), "<missing>");
}

} // namespace
