// The PIC18 serial programming transfer built from the line procedures: 4-bit commands
// with 16-bit payloads or 8-bit read-backs, least significant bit first; the programming
// hold that commits a write; the two power sequences; and the split of an address into
// the three bytes the table-pointer instructions load.
#pragma once

#include <cstdint>
#include <string>

namespace Module94 {

// Results of split_address.
extern std::int32_t upper_byte;
extern std::int32_t high_byte;
extern std::int32_t low_byte;

// Command (0-15) and payload (0-65535), bit 0 first; out-of-range arguments send nothing.
void send_command(std::int32_t command, std::int32_t payload);
// Command (0-15), eight idle clocks, then eight bits read on DATA IN (bit 0 first); 0 and
// no line change for a command out of range.
std::int32_t read_byte(std::int32_t command);
// Command 0000 whose fourth clock stays high for `hold_ms` (the model's programming time),
// CLOCK low for 1 ms (fast port access: `discharge_us`, the part's P10), then 16 zero
// bits.
void program_pulse(std::int32_t hold_ms, std::int32_t discharge_us = 1000);
// VDD and VPP on in the model's order, 50 ms after each: `voltage_sequence` 1 VDD then
// VPP, 2 VPP then VDD, anything else switches nothing on.
void power_up(std::int32_t voltage_sequence);
// VDD off, then VPP off, 50 ms after each (fast port access: CLOCK and DATA OUT low
// first).
void power_down();
// A pause of about a hundred trivial operations (no timer); none with fast port access.
void short_delay();
// upper_byte = value / 65536, high_byte and low_byte from the remainder (truncating
// division, remainders with the sign of the value; upper_byte is not masked).
void split_address(std::int32_t value);
// The low `digits` bits of value as "0"/"1" text, most significant first (the transfer
// uses 4 and 16 digits). `digits` is clamped to 0..32.
std::string bit_string(std::int32_t value, int digits);

// A blocking wait of the line procedures; shows in the port trace as "S <ms>".
void wait_ms(std::int64_t milliseconds);
// The same below a millisecond, on the monotonic clock; "U <us>" in the port trace.
void wait_us(std::int64_t microseconds);

} // namespace Module94
