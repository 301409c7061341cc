// The port, port selection, programming time, adapter voltages, port pacing, pinout and
// about commands.
#include "dialog_test_support.h"

#include "core/hex_text.h"
#include "hardware/port_lines.h"
#include "hardware/port_session.h"
#include "interpreter/algorithm_run.h"
#include "settings/setting_names.h"
#include "ui/color_theme.h"
#include "ui/dialog_commands.h"
#include "ui/message_text_view.h"
#include "ui/port_dialog.h"
#include "ui/table_widgets.h"

#include <QSettings>

#include <algorithm>

namespace {

class PortTimePinoutAboutCommands : public ui_test::dialog_fixture {
  protected:
    void SetUp() override {
        dialog_fixture::SetUp();
        hardware::configure_port_session({.simulate = true,
                                          .sim_part = "18F4520",
                                          .chip_file = {},
                                          .trace_file = {},
                                          .access_cost = false,
                                          .lose_port_after = {}});
    }
    void ask(const char* answer) {
        answers.clear();
        if (answer != nullptr)
            answers.push_back(answer);
        clear_records();
    }
    void expect_wrong_entry(bool wrong) {
        ASSERT_EQ(messages.size(), wrong ? 1u : 0u);
        if (wrong) {
            EXPECT_EQ(messages[0].text, "Wrong entry!");
            EXPECT_EQ(messages[0].kind, 16);
            EXPECT_EQ(messages[0].title, "Tarvellic Pinwright");
        }
    }
};

TEST_F(PortTimePinoutAboutCommands, PortAnswers) {
    struct port_case {
        std::int32_t before;
        const char* answer; // nullptr: cancelled
        std::int32_t after;
        bool wrong;
        const char* default_text;
        int status_port; // the port the status line reports; 0: left alone
    };
    const port_case cases[] = {
        {888, "2", 632, false, "1", 2},
        {888, "3", 956, false, "1", 3},
        {632, "1", 888, false, "2", 1},
        {956, "2", 632, false, "3", 2},
        {888, nullptr, 888, false, "1", 1},
        {632, nullptr, 632, false, "2", 2},
        {888, " 2", 888, true, "1", 1},
        {888, "2 ", 888, true, "1", 1},
        {888, "4", 888, true, "1", 1},
        {888, "LPT2", 888, true, "1", 1},
        // Not one of the three: asked without a default; kept (and stored) on a cancel.
        {1000, nullptr, 1000, false, "", 0},
        {1000, "x", 1000, true, "", 0},
        {1000, "3", 956, false, "", 3},
    };
    for (const port_case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + " answer " +
                     (c.answer ? "'" + std::string(c.answer) + "'" : "cancelled"));
        ui_test::clear_settings();
        Module94::port_settings.port_base = c.before;
        ask(c.answer);
        ui::choose_port();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].prompt, "Please select programmer Parallel Port Number [1-3].");
        EXPECT_EQ(questions[0].title, "Tarvellic Pinwright");
        EXPECT_EQ(questions[0].default_text, c.default_text);
        EXPECT_EQ(Module94::port_settings.port_base, c.after);
        EXPECT_EQ(ui_test::stored_text("Parallel Port Address"), std::to_string(c.after));
        expect_wrong_entry(c.wrong);
        if (c.status_port == 0) {
            EXPECT_TRUE(statuses.empty());
            continue;
        }
        EXPECT_EQ(statuses, std::vector<std::string>{"Simulated parallel port " +
                                                     std::to_string(c.status_port) + " ready"});
        // The port was reopened at its address.
        EXPECT_NE(
            hardware::current_port_backend().description().find(hardware::address_text(c.after)),
            std::string::npos);
    }
}

