// Decoding of one algorithm instruction, in the language's fixed recognition order.
#include "devices/instruction_syntax.h"

#include "core/hex_text.h"
#include "devices/model_select.h"

#include <array>

namespace devices {

namespace {

constexpr std::array<const char*, 14> config_names = {
    "config1l", "config1h", "config2l", "config2h", "config3l", "config3h", "config4l",
    "config4h", "config5l", "config5h", "config6l", "config6h", "config7l", "config7h"};

struct keyword {
    const char* text;
    opcode op;
};

// Exact keywords tested before the first pattern form.
constexpr keyword leading_keywords[] = {
    {"begin", opcode::begin},
    {"end", opcode::end},
    {"startprog", opcode::startprog},
    {"startconfigprog", opcode::startconfigprog},
    {"setprogtime", opcode::setprogtime},
    {"calcflash", opcode::calcflash},
    {"calcflashpage", opcode::calcflashpage},
    {"calceeprom", opcode::calceeprom},
    {"setflashloop", opcode::setflashloop},
    {"seteepromloop", opcode::seteepromloop},
    {"setidloop", opcode::setidloop},
    {"setconfigloop", opcode::setconfigloop},
    {"loop", opcode::loop},
    {"ifpage", opcode::ifpage},
    {"endifpage", opcode::endifpage},
    {"movlw-upper", opcode::movlw_upper},
    {"movlw-high", opcode::movlw_high},
    {"movlw-low", opcode::movlw_low},
    {"movlw-eeprom", opcode::movlw_eeprom},
};

// A hexadecimal field at 1-based position `first`, `width` characters (fewer when the
// text ends earlier), upper-cased; -1 unless it is exactly the right digits.
std::int32_t field(std::string_view text, std::size_t first, std::size_t width) {
    if (first - 1 >= text.size())
        return -1;
    const std::string cut = core::upper_case(text.substr(first - 1, width));
    return width == 2 ? core::hex2_value(cut) : core::hex4_value(cut);
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool ends_with(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

instruction with_command(opcode op, std::int32_t command, int config_byte = 0) {
    instruction result;
    result.op = op;
    result.command = command;
    result.has_command = true;
    result.config_byte = config_byte;
    return result;
}

instruction plain(opcode op, int config_byte = 0) {
    instruction result;
    result.op = op;
    result.config_byte = config_byte;
    return result;
}

} // namespace

const char* config_name(int config_byte) {
    if (config_byte < 1 || config_byte > 14)
        return "";
    return config_names[static_cast<std::size_t>(config_byte - 1)];
}

namespace {

// The memory an instruction walks, from its opcode.
std::optional<memory_region> walked_memory(opcode op) {
    switch (op) {
    case opcode::write_flash:
    case opcode::read_flash:
    case opcode::checkblankflash:
    case opcode::checkflash:
        return memory_region::flash;
    case opcode::movlw_eeprom:
    case opcode::read_eeprom:
    case opcode::checkblankeeprom:
    case opcode::checkeeprom:
        return memory_region::eeprom;
    case opcode::write_id:
    case opcode::read_id:
    case opcode::checkblankid:
    case opcode::checkid:
        return memory_region::id;
    case opcode::write_eeprom:
        return memory_region::eeprom;
    case opcode::begin:
    case opcode::end:
    case opcode::startprog:
    case opcode::startconfigprog:
    case opcode::setprogtime:
    case opcode::calcflash:
    case opcode::calcflashpage:
    case opcode::calceeprom:
    case opcode::setflashloop:
    case opcode::seteepromloop:
    case opcode::setidloop:
    case opcode::setconfigloop:
    case opcode::loop:
    case opcode::ifpage:
    case opcode::endifpage:
    case opcode::movlw_upper:
    case opcode::movlw_high:
    case opcode::movlw_low:
    case opcode::write_config:
    case opcode::waitwr:
    case opcode::read_config:
    case opcode::read_temp:
    case opcode::checkblankconfig:
    case opcode::checkconfig:
    case opcode::send_literal:
    case opcode::send_command:
    case opcode::wait:
    case opcode::unrecognised:
        break;
    }
    return std::nullopt;
}

instruction decoded_form(std::string_view text);

} // namespace

instruction decode_instruction(std::string_view text) {
    instruction result = decoded_form(text);
    result.walks = walked_memory(result.op);
    const bool config_form = result.op == opcode::write_config ||
                             result.op == opcode::read_config || result.op == opcode::checkconfig ||
                             result.op == opcode::checkblankconfig;
    if (config_form && result.config_byte == 0)
        result.walks = memory_region::config;
    result.blank_check = result.op == opcode::checkblankflash ||
                         result.op == opcode::checkblankeeprom ||
                         result.op == opcode::checkblankid || result.op == opcode::checkblankconfig;
    return result;
}

namespace {

// The forms of the 8-bit frames: "c<hh>" with an optional "-<what>", and reads
// "<target>=c<hh>". Nothing when `text` is none of them.
std::optional<instruction> eight_bit_form(std::string_view text) {
    auto eight = [](instruction result, int width = 1) {
        result.eight_bit = true;
        result.width = width;
        return result;
    };
    struct read_target {
        const char* prefix;
        opcode op;
        int width;
    };
    constexpr read_target reads[] = {
        {"flash=c", opcode::read_flash, 2},    {"id=c", opcode::read_id, 2},
        {"eeprom=c", opcode::read_eeprom, 1},  {"config=c", opcode::read_config, 1},
        {"configw=c", opcode::read_config, 2}, {"temp=c", opcode::read_temp, 1},
        {"tempw=c", opcode::read_temp, 2}};
    for (const auto& target : reads)
        if (starts_with(text, target.prefix)) {
            const std::string_view digits = text.substr(std::string_view(target.prefix).size());
            if (digits.size() != 2)
                return plain(opcode::unrecognised);
            return eight(with_command(target.op, field(digits, 1, 2)), target.width);
        }
    if (text.size() < 3 || text[0] != 'c' || text.find_first_of("=") != text.npos)
        return std::nullopt;
    // "config..." and "check..." belong to the other forms.
    if (text.size() > 3 && text[3] != '-')
        return std::nullopt;
    const std::int32_t command = field(text, 2, 2);
    if (text.size() == 3)
        return eight(with_command(opcode::send_command, command));
    const std::string_view what = text.substr(4);
    struct write_source {
        const char* name;
        opcode op;
        int width;
    };
    constexpr write_source writes[] = {{"flash", opcode::write_flash, 2},
                                       {"id", opcode::write_id, 2},
                                       {"eeprom", opcode::write_eeprom, 1},
                                       {"config", opcode::write_config, 1},
                                       {"configw", opcode::write_config, 2}};
    for (const auto& source : writes)
        if (what == source.name)
            return eight(with_command(source.op, command), source.width);
    instruction result = eight(with_command(opcode::send_literal, command));
    // A field of one to six hexadecimal digits, as a HEX address is written.
    result.payload =
        static_cast<std::int32_t>(parse_hex_address(core::upper_case(what)).value_or(-1));
    result.has_payload = true;
    return result;
}

instruction decoded_form(std::string_view text) {
    for (const auto& key : leading_keywords)
        if (text == key.text)
            return plain(key.op);
    if (const auto form = eight_bit_form(text))
        return *form;
    if (text == "checkconfig")
        return plain(opcode::checkconfig);
    if (text == "checkblankconfig")
        return plain(opcode::checkblankconfig);
    if (starts_with(text, "u") && text.size() > 1 && text.size() <= 6 &&
        text.find_first_not_of("0123456789", 1) == text.npos) {
        instruction result = plain(opcode::wait);
        result.wait_us = core::text_to_int(text.substr(1));
        return result;
    }

    if (starts_with(text, "s") && ends_with(text, "-flash"))
        return with_command(opcode::write_flash, field(text, 2, 2));
    if (starts_with(text, "s") && ends_with(text, "-id"))
        return with_command(opcode::write_id, field(text, 2, 2));
    for (int k = 1; k <= 14; ++k) {
        const std::string suffix = std::string("-") + config_names[static_cast<std::size_t>(k - 1)];
        if (starts_with(text, "s") && ends_with(text, suffix))
            return with_command(opcode::write_config, field(text, 2, 2), k);
    }
    if (text == "waitwr")
        return plain(opcode::waitwr);
    if (starts_with(text, "flash=s"))
        return with_command(opcode::read_flash, field(text, 8, 2));
    if (starts_with(text, "eeprom=s"))
        return with_command(opcode::read_eeprom, field(text, 9, 2));
    for (int k = 1; k <= 14; ++k) {
        const std::string prefix =
            std::string(config_names[static_cast<std::size_t>(k - 1)]) + "=s";
        if (starts_with(text, prefix))
            return with_command(opcode::read_config, field(text, 11, 2), k);
    }
    if (starts_with(text, "id=s"))
        return with_command(opcode::read_id, field(text, 5, 2));
    if (starts_with(text, "temp=s"))
        return with_command(opcode::read_temp, field(text, 7, 2));
    if (text == "checkblankflash")
        return plain(opcode::checkblankflash);
    if (text == "checkblankeeprom")
        return plain(opcode::checkblankeeprom);
    if (text == "checkblankid")
        return plain(opcode::checkblankid);
    for (int k = 1; k <= 14; ++k)
        if (text == std::string("checkblank") + config_names[static_cast<std::size_t>(k - 1)])
            return plain(opcode::checkblankconfig, k);
    if (text == "checkflash")
        return plain(opcode::checkflash);
    if (text == "checkeeprom")
        return plain(opcode::checkeeprom);
    if (text == "checkid")
        return plain(opcode::checkid);
    for (int k = 1; k <= 14; ++k)
        if (text == std::string("check") + config_names[static_cast<std::size_t>(k - 1)])
            return plain(opcode::checkconfig, k);
    if (text.size() == 8 && text[0] == 's' && text[3] == '-') {
        instruction result = with_command(opcode::send_literal, field(text, 2, 2));
        result.payload = field(text, 5, 4);
        result.has_payload = true;
        return result;
    }
    if (starts_with(text, "w")) {
        instruction result = plain(opcode::wait);
        const std::size_t slash = text.find('/');
        result.wait_ms =
            core::text_to_int(text.substr(1, slash == text.npos ? text.npos : slash - 1));
        if (slash == text.npos)
            return result;
        // The fast form: whole milliseconds or "poll", nothing else.
        const std::string_view fast = text.substr(slash + 1);
        if (fast == "poll") {
            result.fast_poll = true;
            return result;
        }
        if (fast.empty() || fast.size() > 5 ||
            fast.find_first_not_of("0123456789") != std::string_view::npos)
            return plain(opcode::unrecognised);
        result.fast_wait_ms = core::text_to_int(fast);
        return result;
    }
    return plain(opcode::unrecognised);
}

} // namespace

} // namespace devices
