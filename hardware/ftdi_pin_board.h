// An FTDI chip's eight bit-bang pins D0-D7 wired through a programming adapter to the chip
// in its socket, as in synchronous bit-bang mode: every byte the host sends is latched onto
// the output pins one byte time after the previous one, and the pins are read just before
// each byte is applied, so the read-back lags the writes by one byte.
//
// The adapter's wiring says which pin carries each of the five lines and whether its buffer
// inverts. A pin the host has made an input floats: it reads high (the FTDI chip's weak
// pull-up) unless it is the DATA IN pin, which reads PGD: the chip's output while it drives,
// otherwise the DATA OUT level through the adapter's series resistor. An output line whose
// pin floats is off at the chip (the adapter's pull-down), and a VDD or VPP switch wired to
// no pin is always on (VDD: the target is powered from elsewhere) or never on (VPP).
//
// Shared by the simulated FTDI board and the umockdev emulation of one; the chip gets
// nanosecond timestamps, from a modelled clock whenever the byte time is known.
#pragma once

#include "hardware/simulated_adapter.h"
#include "settings/stored_wiring.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace hardware {

class ftdi_pin_board {
  public:
    // A null chip is an empty socket. `step_ns` is one byte time (0: not modelled).
    ftdi_pin_board(std::unique_ptr<target_chip> chip, settings::ftdi_wiring board_wiring,
                   std::int64_t step_ns);

    // Pin directions (bit = 1 output) from `now_ns` on; the latch keeps its value.
    void set_direction(std::uint8_t output_mask, std::int64_t now_ns = 0);
    std::uint8_t direction() const { return direction_; }
    // Loads the output latch without a bit-bang byte (a mode change does this).
    void set_latch(std::uint8_t value, std::int64_t now_ns = 0);
    std::uint8_t latch() const { return latch_; }

    // Synchronous bit-bang: byte i is latched at start + i * step, where start is the later
    // of `start_ns` and the end of the previous batch; the result holds, for each byte, the
    // pins as read just before it was applied.
    std::vector<std::uint8_t> clock_out(std::span<const std::uint8_t> bytes, std::int64_t start_ns);
    // The pins now, as the chip's "read pins" request returns them.
    std::uint8_t read_pins(std::int64_t now_ns);
    // When the last batch's last byte has lasted one byte time.
    std::int64_t batch_end_ns() const { return next_free_ns_; }

    void set_step_ns(std::int64_t step_ns);
    std::int64_t step_ns() const { return step_ns_; }
    const settings::ftdi_wiring& wiring() const { return wiring_; }

    // Replaces the chip in the socket (null empties it).
    void insert_chip(std::unique_ptr<target_chip> chip);
    target_chip* chip() const { return chip_.get(); }

    // Levels at the chip's pins as the adapter drives them.
    using chip_levels = socket_levels;
    chip_levels levels() const;

  private:
    enum class line_kind { supply_vdd, supply_vpp, signal };
    bool line_level(const settings::ftdi_line& line, line_kind kind) const;
    bool pgd_level(std::int64_t now_ns) const;
    std::uint8_t pins_at(std::int64_t now_ns) const;
    std::int64_t time_from(std::int64_t now_ns);
    void update_chip();

    std::unique_ptr<target_chip> chip_;
    settings::ftdi_wiring wiring_;
    std::int64_t step_ns_;
    std::uint8_t direction_ = 0;
    std::uint8_t latch_ = 0;
    std::int64_t now_ns_ = 0;       // the time of the last change, never decreasing
    std::int64_t next_free_ns_ = 0; // when the next batch may start
    socket_notice notice_;
};

} // namespace hardware
