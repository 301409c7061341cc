// Shared set-up of the window tests: one QApplication for the process, a settings store
// and a device database in a temporary folder, the main window loaded on the simulated
// adapter with the program's own hooks, and helpers that answer the modal boxes.
#pragma once

#include "ui/form1.h"

#include <QPoint>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace test_ui {

// The test database: five models, the first three with working algorithms for the
// simulated PIC18F4520 (program and verify the used FLASH, read all of it).
std::string test_database_text();

// Writes `text` to `path`.
void write_file(const std::string& path, const std::string& text);
std::string read_file(const std::string& path);

// The pointer moving over `widget` to `where` (sent to the widget as the window system
// would deliver it).
void move_pointer(QWidget* widget, QPoint where);

// Runs `act` on the next modal window as soon as it is open (within `timeout_ms`).
// The returned flag becomes true once `act` has run.
std::shared_ptr<bool> on_next_modal(std::function<void(QWidget*)> act, int timeout_ms = 20000);

// Answers the next message boxes with these keys in turn; their texts land in `texts`.
void answer_in_turn(std::shared_ptr<std::vector<std::string>> texts, std::vector<Qt::Key> keys);

// The next message box, answered with `key`: whether it came, its text and its kind.
struct seen_box {
    bool answered = false;
    QString text;
    int kind = -1;
};
std::shared_ptr<seen_box> answer_next_box(Qt::Key key);

// The settings store and the program folder in a fresh temporary folder.
class SettingsFolder : public ::testing::Test {
  protected:
    void SetUp() override;
    std::string folder() const { return dir_.path().toStdString() + "/"; }
    std::string setting(const std::string& name) const; // "" when missing
    bool has_setting(const std::string& name) const;

    QTemporaryDir dir_;
};

// The main window, loaded on the simulated adapter with the test database.
class WindowTest : public SettingsFolder {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Creates, hooks up and loads the window (SetUp does it with the stored settings
    // as they are; tests that prepare settings call it again after changing them).
    void load_window();

    // Opens folder() + `name` through File > Open HEX File.
    void open_hex(const std::string& name);

    // Captions the status line was given, in order, and what the commands looked like
    // at each: true when every button and top-level menu was enabled.
    std::vector<std::string> captions_;
    std::vector<bool> commands_at_caption_;

    std::unique_ptr<ui::Form1> form_;
};

// A HEX file with 16 bytes at 0 and at 0x7FF0 and two EEPROM bytes.
std::string sample_hex_text();

} // namespace test_ui
