// The PIC18 serial programming transfer built from the line procedures: 4-bit commands
// with 16-bit payloads or 8-bit read-backs, least significant bit first; the programming
// hold that commits a write; the two power sequences; and the split of an address into
// the three bytes the table-pointer instructions load.
#pragma once

#include "hardware/line_driver.h"

#include <cstdint>
#include <string>

namespace Module94 {

// The shape of one serial frame: a command of `command_bits`, then either a payload of
// `payload_bits` or `read_turnaround_clocks` idle clocks and `read_bits` bits read on DATA
// IN; bits least significant first unless `msb_first`. The gaps are minimum waits after the
// command and after the payload or read, beyond what the line steps themselves take.
struct frame_format {
    int command_bits = 4;
    int payload_bits = 16;
    bool msb_first = false;
    int read_turnaround_clocks = 8;
    int read_bits = 8;
    std::int64_t command_gap_ns = 0;
    std::int64_t frame_gap_ns = 0;
};

// The classic PIC18 frame: a 4-bit command and a 16-bit payload or, for reads, eight idle
// clocks and an 8-bit read-back, least significant bit first.
inline constexpr frame_format classic_frame{};

// The frame of the 8-bit-command families: an 8-bit command, then a 24-bit payload (start
// bit, pad bits, the field, stop bit: the field shifted left once) or 24 read clocks, most
// significant bit first, with at least 1 us (TDLY) after the command and after the payload;
// 2 us are kept.
inline constexpr frame_format eight_bit_frame{.command_bits = 8,
                                              .payload_bits = 24,
                                              .msb_first = true,
                                              .read_turnaround_clocks = 0,
                                              .read_bits = 24,
                                              .command_gap_ns = 2000,
                                              .frame_gap_ns = 2000};

// A read whose bits may still be queued in the line driver: `count` consecutive tickets
// from `first`. An 8-bit-frame read (msb_first) holds a 24-bit frame whose value is bits
// 16:1 (a word, `width` 2) or 8:1 (a byte).
struct pending_byte {
    hardware::sample_ticket first = 0;
    int count = 0;
    bool msb_first = false;
    int width = 1; // bytes the value holds
};

// Results of split_address.
extern std::int32_t upper_byte;
extern std::int32_t high_byte;
extern std::int32_t low_byte;

// Command (0-15) and payload (0-65535), bit 0 first; out-of-range arguments send nothing.
void send_command(std::int32_t command, std::int32_t payload);
// Command (0-15), eight idle clocks, then eight bits read on DATA IN (bit 0 first); 0 and
// no line change for a command out of range.
std::int32_t read_byte(std::int32_t command);
// The same without waiting for the bits: they are known once the driver has flushed.
pending_byte read_byte_deferred(std::int32_t command);
// Whether the bits of a read are known without a flush.
bool byte_ready(const pending_byte& read);
// The value of a read (flushing the driver first when its bits are still queued).
std::int32_t byte_value(const pending_byte& read);
// The 8-bit frame: a command (0-FFh) alone, or with a payload field (0-3FFFFFh) sent as
// field << 1; out-of-range arguments send nothing.
void send_command8(std::int32_t command);
void send_command8(std::int32_t command, std::int32_t field);
// An 8-bit-frame read: the command, then 24 clocks with DATA IN sampled while CLOCK is high;
// the value is a word (`width` 2) or a byte. Nothing is sent for a command out of range.
pending_byte read_deferred8(std::int32_t command, int width);
// Command 0000 whose fourth clock stays high for `hold_ms` (the model's programming time),
// CLOCK low for 1 ms (fast port access: `discharge_us`, the part's P10), then 16 zero
// bits.
void program_pulse(std::int32_t hold_ms, std::int32_t discharge_us = 1000);
// VDD and VPP on in the model's order, 50 ms after each: `voltage_sequence` 1 VDD then
// VPP, 2 VPP then VDD, anything else switches nothing on.
void power_up(std::int32_t voltage_sequence);
// The 32-bit key ("MCHP") that opens Program/Verify mode on a key-entry part.
inline constexpr std::int32_t entry_key = 0x4D434850;
// Key entry, for parts whose MCLR must never rise above VDD: VDD on (50 ms), MCLR (the VPP
// line) raised for 500 us and taken low, 5 ms (P19, at least 4 ms), the key on DATA OUT most
// significant bit first, MCLR raised again and held 1 ms (P12, at least 400 us) before the
// first command. With `mclr_stays_low` (the 8-bit-command families) MCLR stays low for the
// whole session instead, and 5 ms pass before the first command (the makers' figure is not
// published; peers wait 0.25 to 10.9 ms). The next power_down takes MCLR low before VDD.
void power_up_with_key(bool mclr_stays_low = false);
// VDD off, then VPP off, 50 ms after each (after key entry VPP first: MCLR goes low before
// VDD); fast port access takes CLOCK and DATA OUT low first. The driver flushes before and
// after either sequence.
void power_down();
// A pause of about a hundred trivial operations (no timer); none with fast port access.
void short_delay();
// upper_byte = value / 65536, high_byte and low_byte from the remainder (truncating
// division, remainders with the sign of the value; upper_byte is not masked).
void split_address(std::int32_t value);
// The low `digits` bits of value as "0"/"1" text, most significant first (the transfer
// uses 4 and 16 digits). `digits` is clamped to 0..32.
std::string bit_string(std::int32_t value, int digits);

// A hold of the current line state; on the parallel port a blocking wait that shows in the
// port trace as "S <ms>".
void wait_ms(std::int64_t milliseconds);
// The same below a millisecond, on the monotonic clock; "U <us>" in the port trace.
void wait_us(std::int64_t microseconds);

} // namespace Module94
