// Reading the stored wiring.
#include "settings/stored_wiring.h"

namespace settings {

namespace {

run_wirings& for_this_run() {
    static run_wirings wirings;
    return wirings;
}

} // namespace

void set_run_wirings(const run_wirings& wirings) {
    for_this_run() = wirings;
}

port_settings_record read_stored_wiring() {
    port_settings_record wiring; // the defaults until read
    if (for_this_run().parallel) {
        wiring = *for_this_run().parallel;
        wiring.port_base = port_address_setting.read();
        return wiring;
    }
    wiring.port_base = port_address_setting.read();
    for (const wiring_line& line : wiring_lines)
        wiring.*line.invert = decimal_setting{line.invert_setting, wiring.*line.invert}.read();
    for (const wiring_line& line : wiring_lines)
        wiring.*line.pin = decimal_setting{line.pin_setting, wiring.*line.pin}.read();
    return wiring;
}

port_pacing_record read_stored_pacing() {
    port_pacing_record pacing;
    pacing.fast = fast_port_access_setting.read() != 0;
    const std::int32_t delay = port_delay_setting.read();
    pacing.delay_us = delay >= 0 && delay <= largest_port_delay_us ? delay : 0;
    return pacing;
}

ftdi_wiring read_stored_ftdi_wiring() {
    if (for_this_run().ftdi)
        return *for_this_run().ftdi;
    ftdi_wiring wiring; // the defaults until read
    for (const ftdi_wiring_line& entry : ftdi_wiring_lines) {
        ftdi_line& line = wiring.*entry.line;
        const std::int32_t bit = decimal_setting{entry.bit_setting, line.bit}.read();
        if ((bit >= 0 && bit <= 7) || (bit == -1 && entry.may_be_unconnected))
            line.bit = bit;
        line.inverted = decimal_setting{entry.invert_setting, line.inverted ? 1 : 0}.read() != 0;
    }
    return wiring;
}

void write_stored_ftdi_wiring(const ftdi_wiring& wiring) {
    for (const ftdi_wiring_line& entry : ftdi_wiring_lines) {
        const ftdi_line& line = wiring.*entry.line;
        decimal_setting{entry.bit_setting, 0}.write(line.bit);
        decimal_setting{entry.invert_setting, 0}.write(line.inverted ? 1 : 0);
    }
}

gpio_wiring read_stored_gpio_wiring() {
    if (for_this_run().gpio)
        return *for_this_run().gpio;
    gpio_wiring wiring; // the defaults until read
    for (const gpio_wiring_line& entry : gpio_wiring_lines) {
        gpio_line& line = wiring.*entry.line;
        const std::int32_t offset = decimal_setting{entry.offset_setting, line.offset}.read();
        if ((offset >= 0 && offset <= highest_gpio_offset) ||
            (offset == -1 && entry.may_be_unconnected))
            line.offset = offset;
        line.inverted = decimal_setting{entry.invert_setting, line.inverted ? 1 : 0}.read() != 0;
    }
    wiring.data_in_pull_up = decimal_setting{gpio_pull_up_setting, 0}.read() != 0;
    return wiring;
}

void write_stored_gpio_wiring(const gpio_wiring& wiring) {
    for (const gpio_wiring_line& entry : gpio_wiring_lines) {
        const gpio_line& line = wiring.*entry.line;
        decimal_setting{entry.offset_setting, 0}.write(line.offset);
        decimal_setting{entry.invert_setting, 0}.write(line.inverted ? 1 : 0);
    }
    decimal_setting{gpio_pull_up_setting, 0}.write(wiring.data_in_pull_up ? 1 : 0);
}

} // namespace settings
