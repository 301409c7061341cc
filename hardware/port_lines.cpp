// Parallel-port line procedures: register images, pin levels and the line switches.
#include "hardware/port_lines.h"

#include "core/host_hooks.h"
#include "hardware/connector_pins.h"
#include "hardware/port_backend.h"
#include "hardware/serial_transfer.h"

namespace Module94 {

port_settings_record port_settings;
line_image_record line_image;
port_pacing_record port_pacing;

namespace {

using hardware::connector_pin;
using hardware::port_register;

// Sets the register bit behind an output pin so the pin shows `high`; the hardware
// inversion of a bit is applied here, the line's own inversion by the caller.
void set_pin_level(std::int32_t pin, bool high) {
    const connector_pin info = hardware::connector_pin_info(pin);
    if (info.direction != hardware::pin_direction::output)
        return;
    std::int32_t& image =
        info.reg == port_register::data ? line_image.data_image : line_image.control_image;
    const std::int32_t mask = 1 << info.bit;
    if (high != info.hardware_inverted)
        image |= mask;
    else
        image &= ~mask;
}

// Electrical level of an output pin in the register images.
bool output_level(std::int32_t pin) {
    const connector_pin info = hardware::connector_pin_info(pin);
    if (info.direction != hardware::pin_direction::output)
        return false;
    const std::int32_t image =
        info.reg == port_register::data ? line_image.data_image : line_image.control_image;
    return (((image >> info.bit) & 1) != 0) != info.hardware_inverted;
}

bool line_active(std::int32_t pin, std::int32_t inverted) {
    return output_level(pin) != (inverted != 0);
}

void stage_line(std::int32_t pin, std::int32_t inverted, bool logical_one) {
    set_pin_level(pin, logical_one != (inverted != 0));
}

// Drives an output line to its logical (active) level or away from it.
void drive_line(std::int32_t pin, std::int32_t inverted, bool logical_one) {
    stage_line(pin, inverted, logical_one);
    write_port();
}

// One register write, then the adapter's settling delay.
void put_register(std::int32_t offset, std::int32_t value, std::int32_t& written) {
    hardware::Out32(port_settings.port_base + offset, value);
    written = value;
    if (port_pacing.delay_us > 0)
        core::hooks().sleep_us(port_pacing.delay_us);
}

void read_status() {
    line_image.status_image = hardware::Inp32(port_settings.port_base + hardware::status_offset);
}

} // namespace

void pin_high(std::int32_t pin) {
    set_pin_level(pin, true);
}

void pin_low(std::int32_t pin) {
    set_pin_level(pin, false);
}

std::int32_t read_pin(std::int32_t pin) {
    const connector_pin info = hardware::connector_pin_info(pin);
    if (info.direction != hardware::pin_direction::input)
        return 0;
    const bool bit = ((line_image.status_image >> info.bit) & 1) != 0;
    return bit != info.hardware_inverted ? 1 : 0;
}

void write_port() {
    if (port_pacing.fast) {
        flush_lines();
        return;
    }
    put_register(hardware::data_offset, line_image.data_image & 0xFF, line_image.written_data);
    put_register(hardware::control_offset, line_image.control_image & 0xFF,
                 line_image.written_control);
    read_status();
    core::host_yield();
}

void flush_lines() {
    if (const std::int32_t data = line_image.data_image & 0xFF; data != line_image.written_data)
        put_register(hardware::data_offset, data, line_image.written_data);
    if (const std::int32_t control = line_image.control_image & 0xFF;
        control != line_image.written_control)
        put_register(hardware::control_offset, control, line_image.written_control);
    core::host_yield();
}

void stage_clock(bool high) {
    stage_line(port_settings.pin_clock, port_settings.invert_clock, high);
}

void stage_data(bool high) {
    stage_line(port_settings.pin_dataout, port_settings.invert_dataout, high);
}

void vdd_on() {
    drive_line(port_settings.pin_vdd, port_settings.invert_vdd, true);
}
void vdd_off() {
    drive_line(port_settings.pin_vdd, port_settings.invert_vdd, false);
}
void vpp_on() {
    drive_line(port_settings.pin_vpp, port_settings.invert_vpp, true);
}
void vpp_off() {
    drive_line(port_settings.pin_vpp, port_settings.invert_vpp, false);
}
void clock_high() {
    drive_line(port_settings.pin_clock, port_settings.invert_clock, true);
}
void clock_low() {
    drive_line(port_settings.pin_clock, port_settings.invert_clock, false);
}
void data_high() {
    drive_line(port_settings.pin_dataout, port_settings.invert_dataout, true);
}
void data_low() {
    drive_line(port_settings.pin_dataout, port_settings.invert_dataout, false);
}

std::int32_t read_data_in() {
    write_port();
    if (port_pacing.fast)
        read_status();
    const std::int32_t level = read_pin(port_settings.pin_datain);
    return port_settings.invert_datain != 0 ? 1 - level : level;
}

bool supplies_on() {
    return line_active(port_settings.pin_vdd, port_settings.invert_vdd) ||
           line_active(port_settings.pin_vpp, port_settings.invert_vpp);
}

void ensure_lines_safe() {
    if (supplies_on())
        power_down();
    if (line_active(port_settings.pin_clock, port_settings.invert_clock))
        clock_low();
    if (line_active(port_settings.pin_dataout, port_settings.invert_dataout))
        data_low();
}

std::string pin_bit_name(std::int32_t pin) {
    return hardware::connector_pin_info(pin).name;
}

void set_lines_idle() {
    line_image = line_image_record{};
    vdd_off();
    vpp_off();
    clock_low();
    data_low();
}

} // namespace Module94
