// Reading and writing an adapter's text, and the stored "Adapter" setting.
#include "hardware/adapter_choice.h"

#include "core/hex_text.h"
#include "hardware/port_backend.h"
#include "settings/setting_names.h"

namespace hardware {

namespace {

constexpr std::int32_t lowest_base = 0x100;   // below: the PC's own devices, never a port
constexpr std::int32_t highest_base = 0xFFFD; // the three registers end at 0xFFFF

const char* const every_form =
    "ftdi[:SPEC], gpio:CHIP, ppdev:/dev/parportN, direct:0xADDR, sim, 1-3, 0xADDR or "
    "/dev/parportN";

// The value of "0x" and one to four hex digits, else -1.
std::int32_t hex_address(const std::string& text) {
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return -1;
    const std::string digits = std::string(6 - text.size(), '0') + text.substr(2);
    return core::hex4_value(core::upper_case(digits));
}

std::optional<std::int32_t> port_address(const std::string& text) {
    const std::int32_t base = hex_address(text);
    if (base < lowest_base || base > highest_base)
        return std::nullopt;
    return base;
}

bool all_letters(const std::string& word) {
    for (const char c : word)
        if (c < 'a' || c > 'z')
            return false;
    return !word.empty();
}

adapter_parse bare_form(const std::string& text, const std::string& subject) {
    adapter_parse parse;
    if (text.size() == 1 && lpt_base(text[0] - '0') != 0) {
        parse.adapter.spec = address_text(lpt_base(text[0] - '0'));
        return parse;
    }
    if (text.find('/') != std::string::npos) {
        parse.adapter.spec = text;
        return parse;
    }
    if (const auto base = port_address(text)) {
        parse.adapter.spec = address_text(*base);
        return parse;
    }
    parse.error = subject +
                  " must be 1, 2 or 3 (LPT1-LPT3), a base address in hex from 0x100 to 0xFFFD "
                  "(0x378, 0xD010), a device (/dev/parport0) or an adapter (ftdi[:SPEC], "
                  "gpio:CHIP, ppdev:/dev/parportN, direct:0xADDR, sim), not \"" +
                  text + "\"";
    return parse;
}

} // namespace

const char* adapter_kind_name(adapter_kind kind) {
    switch (kind) {
    case adapter_kind::parallel:
        return "parallel";
    case adapter_kind::ppdev:
        return "ppdev";
    case adapter_kind::direct:
        return "direct";
    case adapter_kind::ftdi:
        return "ftdi";
    case adapter_kind::gpio:
        return "gpio";
    case adapter_kind::sim:
        return "sim";
    }
    return "parallel";
}

adapter_parse parse_adapter(const std::string& text, const std::string& subject) {
    const std::size_t colon = text.find(':');
    const std::string word = core::lower_case(text.substr(0, colon));
    // Only a word of letters names a kind: numbers and paths are the bare forms.
    if (!all_letters(word))
        return bare_form(text, subject);
    const bool has_spec = colon != std::string::npos;
    const std::string spec = has_spec ? text.substr(colon + 1) : std::string();
    adapter_parse parse;
    const std::string lead = subject + " " + text + ": ";
    if (word == "ftdi") {
        parse.adapter = {adapter_kind::ftdi, spec};
        if (has_spec && spec.empty())
            parse.error = lead + "name the board after \"ftdi:\" (a serial number, bus:device, "
                                 "VID:PID or an index), or give \"ftdi\" alone for the first one";
    } else if (word == "gpio") {
        parse.adapter = {adapter_kind::gpio, spec};
        if (spec.empty())
            parse.error = lead + "gpio needs the chip, by its device (gpio:/dev/gpiochip0) or its "
                                 "label (gpio:pinctrl-bcm2711); `pinwright-cli ports` lists them";
    } else if (word == "ppdev") {
        parse.adapter = {adapter_kind::ppdev, spec};
        if (spec.empty() || spec.find('/') == std::string::npos)
            parse.error = lead + "ppdev needs the port's device, such as ppdev:/dev/parport0";
    } else if (word == "direct") {
        const auto base = port_address(spec);
        parse.adapter = {adapter_kind::direct, base ? address_text(*base) : spec};
        if (!base)
            parse.error = lead + "direct needs a base address in hex from 0x100 to 0xFFFD, "
                                 "such as direct:0x378";
    } else if (word == "sim") {
        parse.adapter = {adapter_kind::sim, {}};
        if (has_spec)
            parse.error = lead + "sim takes nothing after it (--sim-part chooses its chip)";
    } else {
        parse.error = lead + "unknown adapter kind '" + word + "': use " + every_form;
    }
    if (!parse.error.empty())
        parse.adapter = {};
    return parse;
}

std::string adapter_text(const adapter_spec& adapter) {
    switch (adapter.kind) {
    case adapter_kind::parallel:
        return adapter.spec;
    case adapter_kind::ftdi:
        return adapter.spec.empty() ? "ftdi" : "ftdi:" + adapter.spec;
    case adapter_kind::sim:
        return "sim";
    case adapter_kind::ppdev:
    case adapter_kind::direct:
    case adapter_kind::gpio:
        break;
    }
    return std::string(adapter_kind_name(adapter.kind)) + ":" + adapter.spec;
}

std::optional<std::int32_t> spec_base(const adapter_spec& adapter) {
    if (adapter.kind != adapter_kind::parallel && adapter.kind != adapter_kind::direct)
        return std::nullopt;
    return port_address(adapter.spec);
}

bool register_level(adapter_kind kind) {
    switch (kind) {
    case adapter_kind::parallel:
    case adapter_kind::ppdev:
    case adapter_kind::direct:
    case adapter_kind::sim:
        return true;
    case adapter_kind::ftdi:
    case adapter_kind::gpio:
        return false;
    }
    return true;
}

adapter_spec stored_adapter(std::string* problem) {
    const std::string text = settings::adapter_setting.read();
    if (text.empty())
        return {};
    const adapter_parse parse =
        parse_adapter(text, std::string("the stored \"") + settings::adapter_setting.name + "\"");
    if (problem)
        *problem = parse.error.empty()
                       ? std::string()
                       : parse.error + "; the parallel port at \"" +
                             settings::port_address_setting.name + "\" is used instead";
    return parse.adapter;
}

void store_adapter(const adapter_spec& adapter) {
    if (const auto base = spec_base(adapter); base && adapter.kind == adapter_kind::parallel) {
        settings::port_address_setting.write(*base);
        settings::adapter_setting.write({});
        return;
    }
    settings::adapter_setting.write(adapter_text(adapter));
}

} // namespace hardware
