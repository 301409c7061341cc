// The adapter's wiring, port and pacing as stored in the settings: the record that
// Module94::port_settings holds, whose initial values are the defaults, and the five
// programmer lines with the names of their stored values. The reader, the hardware
// dialogs and the simulated adapter all take the lines and defaults from here.
#pragma once

#include "settings/setting_names.h"

#include <array>
#include <cstdint>
#include <optional>

namespace settings {

// Pins and flags as stored; unusable pins are ignored by the line procedures.
struct port_settings_record {
    std::int32_t port_base = port_address_setting.default_value; // 888 LPT1, 632, 956
    std::int32_t pin_vdd = 4;
    std::int32_t pin_vpp = 5;
    std::int32_t pin_clock = 3;
    std::int32_t pin_dataout = 2;
    std::int32_t pin_datain = 10;
    std::int32_t invert_vdd = 0; // 0 or 1; any nonzero value counts as inverted
    std::int32_t invert_vpp = 0;
    std::int32_t invert_clock = 1;
    std::int32_t invert_dataout = 1;
    std::int32_t invert_datain = 1;
};

// One programmer line: its name as the dialogs show it, the decimal settings of its pin
// and inversion flag, and its fields in the record (whose initial values are the
// settings' defaults).
struct wiring_line {
    const char* name;
    const char* pin_setting;
    const char* invert_setting;
    std::int32_t port_settings_record::*pin;
    std::int32_t port_settings_record::*invert;
    bool input; // DATA IN; the other four lines are outputs
};

inline constexpr std::array<wiring_line, 5> wiring_lines{{
    {"VDD", "VDD Pin Num", "Invert VDD", &port_settings_record::pin_vdd,
     &port_settings_record::invert_vdd, false},
    {"VPP", "VPP Pin Num", "Invert VPP", &port_settings_record::pin_vpp,
     &port_settings_record::invert_vpp, false},
    {"CLOCK", "CLOCK Pin Num", "Invert CLOCK", &port_settings_record::pin_clock,
     &port_settings_record::invert_clock, false},
    {"DATA OUT", "DATAOUT Pin Num", "Invert DATAOUT", &port_settings_record::pin_dataout,
     &port_settings_record::invert_dataout, false},
    {"DATA IN", "DATAIN Pin Num", "Invert DATAIN", &port_settings_record::pin_datain,
     &port_settings_record::invert_datain, true},
}};

// The port address, then the five inversion flags, then the five pins, in line order.
port_settings_record read_stored_wiring();

// How fast the line procedures drive the port (Module94::port_pacing).
struct port_pacing_record {
    bool fast = false;         // changed registers only; data and rising clock in one write
    std::int32_t delay_us = 0; // a wait after every port write, for slow adapter buffers
};

// The longest "Port Delay" the program accepts: 10 ms after every write would make a
// Program All take days.
inline constexpr std::int32_t largest_port_delay_us = 10000;

// "Fast Port Access" (any nonzero value is on) and "Port Delay" (a value outside
// 0..largest_port_delay_us reads as 0).
port_pacing_record read_stored_pacing();

// One line of an FTDI adapter: the bit-bang pin D0-D7 it sits on (-1: not connected, for
// VDD and VPP only, whose supply then comes from elsewhere) and whether the adapter's
// buffer inverts it.
struct ftdi_line {
    std::int32_t bit = -1;
    bool inverted = false;
    bool operator==(const ftdi_line&) const = default;
};

// The five lines of an FTDI adapter. By default VDD and VPP sit on DSR (D5) and DCD (D6),
// which are inputs while the chip is a UART, so that the supplies stay off (the adapter's
// pull-downs) until the program drives them; CLOCK on TXD (D0), DATA OUT on RXD (D1) and
// DATA IN on CTS (D3).
struct ftdi_wiring {
    ftdi_line vdd{5, false};
    ftdi_line vpp{6, false};
    ftdi_line clock{0, false};
    ftdi_line data_out{1, false};
    ftdi_line data_in{3, false};
    bool operator==(const ftdi_wiring&) const = default;
};

// One line of an FTDI adapter with the names of its stored values, its field in the
// record (whose initial values are the defaults), and whether it may be left unconnected.
struct ftdi_wiring_line {
    const char* name;
    const char* bit_setting;    // "FTDI VDD Bit": -1 (unconnected) or 0-7 as decimal text
    const char* invert_setting; // "FTDI Invert VDD": "0" or "1"
    ftdi_line ftdi_wiring::*line;
    bool may_be_unconnected; // VDD and VPP only
};

inline constexpr std::array<ftdi_wiring_line, 5> ftdi_wiring_lines{{
    {"VDD", "FTDI VDD Bit", "FTDI Invert VDD", &ftdi_wiring::vdd, true},
    {"VPP", "FTDI VPP Bit", "FTDI Invert VPP", &ftdi_wiring::vpp, true},
    {"CLOCK", "FTDI CLOCK Bit", "FTDI Invert CLOCK", &ftdi_wiring::clock, false},
    {"DATA OUT", "FTDI DATAOUT Bit", "FTDI Invert DATAOUT", &ftdi_wiring::data_out, false},
    {"DATA IN", "FTDI DATAIN Bit", "FTDI Invert DATAIN", &ftdi_wiring::data_in, false},
}};

// The stored FTDI wiring. A bit outside 0-7 (or -1 where a line may be unconnected) reads
// as that line's default; any nonzero inversion flag is on.
ftdi_wiring read_stored_ftdi_wiring();
void write_stored_ftdi_wiring(const ftdi_wiring& wiring);

// One line of a GPIO adapter: the line offset on its gpiochip (-1: not connected, for VDD
// and VPP only) and whether the adapter's driver stage inverts it (the kernel's active-low
// flag).
struct gpio_line {
    std::int32_t offset = -1;
    bool inverted = false;
    bool operator==(const gpio_line&) const = default;
};

// The five lines of a GPIO adapter. The defaults are BCM line numbers on a Raspberry Pi's
// header: VDD on GPIO22 (pin 15), VPP on GPIO18 (pin 12), CLOCK on GPIO23 (pin 16), DATA OUT
// on GPIO24 (pin 18) and DATA IN on GPIO25 (pin 22), none inverted, DATA IN without a
// pull-up.
struct gpio_wiring {
    gpio_line vdd{22, false};
    gpio_line vpp{18, false};
    gpio_line clock{23, false};
    gpio_line data_out{24, false};
    gpio_line data_in{25, false};
    bool data_in_pull_up = false;
    bool operator==(const gpio_wiring&) const = default;
};

// The largest line offset the program takes: the v1 kernel interface numbers a chip's lines
// in 32 bits, but no gpiochip has more lines than this.
inline constexpr std::int32_t highest_gpio_offset = 1023;

struct gpio_wiring_line {
    const char* name;
    const char* offset_setting; // "GPIO VDD Line": -1 (unconnected) or an offset as decimal text
    const char* invert_setting; // "GPIO Invert VDD": "0" or "1"
    gpio_line gpio_wiring::*line;
    bool may_be_unconnected; // VDD and VPP only
};

inline constexpr std::array<gpio_wiring_line, 5> gpio_wiring_lines{{
    {"VDD", "GPIO VDD Line", "GPIO Invert VDD", &gpio_wiring::vdd, true},
    {"VPP", "GPIO VPP Line", "GPIO Invert VPP", &gpio_wiring::vpp, true},
    {"CLOCK", "GPIO CLOCK Line", "GPIO Invert CLOCK", &gpio_wiring::clock, false},
    {"DATA OUT", "GPIO DATAOUT Line", "GPIO Invert DATAOUT", &gpio_wiring::data_out, false},
    {"DATA IN", "GPIO DATAIN Line", "GPIO Invert DATAIN", &gpio_wiring::data_in, false},
}};

// "GPIO DATAIN Pull-up": "1" asks the kernel for a pull-up on DATA IN.
inline constexpr const char* gpio_pull_up_setting = "GPIO DATAIN Pull-up";

// The stored GPIO wiring. An offset outside 0..highest_gpio_offset (or -1 where a line may
// be unconnected) reads as that line's default; any nonzero flag is on.
gpio_wiring read_stored_gpio_wiring();
void write_stored_gpio_wiring(const gpio_wiring& wiring);

// A wiring for this run only (pinwright-cli --preset): while one is set, the reader of its
// kind returns it in place of the stored one (the parallel reader keeps the stored port
// address), and nothing is written. Cleared, the readers read the settings again.
struct run_wirings {
    std::optional<port_settings_record> parallel;
    std::optional<ftdi_wiring> ftdi;
    std::optional<gpio_wiring> gpio;
};
void set_run_wirings(const run_wirings& wirings);

} // namespace settings
