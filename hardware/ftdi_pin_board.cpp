// FTDI bit-bang pins, adapter buffers and the chip socket.
#include "hardware/ftdi_pin_board.h"

#include <algorithm>

namespace hardware {

ftdi_pin_board::ftdi_pin_board(std::unique_ptr<target_chip> chip,
                               settings::ftdi_wiring board_wiring, std::int64_t step_ns)
    : chip_(std::move(chip)), wiring_(board_wiring), step_ns_(step_ns) {
    if (chip_)
        chip_->set_edge_timing(step_ns_ > 0);
    update_chip();
}

std::int64_t ftdi_pin_board::time_from(std::int64_t now_ns) {
    now_ns_ = std::max(now_ns_, now_ns);
    return now_ns_;
}

void ftdi_pin_board::set_direction(std::uint8_t output_mask, std::int64_t now_ns) {
    time_from(now_ns);
    direction_ = output_mask;
    update_chip();
}

void ftdi_pin_board::set_latch(std::uint8_t value, std::int64_t now_ns) {
    time_from(now_ns);
    latch_ = value;
    update_chip();
}

void ftdi_pin_board::set_step_ns(std::int64_t step_ns) {
    step_ns_ = step_ns;
    if (chip_)
        chip_->set_edge_timing(step_ns_ > 0);
}

void ftdi_pin_board::insert_chip(std::unique_ptr<target_chip> chip) {
    chip_ = std::move(chip);
    notice_.forget();
    if (chip_)
        chip_->set_edge_timing(step_ns_ > 0);
    update_chip();
}

std::vector<std::uint8_t> ftdi_pin_board::clock_out(std::span<const std::uint8_t> bytes,
                                                    std::int64_t start_ns) {
    std::vector<std::uint8_t> read_back;
    read_back.reserve(bytes.size());
    const std::int64_t start = std::max({start_ns, next_free_ns_, now_ns_});
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::int64_t at = start + static_cast<std::int64_t>(i) * step_ns_;
        time_from(at);
        read_back.push_back(pins_at(at));
        latch_ = bytes[i];
        update_chip();
    }
    if (!bytes.empty())
        next_free_ns_ = start + static_cast<std::int64_t>(bytes.size()) * step_ns_;
    return read_back;
}

std::uint8_t ftdi_pin_board::read_pins(std::int64_t now_ns) {
    return pins_at(time_from(now_ns));
}

// A line at the chip: off while its pin floats (the adapter's pull-down), otherwise the
// pin's level through the buffer.
bool ftdi_pin_board::line_level(const settings::ftdi_line& line, line_kind kind) const {
    if (line.bit < 0 || line.bit > 7)
        return kind == line_kind::supply_vdd;
    if (((direction_ >> line.bit) & 1) == 0)
        return false;
    return (((latch_ >> line.bit) & 1) != 0) != line.inverted;
}

ftdi_pin_board::chip_levels ftdi_pin_board::levels() const {
    return {line_level(wiring_.vdd, line_kind::supply_vdd),
            line_level(wiring_.vpp, line_kind::supply_vpp),
            line_level(wiring_.clock, line_kind::signal),
            line_level(wiring_.data_out, line_kind::signal)};
}

// The shared data line: the chip wins while it drives, otherwise it follows DATA OUT.
bool ftdi_pin_board::pgd_level(std::int64_t now_ns) const {
    if (chip_) {
        if (const std::optional<bool> driven = chip_->pgd_output(now_ns))
            return *driven;
    }
    return line_level(wiring_.data_out, line_kind::signal);
}

std::uint8_t ftdi_pin_board::pins_at(std::int64_t now_ns) const {
    std::uint8_t pins = 0;
    for (int bit = 0; bit < 8; ++bit) {
        bool high = true; // an input's weak pull-up
        if (((direction_ >> bit) & 1) != 0)
            high = ((latch_ >> bit) & 1) != 0;
        else if (bit == wiring_.data_in.bit)
            high = pgd_level(now_ns) != wiring_.data_in.inverted;
        if (high)
            pins = static_cast<std::uint8_t>(pins | (1 << bit));
    }
    return pins;
}

void ftdi_pin_board::update_chip() {
    notice_.tell(chip_.get(), levels(), now_ns_);
}

} // namespace hardware