TEST_F(PortTimePinoutAboutCommands, SelectParallelPortDialog) {
    hardware::parport_info lpt1{0, "/dev/parport0", 888, "PCSPP,TRISTATE", {}, {}};
    lpt1.ppdev.code = hardware::port_error::none;
    hardware::parport_info card{1, "/dev/parport1", 0xD010, "", {}, {}};
    card.ppdev = {hardware::port_error::permission_denied, "/dev/parport1: permission denied",
                  "add yourself to the lp group (sudo usermod -aG lp $USER) and log in again"};
    card.raw_io =
        hardware::access_verdict{hardware::port_error::no_io_privilege, "raw refused", ""};
    const auto cell_texts = [](const ui::port_dialog& dialog, int row) {
        std::string texts;
        for (QLabel* cell : dialog.cells(row))
            texts += cell->text().toStdString() + "|";
        return texts;
    };

    for (const bool select : {false, true}) {
        SCOPED_TRACE(select ? "Select" : "Cancel");
        ui_test::clear_settings();
        ui::loadtheme();
        ASSERT_NE(ui::color_selected, ui::color_field);
        clear_records();
        Module94::port_settings.port_base = 888;
        ui::port_dialog dialog({lpt1, card});
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.windowTitle(), "Select Parallel Port");
        EXPECT_EQ(cell_texts(dialog, -1), "Device|Address|Modes|Usable|");
        EXPECT_EQ(cell_texts(dialog, 0), "/dev/parport0|0x378|PCSPP,TRISTATE|yes|");
        EXPECT_EQ(cell_texts(dialog, 1), "/dev/parport1|0xD010|-|no|");
        EXPECT_EQ(ui_test::painted_background(dialog.row(0)), ui::color_selected) << "current";
        EXPECT_EQ(ui_test::painted_background(dialog.row(1)), ui::color_field);
        EXPECT_EQ(dialog.details()->text(), "/dev/parport0 can be used.");

        QTest::mouseClick(dialog.row(1), Qt::LeftButton);
        EXPECT_EQ(ui_test::painted_background(dialog.row(1)), ui::color_selected);
        EXPECT_EQ(dialog.details()->text().toStdString(),
                  "/dev/parport1: permission denied\nFix: add yourself to the lp group (sudo "
                  "usermod -aG lp $USER) and log in again\nRaw port I/O: raw refused");
        QTest::mouseClick(select ? dialog.select_button() : dialog.cancel_button(), Qt::LeftButton);
        EXPECT_EQ(Module94::port_settings.port_base, select ? 0xD010 : 888);
        EXPECT_EQ(ui_test::stored_text("Parallel Port Address"), select ? "53264" : "<missing>");
        // Reopened there: a simulated port away from LPT1-3 leaves the status line empty.
        EXPECT_EQ(statuses, select ? std::vector<std::string>{""} : std::vector<std::string>{});
        if (select) {
            EXPECT_NE(hardware::current_port_backend().description().find("0xD010"),
                      std::string::npos);
        }
    }

    // Another kind's adapter: a row after the ports, selected into "Adapter".
    ui_test::clear_settings();
    const hardware::adapter_listing board{"ftdi:A1B2C3", "FT232R, serial A1B2C3", false,
                                          "USB 001/004: permission denied",
                                          "sudo usermod -aG plugdev $USER, then log in again"};
    const hardware::adapter_listing chip{
        "gpio:/dev/gpiochip0", "gpiochip0 \"pinctrl-bcm2835\", 54 lines", true, {}, {}};
    ui::port_dialog both({lpt1}, {}, {board, chip});
    both.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&both));
    EXPECT_EQ(cell_texts(both, 1), "ftdi:A1B2C3|USB|FT232R, serial A1B2C3|no|");
    EXPECT_EQ(cell_texts(both, 2),
              "gpio:/dev/gpiochip0|GPIO|gpiochip0 \"pinctrl-bcm2835\", 54 lines|yes|");
    QTest::mouseClick(both.row(1), Qt::LeftButton);
    EXPECT_EQ(both.details()->text().toStdString(),
              "USB 001/004: permission denied\nFix: sudo usermod -aG plugdev $USER, then log in "
              "again");
    QTest::mouseClick(both.select_button(), Qt::LeftButton);
    EXPECT_EQ(ui_test::stored_text("Adapter"), "ftdi:A1B2C3");
    EXPECT_EQ(ui_test::stored_text("Parallel Port Address"), "<missing>");
    const ui::port_dialog again({lpt1}, {}, {board});
    EXPECT_EQ(ui_test::painted_background(again.row(1)), ui::color_selected) << "current";

    // No port listed: why, and the fix; nothing to select.
    ui::port_dialog none({}, {hardware::port_error::no_such_port,
                              "/proc/sys/dev/parport does not exist",
                              "load the parport_pc driver: sudo modprobe parport_pc"});
    EXPECT_EQ(none.details()->text().toStdString(),
              "No parallel port is listed.\n/proc/sys/dev/parport does not exist\nFix: load the "
              "parport_pc driver: sudo modprobe parport_pc");
    EXPECT_FALSE(none.select_button()->isEnabled());
}

