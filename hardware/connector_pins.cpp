// Connector pin table of the standard parallel port (pins 1-17 carry signals, 18-25 are
// ground).
#include "hardware/connector_pins.h"

#include <array>

namespace hardware {

namespace {

constexpr connector_pin out_data(int bit, const char* name) {
    return {port_register::data, bit, false, pin_direction::output, name};
}
constexpr connector_pin ground{port_register::none, 0, false, pin_direction::none, "Gnd"};

constexpr std::array<connector_pin, 26> pins{{
    {}, // no pin 0
    {port_register::control, 0, true, pin_direction::output, "\\C0"},
    out_data(0, "D0"),
    out_data(1, "D1"),
    out_data(2, "D2"),
    out_data(3, "D3"),
    out_data(4, "D4"),
    out_data(5, "D5"),
    out_data(6, "D6"),
    out_data(7, "D7"),
    {port_register::status, 6, false, pin_direction::input, "S6"},
    {port_register::status, 7, true, pin_direction::input, "\\S7"},
    {port_register::status, 5, false, pin_direction::input, "S5"},
    {port_register::status, 4, false, pin_direction::input, "S4"},
    {port_register::control, 1, true, pin_direction::output, "\\C1"},
    {port_register::status, 3, false, pin_direction::input, "S3"},
    {port_register::control, 2, false, pin_direction::output, "C2"},
    {port_register::control, 3, true, pin_direction::output, "\\C3"},
    ground,
    ground,
    ground,
    ground,
    ground,
    ground,
    ground,
    ground,
}};

} // namespace

connector_pin connector_pin_info(std::int32_t pin) {
    if (pin < 1 || pin >= static_cast<std::int32_t>(pins.size()))
        return {};
    return pins[static_cast<std::size_t>(pin)];
}

bool is_output_pin(std::int32_t pin) {
    return connector_pin_info(pin).direction == pin_direction::output;
}

bool is_input_pin(std::int32_t pin) {
    return connector_pin_info(pin).direction == pin_direction::input;
}

} // namespace hardware
