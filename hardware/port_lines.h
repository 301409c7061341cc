// Control of the programmer lines on the parallel port. The adapter's five lines (VDD,
// VPP, CLOCK, DATA OUT and DATA IN) sit on connector pins chosen by the user, each possibly
// inverted; `port_settings` holds that wiring and `line_image` the shadow of the port's
// three registers. By default every line change rewrites both output registers, reads the
// status register back and lets the user interface run its pending events; with fast port
// access (`port_pacing`) it writes only the register that changed and reads the status
// register only where DATA IN is sampled.
#pragma once

#include "settings/stored_wiring.h"

#include <cstdint>
#include <string>

namespace Module94 {

// Wiring of the adapter, filled from the settings store at start-up and changed by the
// hardware dialogs; the record and its defaults are the stored wiring's.
using settings::port_settings_record;

// Shadow of the port registers.
struct line_image_record {
    std::int32_t data_image = 0;    // bits 0-7: next byte for the data register
    std::int32_t status_image = 0;  // last status register read
    std::int32_t control_image = 0; // bits 0-3: next byte for the control register
    // What the port registers last received; -1 before the first write, which therefore
    // always goes out.
    std::int32_t written_data = -1;
    std::int32_t written_control = -1;
};

// How the line procedures pace the port, from the settings "Fast Port Access" and "Port
// Delay" (or --fast and --delay-us); the record and its reader are the stored wiring's.
using settings::port_pacing_record;

extern port_settings_record port_settings;
extern line_image_record line_image;
extern port_pacing_record port_pacing;

// Electrical level of an output pin in the register images (no port access). Pins that are
// not outputs change nothing.
void pin_high(std::int32_t pin);
void pin_low(std::int32_t pin);
// Electrical level (0/1) of an input pin from `status_image`; 0 for any other pin.
std::int32_t read_pin(std::int32_t pin);

// Data register, then control register, then a status read into `status_image`, then a
// yield to the user interface; with fast port access flush_lines() instead.
void write_port();
// The register images to the port: only a register whose image differs from what it last
// received (data register first), no status read, then a yield.
void flush_lines();
// CLOCK / DATA OUT to a logical level in the images only; flush_lines() sends them.
void stage_clock(bool high);
void stage_data(bool high);

// One line to one level, then write_port().
void vdd_on();
void vdd_off();
void vpp_on();
void vpp_off();
void clock_high();
void clock_low();
void data_high();
void data_low();

// Logical level (0/1) of DATA IN after a fresh write_port() (fast: after flush_lines()
// and a status read).
std::int32_t read_data_in();

// Whether VDD or VPP is switched on in the register images (no port access).
bool supplies_on();
// VDD and VPP off (power_down's order and waits) when either is on, then CLOCK and DATA OUT
// low when they are high: the state every run ends in, whatever its algorithm did.
void ensure_lines_safe();

// Register-bit name of a connector pin ("D0", "\C0", "S6", "Gnd"); empty for a non-pin.
std::string pin_bit_name(std::int32_t pin);

// The idle state of start-up: all images 0, then VDD off, VPP off, CLOCK 0, DATA OUT 0
// (four port writes).
void set_lines_idle();

} // namespace Module94
