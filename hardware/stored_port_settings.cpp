// Copying the stored wiring into port_settings.
#include "hardware/stored_port_settings.h"

#include "hardware/port_lines.h"
#include "settings/stored_wiring.h"

namespace Module94 {

void restore_port_settings() {
    port_settings = settings::read_stored_wiring();
}

} // namespace Module94
