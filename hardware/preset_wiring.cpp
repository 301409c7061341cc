// Adapter presets as wirings: each kind's wiring record filled from the five lines in
// settings::wiring_lines order, and compared the same way.
#include "hardware/preset_wiring.h"

#include "hardware/port_lines.h"
#include "settings/setting_names.h"

namespace hardware {

preset_kind preset_kind_of(adapter_kind kind) {
    switch (kind) {
    case adapter_kind::ftdi:
        return preset_kind::ftdi;
    case adapter_kind::gpio:
        return preset_kind::gpio;
    case adapter_kind::parallel:
    case adapter_kind::ppdev:
    case adapter_kind::direct:
    case adapter_kind::sim:
        break;
    }
    return preset_kind::parallel;
}

settings::port_settings_record with_preset(settings::port_settings_record wiring,
                                           const adapter_preset& preset) {
    for (std::size_t k = 0; k < preset_line_count; ++k) {
        wiring.*settings::wiring_lines[k].pin = preset.lines[k].pin;
        wiring.*settings::wiring_lines[k].invert = preset.lines[k].inverted ? 1 : 0;
    }
    return wiring;
}

settings::ftdi_wiring with_preset(settings::ftdi_wiring wiring, const adapter_preset& preset) {
    for (std::size_t k = 0; k < preset_line_count; ++k)
        wiring.*
            settings::ftdi_wiring_lines[k].line = {preset.lines[k].pin, preset.lines[k].inverted};
    return wiring;
}

settings::gpio_wiring with_preset(settings::gpio_wiring wiring, const adapter_preset& preset) {
    for (std::size_t k = 0; k < preset_line_count; ++k)
        wiring.*
            settings::gpio_wiring_lines[k].line = {preset.lines[k].pin, preset.lines[k].inverted};
    return wiring;
}

namespace {

bool same_lines(const settings::port_settings_record& wiring, const adapter_preset& preset) {
    for (std::size_t k = 0; k < preset_line_count; ++k)
        if (wiring.*settings::wiring_lines[k].pin != preset.lines[k].pin ||
            (wiring.*settings::wiring_lines[k].invert != 0) != preset.lines[k].inverted)
            return false;
    return true;
}

bool same_lines(const settings::ftdi_wiring& wiring, const adapter_preset& preset) {
    return with_preset(wiring, preset) == wiring;
}

bool same_lines(const settings::gpio_wiring& wiring, const adapter_preset& preset) {
    return with_preset(wiring, preset) == wiring;
}

template <typename Wiring>
std::vector<std::string> matching(const std::vector<adapter_preset>& presets, preset_kind kind,
                                  const Wiring& wiring) {
    std::vector<std::string> names;
    for (const adapter_preset& preset : presets)
        if (preset.kind == kind && preset.status != preset_status::cannot_drive &&
            same_lines(wiring, preset))
            names.push_back(preset.name);
    return names;
}

} // namespace

std::vector<std::string> presets_matching(const std::vector<adapter_preset>& presets,
                                          const settings::port_settings_record& wiring) {
    return matching(presets, preset_kind::parallel, wiring);
}

std::vector<std::string> presets_matching(const std::vector<adapter_preset>& presets,
                                          const settings::ftdi_wiring& wiring) {
    return matching(presets, preset_kind::ftdi, wiring);
}

std::vector<std::string> presets_matching(const std::vector<adapter_preset>& presets,
                                          const settings::gpio_wiring& wiring) {
    return matching(presets, preset_kind::gpio, wiring);
}

std::string preset_refusal(const adapter_preset& preset, adapter_kind kind) {
    if (preset.status == preset_status::cannot_drive)
        return "the preset \"" + preset.name +
               "\" cannot be driven with five lines: " + preset.status_reason;
    if (preset.kind != preset_kind_of(kind))
        return "the preset \"" + preset.name + "\" is for " + preset_kind_name(preset.kind) +
               " adapters, and the adapter is " + preset_kind_name(preset_kind_of(kind)) +
               ": choose a " + preset_kind_name(preset_kind_of(kind)) +
               " preset (pinwright-cli presets lists them) or the adapter the preset is for";
    return {};
}

void store_preset(const adapter_preset& preset) {
    switch (preset.kind) {
    case preset_kind::parallel: {
        Module94::port_settings = with_preset(Module94::port_settings, preset);
        for (const settings::wiring_line& line : settings::wiring_lines) {
            settings::decimal_setting{line.pin_setting, 0}.write(Module94::port_settings.*line.pin);
            settings::decimal_setting{line.invert_setting, 0}.write(Module94::port_settings.*
                                                                    line.invert);
        }
        break;
    }
    case preset_kind::ftdi:
        settings::write_stored_ftdi_wiring(
            with_preset(settings::read_stored_ftdi_wiring(), preset));
        break;
    case preset_kind::gpio:
        settings::write_stored_gpio_wiring(
            with_preset(settings::read_stored_gpio_wiring(), preset));
        break;
    }
    settings::adapter_preset_setting.write(preset.name);
}

void use_preset_for_run(const adapter_preset& preset) {
    settings::run_wirings wirings;
    switch (preset.kind) {
    case preset_kind::parallel:
        wirings.parallel = with_preset(settings::read_stored_wiring(), preset);
        break;
    case preset_kind::ftdi:
        wirings.ftdi = with_preset(settings::read_stored_ftdi_wiring(), preset);
        break;
    case preset_kind::gpio:
        wirings.gpio = with_preset(settings::read_stored_gpio_wiring(), preset);
        break;
    }
    settings::set_run_wirings(wirings);
}

const adapter_preset* stored_preset_in_use(const std::vector<adapter_preset>& presets,
                                           adapter_kind kind) {
    const adapter_preset* preset = find_preset(presets, settings::adapter_preset_setting.read());
    if (!preset || preset->kind != preset_kind_of(kind))
        return nullptr;
    bool same = false;
    switch (preset->kind) {
    case preset_kind::parallel:
        same = same_lines(settings::read_stored_wiring(), *preset);
        break;
    case preset_kind::ftdi:
        same = same_lines(settings::read_stored_ftdi_wiring(), *preset);
        break;
    case preset_kind::gpio:
        same = same_lines(settings::read_stored_gpio_wiring(), *preset);
        break;
    }
    return same ? preset : nullptr;
}

} // namespace hardware
