// The program's settings other than the adapter's lines, each with its value name, its
// kind and its default. The kind is the type: a text setting holds any text, a decimal
// setting a number written as decimal text, a number setting a 32-bit number. Readers and
// writers go through these constants, so a name, kind or default is written only here.
#pragma once

#include <cstdint>
#include <string>

namespace settings {

struct text_setting {
    const char* name;
    const char* default_text;
};

struct decimal_setting {
    const char* name;
    std::int32_t default_value;
};

struct number_setting {
    const char* name;
    std::int32_t default_value;
};

// Folder of the last opened or saved HEX file. Its default, the program's folder, is only
// known at run time and is given where it is read.
inline constexpr text_setting last_path_setting{"Last Path", nullptr};
inline constexpr decimal_setting model_setting{"Microcontroller Model", 1};
inline constexpr decimal_setting port_address_setting{"Parallel Port Address", 888};
inline constexpr text_setting color_theme_setting{"Color Theme", "Original Lite"};
inline constexpr number_setting mouse_wheel_setting{"Mouse Wheel Enabled", 1};

// Reading with the default (stored at once when the value is missing) and writing, each
// in the setting's kind.
std::string read_setting(const text_setting& setting);
std::int32_t read_setting(const decimal_setting& setting);
std::int32_t read_setting(const number_setting& setting);
void write_setting(const text_setting& setting, const std::string& value);
void write_setting(const decimal_setting& setting, std::int32_t value);

} // namespace settings
