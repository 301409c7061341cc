// GPIO lines, adapter driver stages and the chip socket.
#include "hardware/gpio_pin_board.h"

#include <algorithm>

namespace hardware {

gpio_pin_board::gpio_pin_board(std::unique_ptr<target_chip> chip,
                               settings::gpio_wiring board_wiring, bool modelled_time)
    : wiring_(board_wiring), modelled_time_(modelled_time) {
    insert_chip(std::move(chip));
}

void gpio_pin_board::insert_chip(std::unique_ptr<target_chip> chip) {
    chip_ = std::move(chip);
    notice_.forget();
    if (chip_)
        chip_->set_edge_timing(modelled_time_);
    update_chip(now_ns_);
}

void gpio_pin_board::drive(std::uint32_t offset, bool high, std::int64_t now_ns) {
    driven_[offset] = high;
    update_chip(now_ns);
}

void gpio_pin_board::release(std::uint32_t offset, std::int64_t now_ns) {
    driven_.erase(offset);
    update_chip(now_ns);
}

void gpio_pin_board::release_all(std::int64_t now_ns) {
    driven_.clear();
    update_chip(now_ns);
}

bool gpio_pin_board::line_level(const settings::gpio_line& line, line_kind kind) const {
    if (line.offset < 0)
        return kind == line_kind::supply_vdd;
    const auto driven = driven_.find(static_cast<std::uint32_t>(line.offset));
    if (driven == driven_.end())
        return false;
    return driven->second != line.inverted;
}

gpio_pin_board::chip_levels gpio_pin_board::levels() const {
    return {line_level(wiring_.vdd, line_kind::supply_vdd),
            line_level(wiring_.vpp, line_kind::supply_vpp),
            line_level(wiring_.clock, line_kind::signal),
            line_level(wiring_.data_out, line_kind::signal)};
}

bool gpio_pin_board::read(std::uint32_t offset, std::int64_t now_ns) const {
    if (const auto driven = driven_.find(offset); driven != driven_.end())
        return driven->second;
    if (static_cast<std::int32_t>(offset) != wiring_.data_in.offset)
        return false;
    bool pgd = line_level(wiring_.data_out, line_kind::signal);
    if (chip_)
        if (const std::optional<bool> driven = chip_->pgd_output(std::max(now_ns, now_ns_)))
            pgd = *driven;
    return pgd != wiring_.data_in.inverted;
}

void gpio_pin_board::update_chip(std::int64_t now_ns) {
    now_ns_ = std::max(now_ns_, now_ns);
    notice_.tell(chip_.get(), levels(), now_ns_);
}

} // namespace hardware
