// The standard PC parallel-port connector as data: for every pin, the register and bit
// behind it, whether the port hardware inverts the bit, and the pin's direction. The line
// procedures and the simulated adapter both read this one table.
#pragma once

#include <cstdint>

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

// Pins 1 to 25; any other number gives the empty entry (no register, empty name).
connector_pin connector_pin_info(std::int32_t pin);

// Pins that may carry an output line (VDD, VPP, CLOCK, DATA OUT) or the DATA IN line.
bool is_output_pin(std::int32_t pin);
bool is_input_pin(std::int32_t pin);

} // namespace hardware
