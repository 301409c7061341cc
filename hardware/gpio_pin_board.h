// A GPIO chip's lines wired through a programming adapter to the chip in its socket. The
// adapter's wiring says which line offset carries each of the five lines and whether its
// driver stage inverts it. A line the host drives as an output has the electrical level it
// was set to; a line nobody drives floats, and an output line of the adapter whose GPIO
// floats is off at the chip (the adapter's pull-down), while a VDD or VPP switch wired to no
// line is always on (VDD: the target is powered from elsewhere) or never on (VPP). The
// DATA IN line reads PGD: the chip's output while it drives, otherwise the DATA OUT level
// through the adapter's series resistor; any other undriven line reads low.
//
// Shared by the simulated GPIO board and the umockdev emulation of a gpiochip; the chip
// gets nanosecond timestamps.
#pragma once

#include "hardware/simulated_adapter.h"
#include "settings/stored_wiring.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>

namespace hardware {

class gpio_pin_board {
  public:
    // A null chip is an empty socket. `modelled_time`: the timestamps come from a modelled
    // clock, fine enough for the chip's rules on single edges.
    gpio_pin_board(std::unique_ptr<target_chip> chip, settings::gpio_wiring board_wiring,
                   bool modelled_time);

    // The host drives `offset` at the electrical level `high` from `now_ns` on.
    void drive(std::uint32_t offset, bool high, std::int64_t now_ns);
    // The host no longer drives `offset` (released, or requested as an input).
    void release(std::uint32_t offset, std::int64_t now_ns);
    void release_all(std::int64_t now_ns);
    // The electrical level the host reads on `offset`.
    bool read(std::uint32_t offset, std::int64_t now_ns) const;

    void insert_chip(std::unique_ptr<target_chip> chip);
    target_chip* chip() const { return chip_.get(); }
    const settings::gpio_wiring& wiring() const { return wiring_; }

    using chip_levels = socket_levels;
    chip_levels levels() const;

  private:
    enum class line_kind { supply_vdd, supply_vpp, signal };
    bool line_level(const settings::gpio_line& line, line_kind kind) const;
    void update_chip(std::int64_t now_ns);

    std::unique_ptr<target_chip> chip_;
    settings::gpio_wiring wiring_;
    bool modelled_time_;
    std::map<std::uint32_t, bool> driven_; // offset -> electrical level
    std::int64_t now_ns_ = 0;              // never decreasing
    socket_notice notice_;
};

} // namespace hardware
