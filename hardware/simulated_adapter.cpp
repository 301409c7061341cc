// Simulated adapter: port registers, connector pins, adapter buffers and the chip socket.
#include "hardware/simulated_adapter.h"

#include "core/host_hooks.h"
#include "hardware/connector_pins.h"

namespace hardware {

simulated_adapter::simulated_adapter(std::int32_t base, std::unique_ptr<target_chip> chip,
                                     adapter_wiring wiring)
    : base_(base), chip_(std::move(chip)), wiring_(wiring) {
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
    update_chip();
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
    const connector_pin info = connector_pin_info(pin);
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

// Level at a chip pin fed from the port; a line soldered to no output pin is held low.
bool simulated_adapter::output_line_level(const adapter_line& line) const {
    if (!is_output_pin(line.pin))
        return false;
    return connector_level(line.pin) != line.inverted;
}

// The shared data line: the chip wins while it drives (DATA OUT reaches it through a series
// resistor), otherwise it follows DATA OUT.
bool simulated_adapter::pgd_line_level() const {
    if (chip_) {
        if (const std::optional<bool> driven = chip_->pgd_output(now_ns()))
            return *driven;
    }
    return output_line_level(wiring_.dataout);
}

simulated_adapter::chip_levels simulated_adapter::levels() const {
    chip_levels now;
    now.vdd = output_line_level(wiring_.vdd);
    now.vpp = output_line_level(wiring_.vpp);
    now.pgc = output_line_level(wiring_.clock);
    now.pgd = output_line_level(wiring_.dataout);
    return now;
}

void simulated_adapter::update_chip() {
    if (chip_)
        notice_.tell(chip_.get(), levels(), now_ns());
}

void simulated_adapter::out32(std::uint16_t address, std::uint8_t value) {
    if (!take_access())
        return;
    if (address == static_cast<std::uint16_t>(base_ + data_offset))
        data_register_ = value;
    else if (address == static_cast<std::uint16_t>(base_ + control_offset))
        control_register_ = static_cast<std::uint8_t>(value & 0x3F);
    else
        return; // the status register is read-only; other addresses are not this port's
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
    static const std::vector<std::int32_t> input_pins = pins_of(pin_direction::input);
    std::uint8_t status = 0x07; // bits 0-2 are not wired to the connector and read high
    for (const std::int32_t pin : input_pins) {
        const connector_pin info = connector_pin_info(pin);
        if (connector_level(pin) != info.hardware_inverted)
            status = static_cast<std::uint8_t>(status | (1 << info.bit));
    }
    return status;
}

} // namespace hardware
