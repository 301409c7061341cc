// Code protection of the selected model, by the names of its configuration settings.
#include "interpreter/code_protection.h"

#include "core/hex_text.h"
#include "devices/config_names.h"
#include "devices/instruction_syntax.h"
#include "devices/selected_model.h"
#include "image/memory_buffer.h"
#include "settings/program_values.h"
#include "sim/part_table.h"

#include <algorithm>

namespace Module1 {

namespace {

// The selected model's settings by name, nullptr without the shipped file or for a model
// it does not list.
const devices::model_config_names* selected_names() {
    return devices::shipped_config_names(settings::program().app_folder)
        .find(devices::selected_model().values.name);
}

// The value of option `option` ("ON", "OFF") of a setting, nullopt when it has none.
std::optional<std::uint8_t> option_value(const devices::config_setting& setting,
                                         const char* option) {
    for (const devices::config_option& choice : setting.options)
        if (choice.name == option)
            return choice.value;
    return std::nullopt;
}

// CP0, CP1, ...: the number after CP, -1 for any other setting.
int code_block_number(const std::string& setting) {
    if (setting.size() < 3 || setting.compare(0, 2, "CP") != 0 ||
        setting.find_first_not_of("0123456789", 2) != std::string::npos)
        return -1;
    return std::stoi(setting.substr(2));
}

// The boot block's size in bytes with `config`, -1 when the part is unknown.
std::int32_t boot_block_bytes(const config_bytes& config) {
    const sim::part_info* part =
        sim::find_part(sim::part_of_model(devices::selected_model().values.name));
    if (part == nullptr)
        return -1;
    std::array<std::uint8_t, 14> bytes{};
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<std::uint8_t>(config[k] & 0xFF);
    return static_cast<std::int32_t>(sim::boot_block_size(*part, bytes));
}

// The instructions a configuration section may hold: configuration writes and checks,
// literals, holds and waits, and the power-down that ends it; nothing that walks a memory.
bool configuration_only(devices::opcode op) {
    using devices::opcode;
    constexpr opcode allowed[] = {
        opcode::send_literal, opcode::write_config, opcode::startprog, opcode::startconfigprog,
        opcode::setprogtime,  opcode::wait,         opcode::waitwr,    opcode::read_temp,
        opcode::checkconfig,  opcode::end};
    return std::find(std::begin(allowed), std::end(allowed), op) != std::end(allowed);
}

} // namespace

std::vector<protected_area> read_protected_areas(const config_bytes& config) {
    std::vector<protected_area> areas;
    const devices::model_config_names* names = selected_names();
    if (names == nullptr)
        return areas;
    const devices::model_values& model = devices::selected_model().values;
    int code_blocks = 0;
    for (const devices::config_byte_settings& byte : names->bytes)
        for (const devices::config_setting& setting : byte.settings)
            if (code_block_number(setting.name) >= 0)
                ++code_blocks;
    const std::int32_t boot = boot_block_bytes(config);
    const std::int32_t block_size = code_blocks > 0 ? model.flash_size / code_blocks : 0;

    for (const devices::config_byte_settings& byte : names->bytes) {
        const auto value = static_cast<std::uint8_t>(config[static_cast<std::size_t>(byte.index)]);
        for (const devices::config_setting& setting : byte.settings) {
            const auto on = option_value(setting, "ON");
            if (!devices::is_read_protection(setting.name) || !on || (value & setting.bits) != *on)
                continue;
            protected_area area;
            area.setting = setting.name;
            area.config_byte = std::string("CONFIG") +
                               devices::config_byte_names[static_cast<std::size_t>(byte.index)];
            if (const int block = code_block_number(setting.name); block >= 0) {
                area.label = "Block " + std::to_string(block);
                area.first = block * block_size;
                area.last = area.first + block_size - 1;
                if (block == 0)
                    area.first = boot < 0 ? area.last + 1 : boot;
            } else if (setting.name == "CP") {
                area.label = "Code memory";
                area.last = devices::image_flash_size(model) - 1;
            } else if (setting.name == "CPB") {
                area.label = "Boot block";
                area.last = boot - 1;
            } else {
                if (model.eeprom_size <= 0)
                    continue;
                area.label = "Data EEPROM";
                area.eeprom = true;
                area.last = model.eeprom_size - 1;
            }
            areas.push_back(std::move(area));
        }
    }
    // In address order: the boot block before block 0, the data EEPROM last.
    std::stable_sort(areas.begin(), areas.end(), [](const auto& a, const auto& b) {
        return a.eeprom != b.eeprom ? b.eeprom : a.first < b.first;
    });
    return areas;
}

std::string area_text(const protected_area& area) {
    if (area.first > area.last)
        return area.label;
    if (area.eeprom)
        return area.label + " (" + core::hex4(area.first) + "-" + core::hex4(area.last) + ")";
    return area.label + " (" + core::hex6(area.first) + "-" + core::hex6(area.last) + ")";
}

std::string protection_warning() {
    const auto areas = read_protected_areas(image::program_image().config_image);
    if (areas.empty())
        return {};
    std::string list;
    for (const protected_area& area : areas)
        list += (list.empty() ? "" : ", ") + area_text(area) + " by " + area.setting + " in " +
                area.config_byte;
    return "The image turns code protection on: " + list +
           ". Once programmed, the chip reads zeros there, so a later Verify or Read All cannot "
           "check or read that memory.";
}

std::optional<devices::instruction_list>
configuration_section(const devices::instruction_list& list) {
    if (list.empty() || devices::decode_instruction(list.front()).op != devices::opcode::begin)
        return std::nullopt;
    std::size_t last_loop = 0;
    for (std::size_t k = 0; k < list.size(); ++k)
        if (devices::decode_instruction(list[k]).op == devices::opcode::loop)
            last_loop = k;
    if (last_loop == 0)
        return std::nullopt;
    devices::instruction_list section{list.front()};
    bool touches_config = false;
    for (std::size_t k = last_loop + 1; k < list.size(); ++k) {
        const devices::opcode op = devices::decode_instruction(list[k]).op;
        if (!configuration_only(op))
            return std::nullopt;
        touches_config = touches_config || op == devices::opcode::write_config ||
                         op == devices::opcode::checkconfig;
        section.push_back(list[k]);
    }
    if (!touches_config || devices::decode_instruction(section.back()).op != devices::opcode::end)
        return std::nullopt;
    return section;
}

bool protected_image_provable() {
    const devices::model_values& model = devices::selected_model().values;
    return !read_protected_areas(image::program_image().config_image).empty() &&
           configuration_section(model.program_list) && configuration_section(model.verify_list);
}

operation_result
program_protected_image(bool check_identity,
                        const std::function<void(const operation_result&)>& step_done) {
    image::memory_buffer& buffer = image::program_image();
    const config_bytes wanted = buffer.config_image;
    // Held off: every read protection, and WRTC, which would refuse the later write of the
    // configuration.
    config_bytes held = wanted;
    if (const devices::model_config_names* names = selected_names())
        for (const devices::config_byte_settings& byte : names->bytes)
            for (const devices::config_setting& setting : byte.settings) {
                const auto off = option_value(setting, "OFF");
                if (!off || !(devices::is_read_protection(setting.name) || setting.name == "WRTC"))
                    continue;
                auto& value = held[static_cast<std::size_t>(byte.index)];
                value = (value & ~static_cast<std::int32_t>(setting.bits)) | *off;
            }
    struct restore_image {
        image::memory_buffer& buffer;
        const config_bytes& wanted;
        ~restore_image() { buffer.config_image = wanted; }
    } restore{buffer, wanted};

    buffer.config_image = held;
    operation_result result = program_all(check_identity);
    step_done(result);
    if (result.outcome != operation_outcome::completed)
        return result;
    result = verify_all(check_identity);
    step_done(result);
    if (result.outcome != operation_outcome::completed)
        return result;
    buffer.config_image = wanted;
    result = write_configuration();
    step_done(result);
    if (result.outcome != operation_outcome::completed)
        return result;
    result = verify_configuration();
    step_done(result);
    return result;
}

} // namespace Module1
