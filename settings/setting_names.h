// The program's settings other than the adapter's lines: each value name with its kind
// and default, read and written only through these constants. The kind is the type: any
// text, a number kept as decimal text, or a 32-bit number.
#pragma once

#include "core/hex_text.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <string>

namespace settings {

struct text_setting {
    const char* name;
    const char* default_text;
    std::string read() const { return read_setting_text(name, default_text); }
    void write(const std::string& value) const { write_setting_text(name, value); }
};

struct decimal_setting {
    const char* name;
    std::int32_t default_value;
    std::int32_t read() const {
        return core::text_to_int(read_setting_text(name, std::to_string(default_value)));
    }
    void write(std::int32_t value) const { write_setting_text(name, std::to_string(value)); }
};

struct number_setting {
    const char* name;
    std::int32_t default_value;
    std::int32_t read() const { return read_setting_number(name, default_value); }
    void write(std::int32_t value) const { write_setting_number(name, value); }
};

// Its default, the program's folder, is known only at run time and given where it is read.
inline constexpr text_setting last_path_setting{"Last Path", nullptr};
inline constexpr decimal_setting model_setting{"Microcontroller Model", 1};
inline constexpr decimal_setting port_address_setting{"Parallel Port Address", 888};
// The adapter that drives the lines, as --port spells it ("ftdi:A1B2C3", "direct:0xD010",
// "sim"); empty: the parallel port at "Parallel Port Address".
inline constexpr text_setting adapter_setting{"Adapter", ""};
inline constexpr text_setting color_theme_setting{"Color Theme", "Original Lite"};
inline constexpr number_setting mouse_wheel_setting{"Mouse Wheel Enabled", 1};
// What the adapter applies on VDD and VPP, in volts as the user typed them ("3.3"); empty
// when not stated.
inline constexpr text_setting adapter_vdd_setting{"Adapter VDD", ""};
inline constexpr text_setting adapter_vpp_setting{"Adapter VPP", ""};
// The adapter preset last applied in the window (Hardware > Adapter Preset...), by name;
// it counts as in use while the stored wiring of its kind still equals it.
inline constexpr text_setting adapter_preset_setting{"Adapter Preset", ""};
// 1: the line procedures write only changed registers (Options > Fast Port Access).
inline constexpr number_setting fast_port_access_setting{"Fast Port Access", 0};
// Microseconds to wait after every port write, for adapters with slow buffers.
inline constexpr number_setting port_delay_setting{"Port Delay", 0};

} // namespace settings
