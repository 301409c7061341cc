// Copying the stored wiring into port_settings.
#include "hardware/stored_port_settings.h"

#include "hardware/port_lines.h"
#include "settings/stored_wiring.h"

namespace Module94 {

void restore_port_settings() {
    const auto wiring = settings::read_stored_wiring();
    auto& port = port_settings;
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

} // namespace Module94
