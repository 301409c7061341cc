// Reading pinwrightdevices.txt into the device table. Each line is classified on its own:
// algorithm definitions ("erasealgdef 3: ..."), model keys ("flash: 32768"), and anything
// else, which is ignored and so serves as a comment.
#include "devices/device_table.h"

#include "core/hex_text.h"
#include "core/whole_file.h"
#include "devices/database_lines.h"

namespace devices {

const char* const algorithm_kind_names[algorithm_kinds] = {"erase", "program", "read", "blankcheck",
                                                           "verify"};

namespace {

constexpr const char* definition_words[algorithm_kinds] = {
    "erasealgdef", "programalgdef", "readalgdef", "blankcheckalgdef", "verifyalgdef"};
constexpr const char* reference_keys[algorithm_kinds] = {
    "erasealg:", "programalg:", "readalg:", "blankcheckalg:", "verifyalg:"};
constexpr const char* value_keys[] = {
    "flash:", "eeprom:", "configerased:", "configmask:", "voltageseq:", "progtime:", "pagesize:"};

algorithm_defs& defs_of(device_table& table, int kind) {
    algorithm_defs* all[algorithm_kinds] = {&table.erase_defs, &table.program_defs,
                                            &table.read_defs, &table.blankcheck_defs,
                                            &table.verify_defs};
    return *all[kind];
}

std::string& algorithm_field(device_model& model, int kind) {
    std::string* all[algorithm_kinds] = {&model.erasealg, &model.programalg, &model.readalg,
                                         &model.blankcheckalg, &model.verifyalg};
    return *all[kind];
}

std::string& value_field(device_model& model, const std::string& key) {
    if (key == "flash:")
        return model.flash;
    if (key == "eeprom:")
        return model.eeprom;
    if (key == "configerased:")
        return model.configerased;
    if (key == "configmask:")
        return model.configmask;
    if (key == "voltageseq:")
        return model.voltageseq;
    if (key == "progtime:")
        return model.progtime;
    return model.pagesize;
}

void check_number(database_line& line) {
    if (line.number < 0 || line.number >= algorithm_slots)
        line.problem = "algorithm number " + std::to_string(line.number) + " is outside 0 to 20";
}

} // namespace

std::vector<std::string> split_database_lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto cr = bytes.find('\r', start);
        const std::size_t end = cr == std::string::npos ? bytes.size() : cr;
        lines.push_back(bytes.substr(start, end - start));
        start = end == bytes.size() ? end : end + 1;
        if (cr != std::string::npos && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

database_line classify_database_line(const std::string& line) {
    database_line result;
    if (line.empty()) {
        result.what = database_line::kind::empty;
        return result;
    }
    const auto space = line.find(' ');
    if (space == std::string::npos) {
        result.what = database_line::kind::no_space;
        result.problem = "line without a space: keys and values are separated by a space";
        return result;
    }
    const std::string lowered = core::lower_case(line);
    const std::string key_word = lowered.substr(0, space);
    result.value = line.substr(space + 1);

    for (int kind = 0; kind < algorithm_kinds; ++kind) {
        if (key_word != definition_words[kind])
            continue;
        result.what = database_line::kind::definition;
        result.algorithm = kind;
        result.number = core::text_to_int(result.value);
        check_number(result);
        // The body starts at the second character after the first colon.
        const auto colon = line.find(':');
        if (colon != std::string::npos && colon + 2 <= line.size())
            result.body = line.substr(colon + 2);
        return result;
    }

    const auto colon = lowered.find(':');
    if (colon == std::string::npos)
        return result;
    result.key = lowered.substr(0, colon + 1);
    if (result.key == "model:") {
        result.what = database_line::kind::model;
        return result;
    }
    for (const char* key : value_keys) {
        if (result.key == key) {
            result.what = database_line::kind::field;
            return result;
        }
    }
    for (int kind = 0; kind < algorithm_kinds; ++kind) {
        if (result.key == reference_keys[kind]) {
            result.what = database_line::kind::algorithm_ref;
            result.algorithm = kind;
            result.number = core::text_to_int(result.value);
            check_number(result);
            return result;
        }
    }
    return result;
}

std::string failure_text(const database_failure& failure) {
    switch (failure.code) {
    case database_error::none:
        break;
    case database_error::cannot_open:
        return "Cannot open the device database " + failure.path + ": " + failure.reason + ".";
    case database_error::cannot_read:
        return "Cannot read the device database " + failure.path + ": " + failure.reason + ".";
    case database_error::bad_line:
        return failure.path + ":" + std::to_string(failure.line) + ": " + failure.reason + " (\"" +
               failure.quoted + "\").";
    }
    return {};
}

database_failure parse_device_table(const std::string& bytes, const std::string& source,
                                    device_table& table) {
    table = device_table{};
    table.source = source;

    const auto lines = split_database_lines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const database_line line = classify_database_line(lines[i]);
        if (!line.problem.empty()) {
            table = device_table{};
            table.source = source;
            database_failure failure;
            failure.code = database_error::bad_line;
            failure.path = source;
            failure.line = number;
            failure.reason = line.problem;
            failure.quoted = lines[i];
            return failure;
        }
        using kind = database_line::kind;
        switch (line.what) {
        case kind::empty:
        case kind::other:
        case kind::no_space:
            break;
        case kind::definition:
        case kind::algorithm_ref:
            if (line.what == kind::definition)
                defs_of(table, line.algorithm)[static_cast<std::size_t>(line.number)] = line.body;
            else
                algorithm_field(table.models.back(), line.algorithm) =
                    defs_of(table, line.algorithm)[static_cast<std::size_t>(line.number)];
            break;
        case kind::model: {
            device_model model;
            model.name = line.value;
            model.line = number;
            table.models.push_back(std::move(model));
            break;
        }
        case kind::field:
            value_field(table.models.back(), line.key) = line.value;
            break;
        }
    }
    return {};
}

database_failure load_device_table(const std::string& path, device_table& table) {
    std::string bytes;
    const core::file_failure read = core::read_whole_file(path, bytes);
    if (read.ok())
        return parse_device_table(bytes, path, table);
    table = device_table{};
    table.source = path;
    database_failure failure;
    failure.code = read.code == core::file_error::cannot_open ? database_error::cannot_open
                                                              : database_error::cannot_read;
    failure.path = path;
    failure.reason = read.reason;
    return failure;
}

} // namespace devices
