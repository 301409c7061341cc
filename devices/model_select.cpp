// Working values of the selected model: sizes, erased configuration values, power-up
// order, timing, EECON1's address, device ID, voltage ranges and the five instruction
// lists, derived from the model's text fields; the limits that keep a model from being
// selected; and the lookup of a model by its name or its device ID.
#include "devices/model_select.h"

#include "core/hex_text.h"
#include "devices/database_schema.h"

#include <algorithm>
#include <cstdint>

namespace devices {

instruction_list make_instruction_list(const std::string& body) {
    std::string text = core::lower_case(body);
    if (text.empty() || text.back() != ',')
        text += ',';
    instruction_list list;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto comma = text.find(',', start);
        list.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return list;
}

config_values parse_config_values(const std::string& text) {
    const std::string upper = core::upper_case(text);
    config_values values{};
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::size_t pos = 3 * k; // 0-based position of byte k+1's first digit
        values[k] = pos + 2 <= upper.size() ? core::hex2_value(upper.substr(pos, 2)) : -1;
    }
    return values;
}

int config_value_count(const std::string& text) {
    return static_cast<int>((text.size() + 1) / 3);
}

std::optional<std::int32_t> parse_config_size(const std::string& text) {
    const auto size = parse_size(text);
    if (!size || *size < 1 || *size > largest_config_size)
        return std::nullopt;
    return size;
}

std::string config_byte_name(const image_layout& layout, int index) {
    if (index < 0 || index >= largest_config_size)
        return "?";
    if (layout.numbered_config_names || index >= config_bytes)
        return std::to_string(index + 1);
    return config_byte_names[static_cast<std::size_t>(index)];
}

std::optional<frame_kind> parse_frame_kind(const std::string& text) {
    const std::string lowered = core::lower_case(text);
    if (lowered.empty() || lowered == "classic")
        return frame_kind::classic;
    if (lowered == "8bit-rows")
        return frame_kind::rows8;
    if (lowered == "8bit-words")
        return frame_kind::words8;
    if (lowered == "8bit-regions")
        return frame_kind::regions8;
    return std::nullopt;
}

