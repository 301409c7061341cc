// The settings store: every persistent setting of the program, read with a default
// (a missing or unreadable value is stored with its default at once) and written at the
// moment it changes. It keeps no cache, so a value written anywhere is seen by the next
// read everywhere.
//
// Storage: a per-user INI file through QSettings, application "Tarvellic Pinwright".
// Two value kinds are kept apart, as in the original per-user registry key: text, and
// 32-bit numbers, which are stored as "dword:XXXXXXXX" (eight hexadecimal digits). A text
// that itself begins with "dword:" or "text:" is stored behind a "text:" marker so that
// it never reads back as the other kind.
#pragma once

#include <cstdint>
#include <string>

namespace settings {

// Creates the settings file's folder and group if needed.
void ensure_settings_key();

std::string read_setting_text(const std::string& name, const std::string& default_text);
void write_setting_text(const std::string& name, const std::string& value);

// A name with a backslash addresses a value in a sub-key: "Sub\Value".
std::int32_t read_setting_number(const std::string& name, std::int32_t default_number);
void write_setting_number(const std::string& name, std::int32_t value);

// Where the settings live (for messages and tests).
std::string settings_file_path();
// A top-level value's name as the settings file spells its key in the [General] group
// ("Invert%20DATAOUT"), for messages that tell users how to change it in the file.
std::string settings_file_key(const std::string& name);

// Longest text the store reads back (the original's 255-character buffer less its NUL).
inline constexpr std::size_t max_text_length = 254;

} // namespace settings
