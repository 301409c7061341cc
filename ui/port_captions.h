// Status-line captions of the programmer port.
#pragma once

#include "hardware/port_backend.h"

#include <cstdint>
#include <string>

namespace ui {

// "Parallel port 1 ready" (or "Simulated parallel port 1 ready") for the three standard
// bases when the port is ready, empty for any other base that is ready; when the port
// cannot be used, "Parallel port 1 not ready: " (or "Port 0x3E8 not ready: ") and why.
std::string port_caption(std::int32_t base, bool simulated, const hardware::port_status& status);

} // namespace ui
