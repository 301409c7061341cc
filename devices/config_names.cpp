// Reading pinwrightconfig.txt and decoding configuration bytes by its settings. The file
// is line based: "model:", "byte:" and "setting:" lines, fields separated by blanks (see
// the header the generator writes into it).
#include "devices/config_names.h"

#include "core/hex_text.h"
#include "core/whole_file.h"
#include "devices/device_table.h"
#include "devices/model_select.h"

#include <cstdio>
#include <sstream>

namespace devices {

namespace {

std::vector<std::string> fields_of(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> fields;
    for (std::string field; in >> field;)
        fields.push_back(field);
    return fields;
}

int byte_index(const std::string& name) {
    for (std::size_t k = 0; k < config_byte_names.size(); ++k)
        if (name == config_byte_names[k])
            return static_cast<int>(k);
    return -1;
}

// A malformed line's message.
bool bad_line(std::string& error, int line, const std::string& what) {
    error = "line " + std::to_string(line) + ": " + what;
    return false;
}

} // namespace

bool is_read_protection(const std::string& setting) {
    if (setting == "CP") // one bit for the whole code memory (8410 family)
        return true;
    if (setting.size() < 3 || setting.compare(0, 2, "CP") != 0)
        return false;
    const std::string rest = setting.substr(2);
    return rest == "B" || rest == "D" || rest.find_first_not_of("0123456789") == std::string::npos;
}

const config_byte_settings* model_config_names::byte(int index) const {
    for (const config_byte_settings& entry : bytes)
        if (entry.index == index)
            return &entry;
    return nullptr;
}

const model_config_names* config_names::find(const std::string& model) const {
    const std::string wanted = core::upper_case(model);
    for (const model_config_names& entry : models)
        if (core::upper_case(entry.model) == wanted)
            return &entry;
    return nullptr;
}

bool parse_config_names(const std::string& text, config_names& names, std::string& error) {
    names.models.clear();
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        const auto colon = line.find(':');
        const std::string key = colon == std::string::npos ? line : line.substr(0, colon);
        const std::vector<std::string> fields =
            fields_of(colon == std::string::npos ? std::string() : line.substr(colon + 1));
        if (key == "model") {
            if (fields.size() != 1)
                return bad_line(error, number, "a model line names one model");
            names.models.push_back({fields[0], {}});
        } else if (key == "byte") {
            if (names.models.empty())
                return bad_line(error, number, "a byte line before any model line");
            const int index = fields.empty() ? -1 : byte_index(fields[0]);
            if (fields.size() != 3 || index < 0 || core::hex2_value(fields[1]) < 0 ||
                core::hex2_value(fields[2]) < 0)
                return bad_line(error, number, "a byte line is NN MASK ERASED (\"1H CF 07\")");
            names.models.back().bytes.push_back(
                {index,
                 static_cast<std::uint8_t>(core::hex2_value(fields[1])),
                 static_cast<std::uint8_t>(core::hex2_value(fields[2])),
                 {}});
        } else if (key == "setting") {
            if (names.models.empty() || names.models.back().bytes.empty())
                return bad_line(error, number, "a setting line before any byte line");
            if (fields.size() < 2 || core::hex2_value(fields[1]) < 0)
                return bad_line(error, number, "a setting line is NAME BITS OPTION=VALUE ...");
            config_setting setting{
                fields[0], static_cast<std::uint8_t>(core::hex2_value(fields[1])), {}};
            for (std::size_t k = 2; k < fields.size(); ++k) {
                const auto equals = fields[k].find('=');
                const std::int32_t value = equals == std::string::npos
                                               ? -1
                                               : core::hex2_value(fields[k].substr(equals + 1));
                if (equals == 0 || value < 0)
                    return bad_line(error, number,
                                    "an option is NAME=VALUE (\"HS=02\"): " + fields[k]);
                setting.options.push_back(
                    {fields[k].substr(0, equals), static_cast<std::uint8_t>(value)});
            }
            names.models.back().bytes.back().settings.push_back(std::move(setting));
        } else {
            return bad_line(error, number, "unknown line \"" + line + "\"");
        }
    }
    return true;
}

