// Port backend selection.
#include "hardware/port_selection.h"

#include "hardware/simulated_adapter.h"
#include "hardware/virtual_chip_socket.h"
#include "sim/virtual_chip.h"

namespace hardware {

namespace {

std::unique_ptr<port_backend> open_simulated(std::int32_t base, const std::string& part_name) {
    std::unique_ptr<target_chip> chip;
    if (const sim::part_info* part = sim::find_part(part_name))
        chip = socket_virtual_chip(std::make_shared<sim::virtual_chip>(*part));
    auto adapter = std::make_unique<simulated_adapter>(base, std::move(chip));
    adapter->open();
    return adapter;
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
