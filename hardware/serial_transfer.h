// The PIC18 serial programming transfer built from the line procedures: 4-bit commands
// with 16-bit payloads or 8-bit read-backs, least significant bit first; the programming
// hold that commits a write; the two power sequences; and the split of an address into
// the three bytes the table-pointer instructions load.
#pragma once

#include "devices/device_table.h"

#include <cstdint>
#include <string>

namespace Module94 {

// The selected model's working values that the transfer reads. The interpreter copies them
// from the model's working values (use_model_timing) before each chip operation, so a
// programming time changed by the user since the model was selected takes effect.
struct transfer_timing {
    std::int32_t voltage_sequence = 0; // 1 VDD then VPP, 2 VPP then VDD, else no power-up
    std::int32_t program_time_ms = 0;  // length of the programming hold
};

extern transfer_timing timing;

void use_model_timing(const devices::model_values& values);

// Results of split_address.
extern std::int32_t upper_byte;
extern std::int32_t high_byte;
extern std::int32_t low_byte;

// Command (0-15) and payload (0-65535), bit 0 first; out-of-range arguments send nothing.
void send_command(std::int32_t command, std::int32_t payload);
// Command (0-15), eight idle clocks, then eight bits read on DATA IN (bit 0 first); 0 and
// no line change for a command out of range.
std::int32_t read_byte(std::int32_t command);
// Command 0000 whose fourth clock stays high for timing.program_time_ms, then 16 zero bits.
void program_pulse();
// VDD and VPP on in the order of timing.voltage_sequence, 50 ms after each.
void power_up();
// VDD off, then VPP off, 50 ms after each.
void power_down();
// A pause of about a hundred trivial operations (no timer).
void short_delay();
// upper_byte = value / 65536, high_byte and low_byte from the remainder (truncating
// division, remainders with the sign of the value; upper_byte is not masked).
void split_address(std::int32_t value);
// The low `digits` bits of value as "0"/"1" text, most significant first (the transfer
// uses 4 and 16 digits). `digits` is clamped to 0..32.
std::string bit_string(std::int32_t value, int digits);

// A blocking wait of the line procedures; shows in the port trace as "S <ms>".
void wait_ms(std::int64_t milliseconds);

} // namespace Module94