TEST_F(PortTimePinoutAboutCommands, ProgrammingTimeAnswers) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0.5", 0},   {"31", 0},  {"30", 30}, {"1", 1},     {"2.5", 2},  {"3.5", 4},
        {"12ms", 12}, {"abc", 0}, {"-3", 0},  {" 1 5", 15}, {"30.4", 0}, {nullptr, 7},
    };
    for (const auto& [answer, expected] : cases) {
        SCOPED_TRACE(answer ? "'" + std::string(answer) + "'" : "cancelled");
        devices::selected_model().values.program_time_ms = 7;
        devices::selected_model().values.config_program_time_ms = 5;
        ask(answer);
        ui::change_programming_time();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].prompt, "Enter new programming time in ms [1-30].");
        EXPECT_EQ(questions[0].title, "Tarvellic Pinwright");
        EXPECT_EQ(questions[0].default_text, "7");
        expect_wrong_entry(expected == 0);
        EXPECT_EQ(devices::selected_model().values.program_time_ms, expected == 0 ? 7 : expected);
        // The configuration bytes keep the hold their cells need.
        EXPECT_EQ(devices::selected_model().values.config_program_time_ms, 5);
        EXPECT_TRUE(statuses.empty());
    }
    EXPECT_TRUE(QSettings(QSettings::IniFormat, QSettings::UserScope, "Tarvellic Pinwright")
                    .allKeys()
                    .isEmpty())
        << "the programming time is never stored";
}

// Hardware > Adapter Voltages...: VDD then VPP, both stored once both are answered; an
// emptied field states nothing, Cancel keeps both as they were, and a value that is not
// accepted says what is and asks the same line again (showing what was typed).
TEST_F(PortTimePinoutAboutCommands, AdapterVoltagesAnswers) {
    const struct {
        std::vector<const char*> answers; // none left: cancelled
        std::vector<const char*> asked;   // the lines asked, in turn
        const char *vdd, *vpp;            // stored afterwards
        const char* refused;              // the first value refused, if any
    } cases[] = {
        {{"3.3", "9"}, {"VDD", "VPP"}, "3.3", "9", nullptr},
        {{" 3.30 ", "12.5"}, {"VDD", "VPP"}, "3.30", "12.5", nullptr},
        {{"", ""}, {"VDD", "VPP"}, "", "", nullptr},
        {{"3.3", ""}, {"VDD", "VPP"}, "3.3", "", nullptr},
        {{}, {"VDD"}, "5", "13", nullptr},
        {{"3.3"}, {"VDD", "VPP"}, "5", "13", nullptr},
        {{"abc"}, {"VDD", "VDD"}, "5", "13", "abc"},
        {{"3.3", "9,5", "9.5"}, {"VDD", "VPP", "VPP"}, "3.3", "9.5", "9,5"},
        {{"0", "4", "9"}, {"VDD", "VDD", "VPP"}, "4", "9", "0"},
        {{"3.333", "3.33", "13"}, {"VDD", "VDD", "VPP"}, "3.33", "13", "3.333"},
        {{"3.3", "20.5"}, {"VDD", "VPP", "VPP"}, "5", "13", "20.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers.empty() ? std::string("cancelled") : c.answers[0]);
        settings::adapter_vdd_setting.write("5");
        settings::adapter_vpp_setting.write("13");
        ask(nullptr);
        for (const char* answer : c.answers)
            answers.push_back(answer);
        ui::change_adapter_voltages();
        ASSERT_EQ(questions.size(), c.asked.size());
        for (std::size_t k = 0; k < questions.size(); ++k) {
            EXPECT_EQ(questions[k].prompt, std::string("Enter the ") + c.asked[k] +
                                               " your adapter applies, in volts [0.01-20]; "
                                               "leave it empty when not known.");
            EXPECT_EQ(questions[k].title, "Tarvellic Pinwright");
        }
        EXPECT_EQ(questions[0].default_text, "5");
        ASSERT_EQ(messages.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(messages[0].kind, 16);
            EXPECT_EQ(messages[0].text.rfind("\"" + std::string(c.refused) +
                                                 "\" is not accepted as the adapter's ",
                                             0),
                      0u)
                << messages[0].text;
            EXPECT_NE(messages[0].text.find(": enter volts above 0 and at most 20, with a point "
                                            "and at most two decimals (5, 12.5 or 3.30), or "
                                            "leave the field empty when the voltage is not known."),
                      std::string::npos)
                << messages[0].text;
            // Asked again with what was typed.
            const auto again = std::find_if(
                questions.begin() + 1, questions.end(), [&](const ui_test::asked_question& q) {
                    return q.default_text == core::without_blanks_around(c.refused);
                });
            EXPECT_NE(again, questions.end());
        }
        EXPECT_EQ(ui_test::stored_text("Adapter VDD"), c.vdd);
        EXPECT_EQ(ui_test::stored_text("Adapter VPP"), c.vpp);
    }
}

// Options > Fast Port Access and Port Delay...: stored and in force for the next run at
// once; a wrong delay changes nothing.
TEST_F(PortTimePinoutAboutCommands, PortPacingAnswers) {
    ui::set_fast_port_access(true);
    EXPECT_TRUE(Module94::port_pacing.fast);
    EXPECT_EQ(settings::read_stored_pacing().fast, true);
    ui::set_fast_port_access(false);
    EXPECT_FALSE(Module94::port_pacing.fast || settings::read_stored_pacing().fast);

    const std::pair<const char*, std::int32_t> cases[] = {
        {"5", 5},   {" 250 ", 250}, {"0", 0},    {"10000", 10000}, {"10001", -1},
        {"-2", -1}, {"2.5", -1},    {"abc", -1}, {nullptr, 7},
    };
    for (const auto& [answer, expected] : cases) {
        SCOPED_TRACE(answer ? "'" + std::string(answer) + "'" : "cancelled");
        Module94::port_pacing.delay_us = 7;
        settings::port_delay_setting.write(7);
        ask(answer);
        ui::change_port_delay();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].prompt,
                  "Enter the wait after every port write in microseconds [0-10000], for adapters "
                  "with slow buffers or opto-couplers; 0 for none.");
        EXPECT_EQ(questions[0].default_text, "7");
        expect_wrong_entry(expected < 0);
        const std::int32_t now = expected < 0 ? 7 : expected;
        EXPECT_EQ(Module94::port_pacing.delay_us, now);
        EXPECT_EQ(settings::read_stored_pacing().delay_us, now);
    }
}

