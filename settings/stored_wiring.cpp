// Reading the stored wiring.
#include "settings/stored_wiring.h"

namespace settings {

port_settings_record read_stored_wiring() {
    port_settings_record wiring; // the defaults until read
    wiring.port_base = read_setting(port_address_setting);
    for (const wiring_line& line : wiring_lines)
        wiring.*line.invert =
            read_setting(decimal_setting{line.invert_setting, wiring.*line.invert});
    for (const wiring_line& line : wiring_lines)
        wiring.*line.pin = read_setting(decimal_setting{line.pin_setting, wiring.*line.pin});
    return wiring;
}

} // namespace settings
