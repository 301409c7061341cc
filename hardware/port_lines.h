// The programmer's line procedures. The adapter's five lines (VDD, VPP, CLOCK, DATA OUT and
// DATA IN) are driven through the current line driver; on the parallel port they sit on
// connector pins chosen by the user, each possibly inverted: `port_settings` holds that
// wiring, `port_pacing` how fast the port is driven and `line_image` the shadow of the
// port's three registers, the records of the program's own parallel-port driver.
#pragma once

#include "hardware/parallel_line_driver.h"
#include "settings/stored_wiring.h"

#include <cstdint>
#include <string>

namespace Module94 {

// Wiring of the adapter, filled from the settings store at start-up and changed by the
// hardware dialogs; the record and its defaults are the stored wiring's.
using settings::port_settings_record;

using hardware::line_image_record;

// How the line procedures pace the port, from the settings "Fast Port Access" and "Port
// Delay" (or --fast and --delay-us); the record and its reader are the stored wiring's.
using settings::port_pacing_record;

extern port_settings_record port_settings;
extern line_image_record line_image;
extern port_pacing_record port_pacing;

// Register-level access to the program's own images (no line driver involved).
// Electrical level of an output pin in the register images (no port access). Pins that
// are not outputs change nothing.
void pin_high(std::int32_t pin);
void pin_low(std::int32_t pin);
// Electrical level (0/1) of an input pin from `status_image`; 0 for any other pin.
std::int32_t read_pin(std::int32_t pin);

// One line to one level through the current line driver.
void vdd_on();
void vdd_off();
void vpp_on();
void vpp_off();
void clock_high();
void clock_low();
void data_high();
void data_low();
// CLOCK and DATA OUT together in one change.
void clock_and_data(bool clock, bool data);

// Logical level (0/1) of DATA IN now (a sample that is resolved at once).
std::int32_t read_data_in();

// Whether the current driver bits a transfer in two states per bit.
bool fast_clocking();

// Whether VDD or VPP is switched on (no port access).
bool supplies_on();
// VDD and VPP off (power_down's order and waits) when either is on, then CLOCK and DATA OUT
// low when they are high: the state every run ends in, whatever its algorithm did.
void ensure_lines_safe();

// Register-bit name of a connector pin ("D0", "\C0", "S6", "Gnd"); empty for a non-pin.
std::string pin_bit_name(std::int32_t pin);

// The idle state of start-up: on the parallel port all images 0, then VDD off, VPP off,
// CLOCK 0, DATA OUT 0 (four port writes).
void set_lines_idle();

} // namespace Module94
