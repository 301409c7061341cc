// The programmer lines' wiring fields, value names and allowed pins.
#include "ui/hardware_lines.h"

#include <array>

namespace ui::hardware_lines {

namespace {

using Module94::port_settings_record;

// Outputs sit on data register pins and control register pins; DATA IN on status pins.
constexpr std::array<const char*, 12> output_pins{"1", "2", "3", "4",  "5",  "6",
                                                  "7", "8", "9", "14", "16", "17"};
constexpr std::array<const char*, 5> input_pins{"10", "11", "12", "13", "15"};

const std::array<line_info, 5> table{{
    {"VDD", &port_settings_record::pin_vdd, &port_settings_record::invert_vdd, output_pins,
     "[1-9,14,16,17]", "VDD Pin Num", "Invert VDD"},
    {"VPP", &port_settings_record::pin_vpp, &port_settings_record::invert_vpp, output_pins,
     "[1-9,14,16,17]", "VPP Pin Num", "Invert VPP"},
    {"CLOCK", &port_settings_record::pin_clock, &port_settings_record::invert_clock, output_pins,
     "[1-9,14,16,17]", "CLOCK Pin Num", "Invert CLOCK"},
    {"DATA OUT", &port_settings_record::pin_dataout, &port_settings_record::invert_dataout,
     output_pins, "[1-9,14,16,17]", "DATAOUT Pin Num", "Invert DATAOUT"},
    {"DATA IN", &port_settings_record::pin_datain, &port_settings_record::invert_datain, input_pins,
     "[10-13,15]", "DATAIN Pin Num", "Invert DATAIN"},
}};

} // namespace

std::span<const line_info> lines() {
    return table;
}

std::int32_t accepted_pin(const line_info& line, const std::string& text) {
    for (const char* pin : line.accepted_pins)
        if (text == pin)
            return std::stoi(text);
    return 0;
}

} // namespace ui::hardware_lines