// Lines of a text in which every line ends with CR LF.
std::vector<std::string> crlf_lines(std::string text) {
    std::vector<std::string> lines;
    for (std::size_t end; (end = text.find("\r\n")) != std::string::npos; text.erase(0, end + 2))
        lines.push_back(text.substr(0, end));
    EXPECT_EQ(text, "") << "the last line ends with CR LF too";
    return lines;
}

TEST_F(PortTimePinoutAboutCommands, PinoutAndAboutTexts) {
    ui::show_pinout();
    ui::show_about();
    ASSERT_EQ(messages.size(), 2u);
    for (const ui_test::shown_message& shown : messages) {
        EXPECT_EQ(shown.kind, 0);
        EXPECT_EQ(shown.title, "Tarvellic Pinwright");
    }
    EXPECT_EQ(messages[0].text, // byte for byte as the window has always shown it
              "Parallel Port Pinout:\r\n\r\nPin\tBit\tDirection\r\n1\t\\C0\tOutput\r\n"
              "2\tD0\tOutput\r\n3\tD1\tOutput\r\n4\tD2\tOutput\r\n5\tD3\tOutput\r\n"
              "6\tD4\tOutput\r\n7\tD5\tOutput\r\n8\tD6\tOutput\r\n9\tD7\tOutput\r\n"
              "10\tS6\tInput\r\n11\t\\S7\tInput\r\n12\tS5\tInput\r\n13\tS4\tInput\r\n"
              "14\t\\C1\tOutput\r\n15\tS3\tInput\r\n16\tC2\tOutput\r\n17\t\\C3\tOutput\r\n"
              "18-25\tGND\t-\r\n\r\nSymbol '\\' is used for inverted pin-bit connection.\r\n"
              "Directions are defined from the viewpoint of the PC.\r\n\r\n"
              "LPT1 base address: 0x378\r\nLPT2 base address: 0x278\r\n"
              "LPT3 base address: 0x3BC\r\n\r\nData register - Base address + 0\r\n"
              "Status register - Base address + 1\r\nControl register - Base address + 2\r\n");
    const std::vector<std::string> about = crlf_lines(messages[1].text);
    ASSERT_EQ(about.size(), 9u);
    EXPECT_EQ(about[0], "Tarvellic Pinwright");
    EXPECT_NE(about[2].find("Copyright"), std::string::npos);
    EXPECT_EQ(about[3] + about[6], "");
    EXPECT_EQ(about[7], "Send bug reports and suggestions to:");
    EXPECT_NE(about[8].find('@'), std::string::npos);
}

} // namespace
