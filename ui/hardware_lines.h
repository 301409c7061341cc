// The programmer lines as the two hardware dialogs (Form98, Form99) see them: the
// connector pins each line may use and the texts that list them, taken from the connector
// table, and the frame, check boxes and layout the two dialogs share.
#pragma once

#include "settings/stored_wiring.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QDialog;
class QPushButton;

namespace ui::hardware_lines {

// Pins as the dialogs list them, runs of three or more joined: "1-9,14,16,17".
std::string pin_list(const std::vector<std::int32_t>& pins);

// The output pins for VDD, VPP, CLOCK and DATA OUT, the input pins for DATA IN.
std::vector<std::int32_t> accepted_pins(const settings::wiring_line& line);

// "Invert VDD line (D2)": a line's check box caption with the register bit of its pin.
std::string pin_caption(const std::string& caption, std::int32_t pin);

// Object name, title, the dialog font and the fixed grey window of a hardware dialog.
void begin_dialog(QDialog* dialog, const char* object_name, const char* title);

// The check box of line `row` ("Check1" for VDD) on light grey, captioned `caption`;
// `width` grows to the widest caption that any pin the line accepts gives it.
QCheckBox* line_check_box(QDialog* dialog, std::size_t row, const std::string& caption, int& width);
// The same, `width` grown to the widest of `captions`.
QCheckBox* line_check_box(QDialog* dialog, std::size_t row,
                          const std::vector<std::string>& captions, int& width);

// The Close button "Command1", which accepts the dialog.
QPushButton* close_button(QDialog* dialog);

// The design layout, widened where the system font needs more room: the check boxes
// `check_width` pixels wide in rows 420 twips apart, the Close button at `button_left`
// twips keeping its right edge (moved by the widening and `extra` pixels, a wider caption
// growing it to the left), and a fixed client area `client_width` twips wide plus both.
void lay_out(QDialog* dialog, const std::array<QCheckBox*, 5>& checks, int check_width,
             QPushButton* button, int button_left, int client_width, int extra);

} // namespace ui::hardware_lines