std::optional<std::uint16_t> parse_device_id(const std::string& text) {
    const std::int32_t value = core::hex4_value(core::upper_case(text));
    if (value < 0)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<std::uint16_t> parse_eecon1_address(const std::string& text) {
    if (text.size() != 3)
        return std::nullopt;
    const std::int32_t value = core::hex4_value("0" + core::upper_case(text));
    if (value < lowest_access_sfr)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<std::int64_t> parse_hex_address(const std::string& text) {
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        const std::int32_t digit = core::hex2_value(std::string("0") + c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::uint16_t device_id_mask(const device_model& model) {
    if (model.deviceidmask.empty())
        return default_device_id_mask;
    return parse_device_id(model.deviceidmask).value_or(default_device_id_mask);
}

std::vector<int> models_with_id(const device_table& table, std::uint16_t raw) {
    std::vector<int> numbers;
    for (int n = 1; n <= table.model_count(); ++n) {
        const device_model& model = table.models[static_cast<std::size_t>(n)];
        const auto id = parse_device_id(model.deviceid);
        const std::uint16_t mask = device_id_mask(model);
        if (id && (raw & mask) == (*id & mask))
            numbers.push_back(n);
    }
    return numbers;
}

std::optional<std::int32_t> parse_size(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    std::int64_t value = 0;
    std::size_t i = first;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    if (i == first || text.find_first_not_of(' ', i) != std::string::npos)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string model_problem(const device_model& model) {
    for (const database_key& row : database_schema()) {
        const std::string& text = model.*(row.field);
        if (row.selection && (row.need == key_need::required || !text.empty()))
            if (auto problem = row.selection(text); !problem.empty())
                return problem;
    }
    return {};
}

std::optional<entry_kind> parse_entry_kind(const std::string& text) {
    const std::string lowered = core::lower_case(text);
    if (lowered.empty() || lowered == "hv")
        return entry_kind::high_voltage;
    if (lowered == "key")
        return entry_kind::key;
    if (lowered == "keylow")
        return entry_kind::key_low;
    return std::nullopt;
}

std::int32_t image_flash_size(const model_values& model) {
    return model.layout.config_in_flash ? static_cast<std::int32_t>(model.layout.config_address)
                                        : model.flash_size;
}

int find_model(const device_table& table, const std::string& name) {
    for (int n = 1; n <= table.model_count(); ++n)
        if (table.models[static_cast<std::size_t>(n)].name == name)
            return n;
    return 0;
}

void read_voltage_limits(const device_model& model, model_values& values) {
    values.voltage_problem.clear();
    auto range_of = [&values](const char* key, const std::string& text) {
        std::optional<voltage_range> range;
        if (text.empty())
            return range;
        range = parse_voltage_range(text);
        if (!range && values.voltage_problem.empty())
            values.voltage_problem =
                std::string("its \"") + key + "\" " + voltage_range_problem(text);
        return range;
    };
    values.vdd_range = range_of("vdd:", model.vdd);
    values.vpp_range = range_of("vpp:", model.vpp);
    values.mclr_max.reset();
    if (model.mclrmax.empty())
        return;
    // A figure that cannot be read, or lies below the programming range, keeps the chip
    // unpowered: the limit it was meant to give is unknown.
    if (const auto problem = mclr_max_problem(model.mclrmax, values.vpp_range); !problem.empty()) {
        if (values.voltage_problem.empty())
            values.voltage_problem = "its \"mclrmax:\" " + problem;
        return;
    }
    values.mclr_max = parse_volts(model.mclrmax);
}

bool select_model(const device_table& table, int selected_model, model_values& values) {
    if (selected_model < 1 || selected_model > table.model_count())
        return false;
    const device_model& model = table.models[static_cast<std::size_t>(selected_model)];
    values.name = model.name;
    values.flash_size = core::text_to_int(model.flash);
    values.eeprom_size = core::text_to_int(model.eeprom);
    values.config_erased = parse_config_values(model.configerased);
    values.has_config_mask = !model.configmask.empty();
    if (values.has_config_mask)
        values.config_mask = parse_config_values(model.configmask);
    else
        values.config_mask.fill(255);
    const std::string order = core::lower_case(model.voltageseq);
    if (order == "vddvpp")
        values.voltage_sequence = 1;
    else if (order == "vppvdd")
        values.voltage_sequence = 2;
    values.entry = parse_entry_kind(model.entry).value_or(entry_kind::high_voltage);
    values.program_time_ms = core::text_to_int(model.progtime);
    // Parts whose configuration cells need a longer hold than code state it apart.
    values.config_program_time_ms = model.configprogtime.empty()
                                        ? values.program_time_ms
                                        : core::text_to_int(model.configprogtime);
    values.discharge_time_us = model.dischargetime.empty() ? default_discharge_time_us
                                                           : core::text_to_int(model.dischargetime);
    values.page_size = core::text_to_int(model.pagesize);
    const image_layout classic;
    auto address_or = [](const std::string& text, std::int64_t otherwise) {
        return parse_hex_address(core::upper_case(text)).value_or(otherwise);
    };
    values.layout.id_address = address_or(model.idaddress, classic.id_address);
    values.layout.id_size =
        model.idlocations.empty()
            ? classic.id_size
            : std::clamp(parse_size(model.idlocations).value_or(0), 0, largest_id_size);
    values.layout.config_address = address_or(model.configaddress, classic.config_address);
    values.layout.eeprom_address = address_or(model.eepromaddress, classic.eeprom_address);
    values.layout.config_in_flash =
        values.layout.config_address >= 0 && values.layout.config_address < values.flash_size;
    values.layout.config_size =
        values.layout.config_in_flash
            ? static_cast<std::int32_t>(std::min<std::int64_t>(
                  values.flash_size - values.layout.config_address, config_bytes))
            : parse_config_size(model.configsize).value_or(config_bytes);
    values.layout.numbered_config_names = core::lower_case(model.confignames) == "numbered";
    values.frame = parse_frame_kind(model.frame).value_or(frame_kind::classic);
    values.eecon1_address = parse_eecon1_address(model.eecon1).value_or(default_eecon1_address);
    values.device_id = parse_device_id(model.deviceid);
    values.device_id_mask = device_id_mask(model);
    read_voltage_limits(model, values);
    values.erase_list = make_instruction_list(model.erasealg);
    values.program_list = make_instruction_list(model.programalg);
    values.read_list = make_instruction_list(model.readalg);
    values.blankcheck_list = make_instruction_list(model.blankcheckalg);
    values.verify_list = make_instruction_list(model.verifyalg);
    return true;
}

} // namespace devices
