// Parallel-port line driver: register images, pin levels and the register traffic of a
// line change.
#include "hardware/parallel_line_driver.h"

#include "core/host_hooks.h"
#include "hardware/connector_pins.h"
#include "hardware/port_lines.h"

namespace hardware {

namespace {

bool line_active(const register_lines& lines, std::int32_t pin, std::int32_t inverted) {
    const connector_pin& info = connector_pin_info(pin);
    if (info.direction != pin_direction::output)
        return false;
    const line_image_record& image = lines.image();
    const std::int32_t bits =
        info.reg == port_register::data ? image.data_image : image.control_image;
    const bool level = (((bits >> info.bit) & 1) != 0) != info.hardware_inverted;
    return level != (inverted != 0);
}

} // namespace

// Sets the register bit behind an output pin so the pin shows `high`; the hardware
// inversion of a bit is applied here, the line's own inversion by the caller.
void register_lines::set_pin(std::int32_t pin, bool high) const {
    const connector_pin& info = connector_pin_info(pin);
    if (info.direction != pin_direction::output)
        return;
    std::int32_t& bits =
        info.reg == port_register::data ? image_->data_image : image_->control_image;
    const std::int32_t mask = 1 << info.bit;
    if (high != info.hardware_inverted)
        bits |= mask;
    else
        bits &= ~mask;
}

std::int32_t register_lines::read_pin(std::int32_t pin) const {
    const connector_pin& info = connector_pin_info(pin);
    if (info.direction != pin_direction::input)
        return 0;
    const bool bit = ((image_->status_image >> info.bit) & 1) != 0;
    return bit != info.hardware_inverted ? 1 : 0;
}

namespace {

// One register write, then the adapter's settling delay.
void put_register(const register_lines& lines, std::int32_t offset, std::int32_t value,
                  std::int32_t& written) {
    Out32(lines.wiring().port_base + offset, value);
    written = value;
    if (lines.pacing().delay_us > 0)
        core::hooks().sleep_us(lines.pacing().delay_us);
}

} // namespace

void register_lines::read_status() const {
    image_->status_image = Inp32(wiring_->port_base + status_offset);
}

void register_lines::write_port() const {
    if (pacing_->fast) {
        flush();
        return;
    }
    put_register(*this, data_offset, image_->data_image & 0xFF, image_->written_data);
    put_register(*this, control_offset, image_->control_image & 0xFF, image_->written_control);
    read_status();
    core::host_yield();
}

void register_lines::flush() const {
    if (const std::int32_t data = image_->data_image & 0xFF; data != image_->written_data)
        put_register(*this, data_offset, data, image_->written_data);
    if (const std::int32_t control = image_->control_image & 0xFF;
        control != image_->written_control)
        put_register(*this, control_offset, control, image_->written_control);
    core::host_yield();
}

line_levels register_lines::levels() const {
    return {line_active(*this, wiring_->pin_vdd, wiring_->invert_vdd),
            line_active(*this, wiring_->pin_vpp, wiring_->invert_vpp),
            line_active(*this, wiring_->pin_clock, wiring_->invert_clock),
            line_active(*this, wiring_->pin_dataout, wiring_->invert_dataout)};
}

void register_lines::stage_vdd(bool on) const {
    set_pin(wiring_->pin_vdd, on != (wiring_->invert_vdd != 0));
}
void register_lines::stage_vpp(bool on) const {
    set_pin(wiring_->pin_vpp, on != (wiring_->invert_vpp != 0));
}
void register_lines::stage_clock(bool high) const {
    set_pin(wiring_->pin_clock, high != (wiring_->invert_clock != 0));
}
void register_lines::stage_data(bool high) const {
    set_pin(wiring_->pin_dataout, high != (wiring_->invert_dataout != 0));
}

bool register_lines::data_in() const {
    const std::int32_t level = read_pin(wiring_->pin_datain);
    return (wiring_->invert_datain != 0 ? 1 - level : level) == 1;
}

parallel_line_driver::parallel_line_driver()
    : lines_(Module94::port_settings, Module94::port_pacing, Module94::line_image) {}

parallel_line_driver::parallel_line_driver(const settings::port_settings_record& wiring,
                                           const settings::port_pacing_record& pacing)
    : own_wiring_(wiring), own_pacing_(pacing), lines_(own_wiring_, own_pacing_, own_image_) {}

port_status parallel_line_driver::open() {
    drive_idle();
    return status();
}

void parallel_line_driver::close() {
    if (&current_line_driver() == this)
        Module94::ensure_lines_safe();
}

port_status parallel_line_driver::status() const {
    return current_port_backend().status();
}

std::string parallel_line_driver::description() const {
    return current_port_backend().description();
}

driver_capabilities parallel_line_driver::capabilities() const {
    driver_capabilities caps;
    caps.fast_clocking = lines_.pacing().fast;
    return caps;
}

// Only the lines that change are put into the images, in line order, so that two lines
// sharing a pin behave as one switch at a time would; the registers go out as the pacing
// says even when nothing changed.
void parallel_line_driver::stage(const line_levels& levels) {
    const line_levels now = lines_.levels();
    if (levels.vdd != now.vdd)
        lines_.stage_vdd(levels.vdd);
    if (levels.vpp != now.vpp)
        lines_.stage_vpp(levels.vpp);
    if (levels.clock != now.clock)
        lines_.stage_clock(levels.clock);
    if (levels.data_out != now.data_out)
        lines_.stage_data(levels.data_out);
    lines_.write_port();
}

sample_ticket parallel_line_driver::sample() {
    lines_.write_port();
    if (lines_.pacing().fast)
        lines_.read_status();
    const sample_ticket ticket = next_ticket_++;
    values_[ticket % values_.size()] = lines_.data_in();
    return ticket;
}

bool parallel_line_driver::value(sample_ticket ticket) {
    if (ticket == 0 || ticket >= next_ticket_ || next_ticket_ - ticket > values_.size())
        return false;
    return values_[ticket % values_.size()];
}

void parallel_line_driver::hold_ms(std::int64_t milliseconds) {
    current_port_backend().note_wait(milliseconds);
    core::sleep_ms(milliseconds);
}

void parallel_line_driver::hold_us(std::int64_t microseconds) {
    current_port_backend().note_wait_us(microseconds);
    core::hooks().sleep_us(microseconds);
}

void parallel_line_driver::drive_idle() {
    lines_.image() = line_image_record{};
    lines_.stage_vdd(false);
    lines_.write_port();
    lines_.stage_vpp(false);
    lines_.write_port();
    lines_.stage_clock(false);
    lines_.write_port();
    lines_.stage_data(false);
    lines_.write_port();
}

} // namespace hardware
