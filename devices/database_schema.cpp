// The table of a model's keys and the judgements of their values: what check-devices says
// of a bad value, and what keeps a model from being selected.
#include "devices/database_schema.h"

#include "core/hex_text.h"
#include "devices/instruction_syntax.h"
#include "devices/model_select.h"
#include "devices/voltage_range.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace devices {

namespace {

// --- check-devices' judgements (the text follows the quoted key) ---

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A size above what a PIC18 has cannot be selected: the image would not fit in memory.
std::string above_largest(const std::string& text, std::int32_t most, const char* what) {
    if (parse_size(text).value_or(0) <= most)
        return {};
    return text + " is more than the " + std::to_string(most) + " bytes of " + what +
           " a PIC18 can have; the model cannot be selected";
}

// Two-digit hexadecimal values separated by one character each, at most as many as a PIC18
// has configuration bytes (how many a model needs is judged with its "configsize:").
std::string config_list(const std::string& text) {
    const int count = config_value_count(text);
    if (count > largest_config_size)
        return "gives " + std::to_string(count) + " values, more than the " +
               std::to_string(largest_config_size) + " configuration bytes a PIC18 can have";
    const auto values = parse_config_values(text);
    for (int k = 0; k < std::max(count, 1); ++k)
        if (values[static_cast<std::size_t>(k)] < 0)
            return "needs two-digit hexadecimal values separated by commas; value " +
                   std::to_string(k + 1) +
                   (k < config_bytes ? " (" + std::string(config_name(k + 1)) + ")" : "") +
                   " is missing or not hexadecimal";
    return {};
}

// A hold: a whole number of at least 1, and at most `most` where that is given.
std::string hold(const std::string& text, const char* unit, const char* purpose,
                 std::optional<std::int32_t> most = std::nullopt) {
    const std::int32_t value = core::text_to_int(text);
    if (parse_size(text) && value >= 1 && value <= most.value_or(value))
        return {};
    const std::string bounds =
        most ? "from 1 to " + std::to_string(*most) : std::string("of at least 1");
    return std::string("must be a whole number of ") + unit + " " + bounds + purpose + ", not " +
           quoted(text);
}

// A voltage range; a part of these families takes at most `highest` volts on `line`.
std::string range(const std::string& text, const char* line, double highest) {
    if (auto problem = voltage_range_problem(text); !problem.empty())
        return problem;
    if (parse_voltage_range(text)->max <= highest)
        return {};
    return text + " goes above " + volts_text(highest) +
           " V, more than any PIC18 of these families takes on " + line +
           "; write the part's range in volts";
}

std::string hex_address(const std::string& text) {
    if (parse_hex_address(core::upper_case(text)))
        return {};
    return "must be a HEX address of one to six hexadecimal digits, not " + quoted(text) +
           "; the model cannot be selected";
}

std::string check_flash(const std::string& text) {
    if (!parse_size(text) || core::text_to_int(text) < 1)
        return "must be a size in bytes of at least 1, not " + quoted(text);
    return above_largest(text, largest_flash_size, "FLASH");
}

std::string check_eeprom(const std::string& text) {
    if (!parse_size(text))
        return "must be a size in bytes (0 for none), not " + quoted(text);
    return above_largest(text, largest_eeprom_size, "EEPROM");
}

std::string check_voltage_order(const std::string& text) {
    const std::string lowered = core::lower_case(text);
    if (lowered == "vddvpp" || lowered == "vppvdd")
        return {};
    return "must be vddvpp or vppvdd, not " + quoted(text);
}

std::string check_entry(const std::string& text) {
    if (parse_entry_kind(text))
        return {};
    return "must be hv (MCLR raised to VPP), key (MCLR at VDD and the 32-bit key) or keylow "
           "(the key with MCLR held low), not " +
           quoted(text) + "; the model cannot be selected";
}

std::string check_frame(const std::string& text) {
    if (parse_frame_kind(text))
        return {};
    return "must be classic, 8bit-rows, 8bit-words or 8bit-regions, not " + quoted(text) +
           "; the model cannot be selected";
}

std::string check_config_size(const std::string& text) {
    if (parse_config_size(text))
        return {};
    return "must be the number of configuration bytes from 1 to " +
           std::to_string(largest_config_size) + ", not " + quoted(text) +
           "; the model cannot be selected";
}

std::string check_config_names(const std::string& text) {
    const std::string lowered = core::lower_case(text);
    if (lowered == "numbered" || lowered == "pairs")
        return {};
    return "must be numbered (CONFIG1, CONFIG2, ...) or pairs (CONFIG1L, CONFIG1H, ...), not " +
           quoted(text);
}

std::string check_page_size(const std::string& text) {
    if (!parse_size(text))
        return "must be a whole number of bytes, not " + quoted(text);
    return above_largest(text, largest_page_size, "write buffer");
}

std::string check_device_id(const std::string& text) {
    if (parse_device_id(text))
        return {};
    return "must be four hexadecimal digits (DEVID2 then DEVID1), not " + quoted(text);
}

std::string check_device_id_mask(const std::string& text) {
    if (parse_device_id(text).value_or(0) != 0)
        return {};
    return "must be four hexadecimal digits with at least one bit set (FFE0, or FFF0 where "
           "revision bit 4 names the part), not " +
           quoted(text);
}

std::string check_eecon1(const std::string& text) {
    if (parse_eecon1_address(text))
        return {};
    return "must be EECON1's address as three hexadecimal digits from F60 to FFF (the access "
           "bank's special function registers, where the write poll reads it), not " +
           quoted(text) + "; the model cannot be selected";
}

std::string check_id_size(const std::string& text) {
    const auto parsed = parse_size(text);
    if (parsed && *parsed <= largest_id_size)
        return {};
    return "must be the number of ID bytes from 0 to " + std::to_string(largest_id_size) +
           ", not " + quoted(text) + "; the model cannot be selected";
}

// --- what keeps a model from being selected ---

std::string size_problem(const char* what, const std::string& text, std::int32_t least,
                         std::int32_t most) {
    const auto size = parse_size(text);
    const std::string named = std::string("its ") + what + " " + quoted(text);
    if (!size)
        return named + " is not a whole number of bytes";
    if (*size < least)
        return named + " is below " + std::to_string(least) + " byte";
    if (*size > most)
        return named + " is more than the " + std::to_string(most) + " bytes a PIC18 can have";
    return {};
}

std::string address_problem(const char* what, const std::string& text) {
    if (parse_hex_address(core::upper_case(text)))
        return {};
    return std::string("its ") + what + " " + quoted(text) +
           " is not a HEX address of one to six hexadecimal digits";
}

using enum key_need;
using m = device_model;

const database_key schema[] = {
    {.name = "flash:",
     .need = required,
     .field = &m::flash,
     .missing = "FLASH size in bytes",
     .check = check_flash,
     .selection =
         [](const std::string& t) { return size_problem("FLASH size", t, 1, largest_flash_size); }},
    {.name = "eeprom:",
     .need = required,
     .field = &m::eeprom,
     .missing = "EEPROM size in bytes, 0 for none",
     .check = check_eeprom,
     .selection =
         [](const std::string& t) {
             return size_problem("EEPROM size", t, 0, largest_eeprom_size);
         }},
    {.name = "configerased:",
     .need = required,
     .field = &m::configerased,
     .missing = "the erased configuration values: 14, or as many as \"configsize:\" says",
     .check = config_list},
    {.name = "configmask:", .need = optional, .field = &m::configmask, .check = config_list},
    {.name = "voltageseq:",
     .need = required,
     .field = &m::voltageseq,
     .missing = "vddvpp or vppvdd",
     .check = check_voltage_order},
    {.name = "entry:",
     .need = optional,
     .field = &m::entry,
     .check = check_entry,
     .selection = [](const std::string& t) -> std::string {
         if (parse_entry_kind(t))
             return {};
         return "its entry " + quoted(t) + " is none of hv, key and keylow";
     }},
    {.name = "frame:",
     .need = optional,
     .field = &m::frame,
     .check = check_frame,
     .selection = [](const std::string& t) -> std::string {
         if (parse_frame_kind(t))
             return {};
         return "its frame " + quoted(t) + " is not one the program speaks";
     }},
    {.name = "configsize:",
     .need = optional,
     .field = &m::configsize,
     .check = check_config_size,
     .selection = [](const std::string& t) -> std::string {
         if (parse_config_size(t))
             return {};
         return "its configuration size " + quoted(t) + " is not from 1 to " +
                std::to_string(largest_config_size);
     }},
    {.name = "confignames:",
     .need = optional,
     .field = &m::confignames,
     .check = check_config_names},
    {.name = "vdd:",
     .need = optional,
     .field = &m::vdd,
     .check = [](const std::string& t) { return range(t, "VDD", highest_vdd); }},
    {.name = "vpp:",
     .need = optional,
     .field = &m::vpp,
     .check = [](const std::string& t) { return range(t, "VPP", highest_vpp); }},
    {.name = "progtime:",
     .need = required,
     .field = &m::progtime,
     .missing = "programming time in milliseconds",
     .check = [](const std::string& t) { return hold(t, "milliseconds", ""); }},
    {.name = "configprogtime:",
     .need = optional,
     .field = &m::configprogtime,
     .check =
         [](const std::string& t) {
             return hold(t, "milliseconds", " (the hold for configuration bytes)");
         }},
    {.name = "pagesize:",
     .need = optional,
     .field = &m::pagesize,
     .check = check_page_size,
     .selection =
         [](const std::string& t) { return size_problem("page size", t, 0, largest_page_size); }},
    {.name = "deviceid:", .need = optional, .field = &m::deviceid, .check = check_device_id},
    {.name = "deviceidmask:",
     .need = optional,
     .field = &m::deviceidmask,
     .check = check_device_id_mask},
    {.name = "dischargetime:",
     .need = optional,
     .field = &m::dischargetime,
     .check =
         [](const std::string& t) {
             return hold(t, "microseconds", " (PGC low after a programming hold)",
                         largest_discharge_time_us);
         }},
    // Judged against "vpp:" (device_check.cpp).
    {.name = "mclrmax:", .need = optional, .field = &m::mclrmax},
    {.name = "eecon1:",
     .need = optional,
     .field = &m::eecon1,
     .check = check_eecon1,
     .selection = [](const std::string& t) -> std::string {
         if (parse_eecon1_address(t))
             return {};
         return "its EECON1 address " + quoted(t) +
                " is not three hexadecimal digits from F60 to FFF";
     }},
    {.name = "idlocations:",
     .need = optional,
     .field = &m::idlocations,
     .check = check_id_size,
     .selection =
         [](const std::string& t) { return size_problem("ID size", t, 0, largest_id_size); }},
    {.name = "idaddress:",
     .need = optional,
     .field = &m::idaddress,
     .check = hex_address,
     .selection = [](const std::string& t) { return address_problem("ID address", t); }},
    {.name = "configaddress:",
     .need = optional,
     .field = &m::configaddress,
     .check = hex_address,
     .selection = [](const std::string& t) { return address_problem("configuration address", t); }},
    {.name = "eepromaddress:",
     .need = optional,
     .field = &m::eepromaddress,
     .check = hex_address,
     .selection = [](const std::string& t) { return address_problem("EEPROM address", t); }},
    {.name = "erasealg:", .need = required, .field = &m::erasealg, .algorithm = 0},
    {.name = "programalg:", .need = required, .field = &m::programalg, .algorithm = 1},
    {.name = "readalg:", .need = required, .field = &m::readalg, .algorithm = 2},
    {.name = "blankcheckalg:", .need = required, .field = &m::blankcheckalg, .algorithm = 3},
    {.name = "verifyalg:", .need = required, .field = &m::verifyalg, .algorithm = 4},
};

} // namespace

std::span<const database_key> database_schema() {
    return schema;
}

const database_key* find_database_key(const std::string& key) {
    for (const database_key& row : schema)
        if (key == row.name)
            return &row;
    return nullptr;
}

} // namespace devices
