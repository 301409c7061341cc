// Reading the stored wiring into the port settings.
#include "cli/port_setup.h"

#include "hardware/port_lines.h"
#include "settings/stored_wiring.h"

namespace cli {

void restore_port_settings() {
    const auto wiring = settings::read_stored_wiring();
    auto& port = Module94::port_settings;
    port.port_base = wiring.port_base;
    port.invert_vdd = wiring.invert_vdd;
    port.invert_vpp = wiring.invert_vpp;
    port.invert_clock = wiring.invert_clock;
    port.invert_dataout = wiring.invert_dataout;
    port.invert_datain = wiring.invert_datain;
    port.pin_vdd = wiring.pin_vdd;
    port.pin_vpp = wiring.pin_vpp;
    port.pin_clock = wiring.pin_clock;
    port.pin_dataout = wiring.pin_dataout;
    port.pin_datain = wiring.pin_datain;
}

std::optional<std::int32_t> port_base_of(const std::string& choice) {
    if (choice == "1")
        return 888;
    if (choice == "2")
        return 632;
    if (choice == "3")
        return 956;
    return std::nullopt;
}

} // namespace cli
