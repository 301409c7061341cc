// Line procedures over the current line driver, and the program's own register images.
#include "hardware/port_lines.h"

#include "hardware/connector_pins.h"
#include "hardware/line_driver.h"
#include "hardware/serial_transfer.h"

namespace Module94 {

port_settings_record port_settings;
line_image_record line_image;
port_pacing_record port_pacing;

namespace {

hardware::register_lines own_lines() {
    return {port_settings, port_pacing, line_image};
}

template <bool hardware::line_levels::*line> void drive(bool level) {
    hardware::line_driver& driver = hardware::current_line_driver();
    hardware::line_levels levels = driver.staged();
    levels.*line = level;
    driver.stage(levels);
}

} // namespace

void pin_high(std::int32_t pin) {
    own_lines().set_pin(pin, true);
}

void pin_low(std::int32_t pin) {
    own_lines().set_pin(pin, false);
}

std::int32_t read_pin(std::int32_t pin) {
    return own_lines().read_pin(pin);
}

void vdd_on() {
    drive<&hardware::line_levels::vdd>(true);
}
void vdd_off() {
    drive<&hardware::line_levels::vdd>(false);
}
void vpp_on() {
    drive<&hardware::line_levels::vpp>(true);
}
void vpp_off() {
    drive<&hardware::line_levels::vpp>(false);
}
void clock_high() {
    drive<&hardware::line_levels::clock>(true);
}
void clock_low() {
    drive<&hardware::line_levels::clock>(false);
}
void data_high() {
    drive<&hardware::line_levels::data_out>(true);
}
void data_low() {
    drive<&hardware::line_levels::data_out>(false);
}

void clock_and_data(bool clock, bool data) {
    hardware::line_driver& driver = hardware::current_line_driver();
    hardware::line_levels levels = driver.staged();
    levels.clock = clock;
    levels.data_out = data;
    driver.stage(levels);
}

std::int32_t read_data_in() {
    hardware::line_driver& driver = hardware::current_line_driver();
    return driver.value(driver.sample()) ? 1 : 0;
}

bool fast_clocking() {
    return hardware::current_line_driver().capabilities().fast_clocking;
}

bool supplies_on() {
    const hardware::line_levels levels = hardware::current_line_driver().staged();
    return levels.vdd || levels.vpp;
}

void ensure_lines_safe() {
    hardware::line_driver& driver = hardware::current_line_driver();
    if (supplies_on())
        power_down();
    const hardware::line_levels levels = driver.staged();
    if (levels.clock)
        clock_low();
    if (levels.data_out)
        data_low();
    driver.flush();
}

std::string pin_bit_name(std::int32_t pin) {
    return hardware::connector_pin_info(pin).name;
}

void set_lines_idle() {
    hardware::line_driver& driver = hardware::current_line_driver();
    if (auto* parallel = dynamic_cast<hardware::parallel_line_driver*>(&driver)) {
        parallel->drive_idle();
        return;
    }
    driver.stage({});
    driver.flush();
}

} // namespace Module94
