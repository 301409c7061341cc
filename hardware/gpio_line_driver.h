// The programmer's lines on a Linux GPIO chip: an immediate line driver over a GPIO
// transport (gpio_transport.h). The four outputs are requested with their off levels as
// initial values, so that no supply comes on at request time, and grouped by inversion,
// because the v1 kernel interface takes the active-low flag per request: lines of the same
// inversion share one request and change in one set call. CLOCK and DATA OUT thus change
// together in one call whenever their inversions match (two line changes per bit, as with
// fast port access); otherwise DATA OUT's request is set first, then CLOCK's. DATA IN is an
// input request of its own, with a pull-up when asked for. Every line is released on
// close and when the chip fails in use, which leaves the driver port_lost: nothing is set
// any more, holds no longer wait and every sample reads false.
#pragma once

#include "hardware/gpio_transport.h"
#include "hardware/line_driver.h"
#include "settings/stored_wiring.h"

#include <array>
#include <functional>

namespace hardware {

// Opens the chip: fills the transport, or returns why it cannot.
using gpio_connector = std::function<port_status(std::unique_ptr<gpio_transport>&)>;

// "" when the wiring can drive the lines of a chip with `lines` lines, otherwise what is
// wrong ("DATA IN is on line 60, but gpiochip0 has lines 0-53", "CLOCK and DATA IN are
// both on line 23").
std::string gpio_wiring_problem(const settings::gpio_wiring& wiring,
                                std::int32_t lines = settings::highest_gpio_offset + 1,
                                const std::string& chip = "the chip");

// "line 23", or "not connected" for -1.
std::string gpio_line_name(std::int32_t offset);

// The output requests `wiring` makes, all lines off: one per inversion in use.
std::vector<gpio_output_request> gpio_output_requests(const settings::gpio_wiring& wiring);

// The consumer name the lines are requested under, as `gpioinfo` shows it.
inline constexpr const char* gpio_consumer = "pinwright";

class gpio_line_driver final : public line_driver {
  public:
    // `name` describes the adapter until it is open ("GPIO adapter gpio:/dev/gpiochip0").
    gpio_line_driver(gpio_connector connect, settings::gpio_wiring wiring, std::string name);
    ~gpio_line_driver() override;

    port_status open() override;
    void close() override;
    port_status status() const override { return status_; }
    std::string description() const override;
    driver_capabilities capabilities() const override;

    const settings::gpio_wiring& wiring() const { return wiring_; }
    // The chip's line count, known once it has been opened (0 before).
    std::int32_t chip_lines() const { return chip_lines_; }
    // A driver for the same chip through another wiring, not yet open; this one must be
    // closed while the other holds the lines.
    std::unique_ptr<gpio_line_driver> rewired(const settings::gpio_wiring& wiring) const;

    void stage(const line_levels& levels) override;
    line_levels staged() const override { return staged_; }
    sample_ticket sample() override;
    void hold_ms(std::int64_t milliseconds) override;
    void hold_us(std::int64_t microseconds) override;
    void flush() override {}
    bool ready(sample_ticket) const override { return true; }
    bool value(sample_ticket ticket) override;

  private:
    void lose(const std::string& reason);

    gpio_connector connect_;
    settings::gpio_wiring wiring_;
    std::string name_;
    std::unique_ptr<gpio_transport> transport_;
    std::int32_t chip_lines_ = 0;
    // By output request: the lines it carries; the request with CLOCK comes last.
    std::vector<std::vector<bool line_levels::*>> groups_;
    std::vector<std::size_t> set_order_;
    line_levels staged_;
    port_status status_;
    std::array<bool, 4096> values_{}; // the latest samples, by ticket modulo the size
    sample_ticket next_ticket_ = 1;
};

} // namespace hardware
