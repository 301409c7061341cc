// Simulated adapter: port registers, connector pins, adapter buffers and the chip socket.
#include "hardware/simulated_adapter.h"

#include "core/host_hooks.h"
#include "hardware/connector_pins.h"

namespace hardware {

namespace {
supply_volts simulated_supply_volts;
}

void set_simulated_supply(const supply_volts& volts) {
    simulated_supply_volts = volts;
}

supply_volts simulated_supply() {
    return simulated_supply_volts;
}

simulated_adapter::simulated_adapter(std::int32_t base, std::unique_ptr<target_chip> chip,
                                     adapter_wiring wiring)
    : base_(base), chip_(std::move(chip)), wiring_(wiring) {
    follow_wiring();
    tell_edge_timing();
}

port_status simulated_adapter::open() {
    status_ = {};
    status_.path = "simulated adapter at " + address_text(base_);
    status_.code = port_error::none;
    return status_;
}

std::string simulated_adapter::description() const {
    return "simulated adapter at " + address_text(base_) + " with " +
           (chip_ ? chip_->name() : std::string("an empty socket"));
}

void simulated_adapter::set_wiring(const adapter_wiring& wiring) {
    wiring_ = wiring;
    follow_wiring();
    update_chip();
}

simulated_adapter::line_source simulated_adapter::source_of(const adapter_line& line) {
    const connector_pin& info = connector_pin_info(line.pin);
    line_source source;
    if (info.direction != pin_direction::output)
        return source;
    const auto mask = static_cast<std::uint8_t>(1 << info.bit);
    (info.reg == port_register::data ? source.data_mask : source.control_mask) = mask;
    source.flip = info.hardware_inverted != line.inverted;
    return source;
}

// An input pin reads high through the port's pull-up unless it carries DATA IN.
void simulated_adapter::follow_wiring() {
    vdd_ = source_of(wiring_.vdd);
    vpp_ = source_of(wiring_.vpp);
    clock_ = source_of(wiring_.clock);
    dataout_ = source_of(wiring_.dataout);
    status_fixed_ = 0x07; // bits 0-2 are not wired to the connector and read high
    datain_mask_ = 0;
    for (std::int32_t pin = 1; pin <= pin_count; ++pin) {
        const connector_pin& info = connector_pin_info(pin);
        if (info.direction != pin_direction::input)
            continue;
        const auto bit = static_cast<std::uint8_t>(1 << info.bit);
        if (pin == wiring_.datain.pin) {
            datain_mask_ = bit;
            datain_flip_ = wiring_.datain.inverted != info.hardware_inverted;
        } else if (!info.hardware_inverted) {
            status_fixed_ = static_cast<std::uint8_t>(status_fixed_ | bit);
        }
    }
}

void simulated_adapter::insert_chip(std::unique_ptr<target_chip> chip) {
    chip_ = std::move(chip);
    notice_.forget();
    tell_edge_timing();
    update_chip();
}

void simulated_adapter::set_access_cost_ns(std::int64_t nanoseconds) {
    access_cost_ns_ = nanoseconds;
    tell_edge_timing();
}

void simulated_adapter::tell_edge_timing() {
    if (chip_)
        chip_->set_edge_timing(access_cost_ns_ > 0);
}

std::int64_t simulated_adapter::now_ns() const {
    return core::monotonic_us() * 1000 + pending_ns_;
}

bool simulated_adapter::take_access() {
    if (!status_.ok())
        return false;
    if (accesses_left_) {
        if (*accesses_left_ <= 0) {
            status_.code = port_error::port_lost;
            status_.reason = "simulated fault: the port is gone";
            return false;
        }
        --*accesses_left_;
    }
    if (access_cost_ns_ > 0) {
        pending_ns_ += access_cost_ns_;
        const std::int64_t whole_us = pending_ns_ / 1000;
        pending_ns_ %= 1000;
        if (whole_us > 0)
            core::hooks().sleep_us(whole_us);
    }
    return true;
}

bool simulated_adapter::connector_level(std::int32_t pin) const {
    const connector_pin& info = connector_pin_info(pin);
    switch (info.direction) {
    case pin_direction::output: {
        const std::uint8_t reg =
            info.reg == port_register::data ? data_register_ : control_register_;
        return (((reg >> info.bit) & 1) != 0) != info.hardware_inverted;
    }
    case pin_direction::input:
        if (pin == wiring_.datain.pin)
            return pgd_line_level() != wiring_.datain.inverted;
        return true; // the port's pull-up
    case pin_direction::none:
        break;
    }
    return false;
}

// The shared data line: the chip wins while it drives (DATA OUT reaches it through a series
// resistor), otherwise it follows DATA OUT.
bool simulated_adapter::pgd_line_level() const {
    if (chip_) {
        if (const std::optional<bool> driven = chip_->pgd_output(now_ns()))
            return *driven;
    }
    return level_of(dataout_);
}

simulated_adapter::chip_levels simulated_adapter::levels() const {
    return {level_of(vdd_), level_of(vpp_), level_of(clock_), level_of(dataout_)};
}

void simulated_adapter::update_chip() {
    if (chip_)
        notice_.tell(chip_.get(), levels(), now_ns());
}

void simulated_adapter::out32(std::uint16_t address, std::uint8_t value) {
    if (!take_access())
        return;
    std::uint8_t* reg = nullptr;
    if (address == static_cast<std::uint16_t>(base_ + data_offset))
        reg = &data_register_;
    else if (address == static_cast<std::uint16_t>(base_ + control_offset)) {
        reg = &control_register_;
        value = static_cast<std::uint8_t>(value & 0x3F);
    } else
        return; // the status register is read-only; other addresses are not this port's
    // A register rewritten with its own value changes no pin, and a chip that has been told
    // the levels would be told nothing.
    if (*reg == value && notice_.has_told())
        return;
    *reg = value;
    update_chip();
}

std::uint8_t simulated_adapter::inp32(std::uint16_t address) {
    if (!take_access())
        return 0xFF;
    if (address == static_cast<std::uint16_t>(base_ + data_offset))
        return data_register_;
    if (address == static_cast<std::uint16_t>(base_ + control_offset))
        return static_cast<std::uint8_t>(control_register_ | 0xC0);
    if (address != static_cast<std::uint16_t>(base_ + status_offset))
        return 0xFF;
    if (datain_mask_ != 0 && pgd_line_level() != datain_flip_)
        return static_cast<std::uint8_t>(status_fixed_ | datain_mask_);
    return status_fixed_;
}

} // namespace hardware
