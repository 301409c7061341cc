// Test support for the dialogs: one QApplication for the run (offscreen unless a platform
// is set), the settings store in a temporary folder, recording host hooks with scripted
// input-box answers, and a simulated adapter behind a port trace, so that tests see the
// level of every connector pin and every register access; and a fixture that opens and
// closes one dialog class.
#pragma once

#include "core/host_hooks.h"
#include "hardware/port_lines.h"
#include "hardware/simulated_adapter.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

class QWidget;

namespace ui_test {

struct shown_message {
    std::string text;
    int kind;
    std::string title;
};

struct asked_question {
    std::string prompt, title, default_text;
};

void clear_settings();
// The stored text of a value, or "<missing>".
std::string stored_text(const std::string& name);
// The colour (0xRRGGBB) a widget paints just inside its top right corner.
std::uint32_t painted_background(QWidget* widget);

class dialog_fixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    bool pin_high(int pin) const { return adapter->connector_level(pin); }
    // Register accesses since the last clear_trace() starting with `prefix` ("W 0378").
    std::size_t count_in_trace(const std::string& prefix) const;
    void clear_trace() { trace.str({}); }
    void clear_records() {
        questions.clear();
        messages.clear();
        statuses.clear();
    }

    std::deque<std::string> answers;     // input box answers in order; none left: cancelled
    int yes_no_answer = core::result_no; // what a Yes/No question is answered
    std::vector<asked_question> questions;
    std::vector<shown_message> messages;
    std::vector<std::string> statuses;
    std::ostringstream trace;
    hardware::simulated_adapter* adapter = nullptr;
};

// The fixture of one dialog class with numbered check boxes: open() shows a fresh dialog
// and waits until it is on screen, check(n) is its box "Check<n>".
template <class Dialog> class shown_dialog_fixture : public dialog_fixture {
  protected:
    void open() {
        dialog = std::make_unique<Dialog>();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QCheckBox* check(int n) {
        return dialog->template findChild<QCheckBox*>(QString("Check%1").arg(n));
    }
    // Closes the open dialog by its "button" (Command1), its "close box", or else Escape.
    void close_by(const std::string& way) {
        if (way == "button")
            QTest::mouseClick(dialog->template findChild<QPushButton*>("Command1"), Qt::LeftButton);
        else if (way == "close box")
            dialog->close();
        else
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
    }

    std::unique_ptr<Dialog> dialog;
};

} // namespace ui_test
