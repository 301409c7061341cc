// Reading the stored wiring.
#include "settings/stored_wiring.h"

namespace settings {

port_settings_record read_stored_wiring() {
    port_settings_record wiring; // the defaults until read
    wiring.port_base = port_address_setting.read();
    for (const wiring_line& line : wiring_lines)
        wiring.*line.invert = decimal_setting{line.invert_setting, wiring.*line.invert}.read();
    for (const wiring_line& line : wiring_lines)
        wiring.*line.pin = decimal_setting{line.pin_setting, wiring.*line.pin}.read();
    return wiring;
}

port_pacing_record read_stored_pacing() {
    port_pacing_record pacing;
    pacing.fast = fast_port_access_setting.read() != 0;
    const std::int32_t delay = port_delay_setting.read();
    pacing.delay_us = delay >= 0 && delay <= largest_port_delay_us ? delay : 0;
    return pacing;
}

} // namespace settings
