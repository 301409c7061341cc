// Choosing and opening the port backend for a base address: the real backends in turn
// (ppdev, then raw port I/O), or the simulated adapter when asked for. A port that no real
// backend can reach comes back as a backend that is not ready, whose status names every
// device tried and the reason.
#pragma once

#include "hardware/direct_port.h"
#include "hardware/port_backend.h"
#include "hardware/ppdev_port.h"

#include <memory>
#include <string>

namespace hardware {

enum class port_mode { automatic, simulated };

struct port_environment {
    ppdev_roots ppdev;                      // where ppdev ports are looked up
    io_permission_function io_permission;   // empty: the system's ioperm
    std::string simulated_part = "18F4520"; // chip put into the simulated adapter's socket
};

// Opens a backend for `base`. Always returns one; check is_ready() (and status()) before
// running chip operations on it.
std::unique_ptr<port_backend> open_port_backend(std::int32_t base, port_mode mode,
                                                const port_environment& environment = {});

} // namespace hardware
