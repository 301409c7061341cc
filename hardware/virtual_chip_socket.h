// A virtual PIC18 from the simulator as the chip in the simulated adapter's socket.
#pragma once

#include "hardware/simulated_adapter.h"

#include <memory>

namespace sim {
class virtual_chip;
}

namespace hardware {

// Puts a virtual PIC18 into the socket; the caller may keep its own reference to inspect
// or load the chip's memories.
std::unique_ptr<target_chip> socket_virtual_chip(std::shared_ptr<sim::virtual_chip> chip);

} // namespace hardware
