// The adapter's wiring and port as stored in the settings: the base address, the five
// inversion flags and the five connector pins, read in the order the main window reads
// them, each with its default (a missing value is stored with its default at once).
#pragma once

#include <cstdint>

namespace settings {

struct stored_wiring {
    std::int32_t port_base = 888;
    std::int32_t invert_vdd = 0;
    std::int32_t invert_vpp = 0;
    std::int32_t invert_clock = 1;
    std::int32_t invert_dataout = 1;
    std::int32_t invert_datain = 1;
    std::int32_t pin_vdd = 4;
    std::int32_t pin_vpp = 5;
    std::int32_t pin_clock = 3;
    std::int32_t pin_dataout = 2;
    std::int32_t pin_datain = 10;
};

stored_wiring read_stored_wiring();

} // namespace settings
