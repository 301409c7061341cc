// The port settings from the settings store: the adapter's wiring and the port address
// exactly as the main window reads them at start-up.
#pragma once

namespace Module94 {

// Fills port_settings from the stored values (defaults stored when missing).
void restore_port_settings();

} // namespace Module94