bool load_config_names(const std::string& path, config_names& names, std::string& error) {
    std::string bytes;
    if (const auto failure = core::read_whole_file(path, bytes); !failure.ok()) {
        error = "cannot read " + path + ": " + failure.reason;
        names.models.clear();
        return false;
    }
    if (!parse_config_names(bytes, names, error)) {
        error = path + " " + error;
        return false;
    }
    return true;
}

const config_names& shipped_config_names(const std::string& program_folder) {
    static std::string folder;
    static config_names names;
    static bool loaded = false;
    if (!loaded || folder != program_folder) {
        folder = program_folder;
        std::string error;
        load_config_names(shipped_file_path(folder, config_names_file), names, error);
        loaded = true;
    }
    return names;
}

decoded_config_byte decode_config_byte(const model_config_names& model, int index,
                                       std::uint8_t value) {
    decoded_config_byte decoded;
    const config_byte_settings* entry = model.byte(index);
    if (entry == nullptr)
        return decoded;
    for (const config_setting& setting : entry->settings) {
        decoded_setting shown{setting.name, {}, static_cast<std::uint8_t>(value & setting.bits)};
        for (const config_option& option : setting.options)
            if (option.value == shown.value)
                shown.option = option.name;
        const std::string name_value = setting.name + " = " + shown.option;
        if (shown.option.empty())
            decoded.notices.push_back(setting.name + " = " + core::hex2(shown.value) +
                                      ": a value " + model.model + " does not define");
        else if (shown.option == "ON" && is_read_protection(setting.name))
            decoded.notices.push_back(name_value + ": read protection; a later Verify or Read All "
                                                   "will read zeros from the protected memory");
        else if (shown.option == "ON" && setting.name == "WRTC")
            decoded.notices.push_back(name_value +
                                      ": the configuration bytes will be write-protected "
                                      "until the chip is erased");
        decoded.settings.push_back(std::move(shown));
    }
    return decoded;
}

std::string settings_text(const decoded_config_byte& decoded) {
    std::string text;
    for (const decoded_setting& setting : decoded.settings) {
        if (!text.empty())
            text += ", ";
        text +=
            setting.name + " = " +
            (setting.option.empty() ? core::hex2(setting.value) + " (undefined)" : setting.option);
    }
    return text;
}

namespace {

std::string option_text(const decoded_setting& setting) {
    return setting.option.empty() ? core::hex2(setting.value) + " (undefined)" : setting.option;
}

} // namespace

std::vector<setting_difference> differing_settings(const model_config_names& model, int index,
                                                   std::uint8_t expected, std::uint8_t read) {
    std::vector<setting_difference> differences;
    const decoded_config_byte wanted = decode_config_byte(model, index, expected);
    const decoded_config_byte found = decode_config_byte(model, index, read);
    for (std::size_t k = 0; k < wanted.settings.size() && k < found.settings.size(); ++k)
        if (wanted.settings[k].value != found.settings[k].value)
            differences.push_back({wanted.settings[k].name, option_text(wanted.settings[k]),
                                   option_text(found.settings[k])});
    return differences;
}

std::string config_difference_text(const model_config_names* model, int index, std::int64_t address,
                                   std::uint8_t expected, std::uint8_t read) {
    if (model == nullptr || index < 0 || index >= config_bytes)
        return {};
    std::string text;
    for (const setting_difference& difference : differing_settings(*model, index, expected, read))
        text += (text.empty() ? "" : "; ") + difference.name + " expected " + difference.expected +
                ", read " + difference.read;
    if (text.empty())
        return {};
    char where[8];
    std::snprintf(where, sizeof where, "%06llX", static_cast<unsigned long long>(address));
    return std::string("CONFIG") + config_byte_names[static_cast<std::size_t>(index)] + " at " +
           where + ": " + text;
}

} // namespace devices
