// A GPIO chip that exists only in simulation: the GPIO transport over a gpio_pin_board,
// with a model of the kernel's cost charged through the host hooks' sleep, so that on a
// virtual clock a run takes the time it would take on a real board: every set or get call
// costs `call_ns` (7 us by default, a character-device ioctl on a Raspberry Pi Zero W), and
// a request one call per request.
#pragma once

#include "hardware/gpio_line_driver.h"
#include "hardware/simulated_adapter.h"

#include <cstdint>
#include <memory>
#include <string>

namespace hardware {

struct simulated_gpio_board {
    // How the chip's lines reach the socket (the program's settings may differ).
    settings::gpio_wiring wiring{};
    std::int32_t lines = 54;
    std::string label = "simulated-gpio";
    std::int64_t call_ns = 7000;
};

// Opens a driver on a simulated GPIO board with `chip` in its socket (null: empty), driven
// through `program_wiring`.
std::unique_ptr<line_driver> open_simulated_gpio_adapter(std::unique_ptr<target_chip> chip,
                                                         settings::gpio_wiring program_wiring,
                                                         simulated_gpio_board board = {});

} // namespace hardware
