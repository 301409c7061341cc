// The standard PC parallel-port connector as data: for every pin, the register and bit
// behind it, whether the port hardware inverts the bit, and the pin's direction. The line
// procedures, the simulated adapter, the hardware dialogs and the pinout text all read
// this one table.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace hardware {

// Register offsets from the port base address.
inline constexpr std::int32_t data_offset = 0;
inline constexpr std::int32_t status_offset = 1;
inline constexpr std::int32_t control_offset = 2;

enum class port_register { none, data, status, control };
enum class pin_direction { none, output, input };

struct connector_pin {
    port_register reg = port_register::none;
    int bit = 0;                    // bit in `reg`
    bool hardware_inverted = false; // pin level is the complement of the register bit
    pin_direction direction = pin_direction::none;
    const char* name = ""; // register-bit name, "\" marking a hardware-inverted bit
};

inline constexpr std::int32_t pin_count = 25; // pins 1 to 25

namespace detail {

constexpr connector_pin out_data(int bit, const char* name) {
    return {port_register::data, bit, false, pin_direction::output, name};
}
constexpr connector_pin ground{port_register::none, 0, false, pin_direction::none, "Gnd"};

inline constexpr std::array<connector_pin, pin_count + 1> pins{{
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

} // namespace detail

// Pins 1 to 25; any other number gives the empty entry (no register, empty name).
// Inline and by reference: the line procedures look pins up on every line change.
inline const connector_pin& connector_pin_info(std::int32_t pin) {
    const bool valid = pin >= 1 && pin <= pin_count;
    return detail::pins[valid ? static_cast<std::size_t>(pin) : 0];
}

// Pins that may carry an output line (VDD, VPP, CLOCK, DATA OUT).
inline bool is_output_pin(std::int32_t pin) {
    return connector_pin_info(pin).direction == pin_direction::output;
}

// The pins of one direction in pin order (pin_direction::none: the ground pins).
inline std::vector<std::int32_t> pins_of(pin_direction direction) {
    std::vector<std::int32_t> pins;
    for (std::int32_t pin = 1; pin <= pin_count; ++pin)
        if (connector_pin_info(pin).direction == direction)
            pins.push_back(pin);
    return pins;
}

} // namespace hardware
