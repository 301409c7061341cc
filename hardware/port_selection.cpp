// Port backend selection.
#include "hardware/port_selection.h"

#include "hardware/adapter_table.h"
#include "sim/virtual_chip.h"

namespace hardware {

namespace {

// A blank chip of `part_name` in the socket, 1 microsecond per register access.
std::unique_ptr<port_backend> open_simulated(std::int32_t base, const std::string& part_name) {
    simulated_socket socket;
    if (const sim::part_info* part = sim::find_part(part_name))
        socket.chip = std::make_shared<sim::virtual_chip>(*part);
    socket.access_cost_ns = 1000;
    return make_simulated_adapter(base, socket);
}

// Both real backends failed: ppdev, the way a Linux port is meant to be used, first.
port_status combined_failure(const port_status& ppdev, const port_status& direct) {
    port_status both = ppdev;
    both.also = failure_text(direct);
    return both;
}

} // namespace

std::unique_ptr<port_backend> open_port_backend(std::int32_t base, port_mode mode,
                                                const port_environment& environment) {
    if (mode == port_mode::simulated)
        return open_simulated(base, environment.simulated_part);

    auto ppdev = std::make_unique<ppdev_port>(base, environment.ppdev);
    const port_status ppdev_status = ppdev->open();
    if (ppdev_status.ok())
        return ppdev;

    auto direct = std::make_unique<direct_port>(base, environment.io_permission);
    const port_status direct_status = direct->open();
    if (direct_status.ok())
        return direct;

    return std::make_unique<unavailable_port>(combined_failure(ppdev_status, direct_status));
}

} // namespace hardware
