// The port, programming time, pinout and about commands.
#include "dialog_test_support.h"

#include "hardware/port_session.h"
#include "interpreter/algorithm_run.h"
#include "ui/dialog_commands.h"

#include <QSettings>

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

TEST_F(PortTimePinoutAboutCommands, ProgrammingTimeAnswers) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0.5", 0},   {"31", 0},  {"30", 30}, {"1", 1},     {"2.5", 2},  {"3.5", 4},
        {"12ms", 12}, {"abc", 0}, {"-3", 0},  {" 1 5", 15}, {"30.4", 0}, {nullptr, 7},
    };
    for (const auto& [answer, expected] : cases) {
        SCOPED_TRACE(answer ? "'" + std::string(answer) + "'" : "cancelled");
        devices::selected_model().values.program_time_ms = 7;
        ask(answer);
        ui::change_programming_time();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].prompt, "Enter new programming time in ms [1-30].");
        EXPECT_EQ(questions[0].title, "Tarvellic Pinwright");
        EXPECT_EQ(questions[0].default_text, "7");
        expect_wrong_entry(expected == 0);
        EXPECT_EQ(devices::selected_model().values.program_time_ms, expected == 0 ? 7 : expected);
        EXPECT_TRUE(statuses.empty());
    }
    EXPECT_TRUE(QSettings(QSettings::IniFormat, QSettings::UserScope, "Tarvellic Pinwright")
                    .allKeys()
                    .isEmpty())
        << "the programming time is never stored";
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
