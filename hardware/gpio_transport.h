// What the GPIO line driver needs from a Linux GPIO chip, in the shape of the kernel's v1
// interface: a chip with a name, a label and a number of lines; output requests whose
// lines share one set of flags (active-low or not) and take initial values in the same
// call; one input request for DATA IN with an optional pull-up; one set call per output
// request, one get call for DATA IN; and the release of every request. libgpiod
// implements it on a real chip (gpio_chip_access.h), the simulated GPIO board on a
// modelled one. Values are logical: an active-low line is inverted by the kernel.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace hardware {

struct gpio_chip_info {
    std::string path;  // "/dev/gpiochip0"
    std::string name;  // "gpiochip0"
    std::string label; // "pinctrl-bcm2835"
    std::int32_t lines = 0;
};

// Lines requested as outputs in one call: all active-low or none, with their initial
// logical values.
struct gpio_output_request {
    std::vector<std::uint32_t> offsets;
    std::vector<int> initial;
    bool active_low = false;
};

struct gpio_input_request {
    std::uint32_t offset = 0;
    bool active_low = false;
    bool pull_up = false;
};

class gpio_transport {
  public:
    virtual ~gpio_transport() = default;

    virtual const gpio_chip_info& chip() const = 0;
    // Requests the outputs (in order: set() names them by index) and DATA IN under
    // `consumer`. "" on success; otherwise what failed, and nothing stays requested.
    virtual std::string request(std::span<const gpio_output_request> outputs,
                                const gpio_input_request& input, const std::string& consumer) = 0;
    // The logical values of every line of output request `index`, in one call.
    virtual bool set(std::size_t index, std::span<const int> values) = 0;
    // DATA IN's logical value, in one call.
    virtual bool get(bool& value) = 0;
    // Releases every request; the lines keep the last levels set where the chip allows.
    virtual void release() = 0;
    // Why the last request, set or get failed.
    virtual std::string failure() const = 0;
};

} // namespace hardware
