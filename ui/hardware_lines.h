// The five programmer lines as the hardware dialogs see them: each line's pin and
// inversion fields in the wiring record, its stored value names, and the pins it may use.
#pragma once

#include "hardware/port_lines.h"

#include <cstdint>
#include <span>
#include <string>

namespace ui::hardware_lines {

struct line_info {
    const char* line_name; // "VDD", "DATA OUT"
    std::int32_t Module94::port_settings_record::*pin;
    std::int32_t Module94::port_settings_record::*invert;
    std::span<const char* const> accepted_pins; // exact pin texts the user may enter
    const char* pin_range;                      // "[1-9,14,16,17]" as shown in prompts
    const char* pin_value_name;
    const char* invert_value_name;
};

// VDD, VPP, CLOCK, DATA OUT, DATA IN.
std::span<const line_info> lines();

// The line's pin for the text, or 0 when the text is not exactly one of its pins.
std::int32_t accepted_pin(const line_info& line, const std::string& text);

} // namespace ui::hardware_lines
