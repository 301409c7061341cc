// Status-line captions of the programmer port, and the simulated part a model stands for.
#pragma once

#include "hardware/port_backend.h"

#include <cstdint>
#include <string>

namespace ui {

// "Parallel port 1 ready" (or "Simulated parallel port 1 ready") for the three standard
// bases when the port is ready, empty for any other base that is ready; when the port
// cannot be used, "Parallel port 1 not ready: " (or "Port 0x3E8 not ready: ") and why.
std::string port_caption(std::int32_t base, bool simulated, const hardware::port_status& status);

// The part number in a model name, as the simulator names parts: "PIC18F4520" gives
// "18F4520", "PIC18F452 (DIP)" gives "18F452"; a name without "18" is returned whole.
std::string part_of_model(const std::string& model_name);

} // namespace ui
