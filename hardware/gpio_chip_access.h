// Linux GPIO chips through libgpiod (the v1 API of libgpiod 1.6): finding a chip by its
// device or label, listing the chips with whether this user may open them, and the GPIO
// transport over an opened chip. The only file that calls libgpiod, so that a port to the
// v2 API touches nothing else.
#pragma once

#include "hardware/gpio_transport.h"
#include "hardware/port_backend.h"
#include "hardware/port_list.h"

#include <memory>
#include <string>
#include <vector>

namespace hardware {

// What `pinwright-cli ports` and the adapter selection show of a chip.
struct gpio_chip_listing {
    gpio_chip_info info;   // label and lines only when it could be opened
    access_verdict access; // whether this user may open it; if not, why and the fix
};

// The /dev/gpiochipN devices in number order.
std::vector<gpio_chip_listing> list_gpio_chips();

// Why `node` cannot be opened, given the errno of the attempt, and the fix.
access_verdict gpio_access_verdict(const std::string& node, int error);

struct gpio_chip_opening {
    port_status status; // names the chip tried and, on failure, why and the fix
    std::unique_ptr<gpio_transport> transport;
};

// Opens the chip `spec` names: a device ("/dev/gpiochip0") or a chip's label (the first
// chip that has it).
gpio_chip_opening open_gpio_chip(const std::string& spec);

} // namespace hardware
