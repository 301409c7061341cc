// The program's own message box and input box, which every message, question and one-line
// prompt of the program goes through (the GUI installs them as the host hooks behind
// core::mymsgbox and core::myinputbox), and how the window shows what a HEX read returns.
#pragma once

#include "image/hex_reader.h"

#include <optional>
#include <string>

namespace ui {

// Longest word shown unbroken in a message; a longer one is broken once after its last
// folder separator ('/' or '\') or, without one, its last underscore within this length.
inline constexpr int long_word_limit = 55;

// The message text as the box shows it and copies it: one trailing CR LF removed, and
// every word longer than long_word_limit characters broken once with a CR LF. Lines are
// split and joined at CR LF; words at single blanks, so runs of blanks stay as they are.
std::string breaklongwords(const std::string& text);

// Shows the message box (Form08) modally: kinds 0 plain, 4 yes/no, 16 error,
// 64 information, plus msg_default_no on a yes/no box; returns 1 (OK), 6 (Yes) or 7 (No). An empty
// title shows the program's.
int mymsgbox_window(const std::string& text, int kind, const std::string& title);

// Shows the input box (Form07) modally; returns the entry, or nothing when the user
// cancelled. An empty title shows the program's.
std::optional<std::string> myinputbox_window(const std::string& prompt, const std::string& title,
                                             const std::string& default_text);

// Shows the failure of a rejected HEX file as an error, or the warning of an accepted one
// as information, through core::mymsgbox; nothing when there is neither.
void show_hex_read(const image::hex_read_result& read);

} // namespace ui
