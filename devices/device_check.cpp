// The device database checker. It walks the file line by line as the loader does, but
// keeps going after a problem so that one run lists them all.
#include "devices/device_check.h"

#include "core/hex_text.h"
#include "devices/database_lines.h"
#include "devices/device_table.h"
#include "devices/instruction_syntax.h"

#include <algorithm>
#include <array>
#include <map>

namespace devices {

namespace {

bool is_plain_number(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const std::size_t first_digit = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == first_digit)
        return false;
    while (i < text.size() && text[i] == ' ')
        ++i;
    return i == text.size();
}

// Fourteen two-digit hexadecimal values separated by one character each.
std::string config_list_problem(const std::string& key, const std::string& text) {
    const auto values = parse_config_values(text);
    for (std::size_t k = 0; k < values.size(); ++k)
        if (values[k] < 0)
            return key + " needs 14 two-digit hexadecimal values separated by commas; value " +
                   std::to_string(k + 1) + " (" + config_name(static_cast<int>(k) + 1) +
                   ") is missing or not hexadecimal";
    return {};
}

struct model_record {
    std::string name;
    int line = 0;
    std::map<std::string, std::pair<std::string, int>> fields; // key -> value, line
    std::array<int, algorithm_kinds> algorithm_lines{};        // 0 = no line
    std::array<std::string, algorithm_kinds> bodies;
};

void check_model(const model_record& model, std::vector<database_problem>& problems) {
    auto report = [&](const std::string& key, const std::string& what) {
        const auto found = model.fields.find(key);
        const int line = found == model.fields.end() ? model.line : found->second.second;
        problems.push_back({line, "model \"" + model.name + "\": " + what});
    };
    auto value_of = [&](const std::string& key) -> const std::string* {
        const auto found = model.fields.find(key);
        return found == model.fields.end() ? nullptr : &found->second.first;
    };

    if (model.name.find_first_not_of(' ') == std::string::npos)
        problems.push_back({model.line, "a model needs a name after \"model:\""});

    if (const auto* flash = value_of("flash:"); !flash)
        report("flash:", "no \"flash:\" line (FLASH size in bytes)");
    else if (!is_plain_number(*flash) || core::text_to_int(*flash) < 1)
        report("flash:",
               "\"flash:\" must be a size in bytes of at least 1, not \"" + *flash + "\"");

    if (const auto* eeprom = value_of("eeprom:"); !eeprom)
        report("eeprom:", "no \"eeprom:\" line (EEPROM size in bytes, 0 for none)");
    else if (!is_plain_number(*eeprom))
        report("eeprom:",
               "\"eeprom:\" must be a size in bytes (0 for none), not \"" + *eeprom + "\"");

    if (const auto* erased = value_of("configerased:"); !erased)
        report("configerased:", "no \"configerased:\" line (14 erased configuration values)");
    else if (auto problem = config_list_problem("\"configerased:\"", *erased); !problem.empty())
        report("configerased:", problem);

    if (const auto* mask = value_of("configmask:"))
        if (auto problem = config_list_problem("\"configmask:\"", *mask); !problem.empty())
            report("configmask:", problem);

    if (const auto* order = value_of("voltageseq:"); !order)
        report("voltageseq:", "no \"voltageseq:\" line (vddvpp or vppvdd)");
    else if (const auto lowered = core::lower_case(*order);
             lowered != "vddvpp" && lowered != "vppvdd")
        report("voltageseq:", "\"voltageseq:\" must be vddvpp or vppvdd, not \"" + *order + "\"");

    if (const auto* time = value_of("progtime:"); !time)
        report("progtime:", "no \"progtime:\" line (programming time in milliseconds)");
    else if (!is_plain_number(*time) || core::text_to_int(*time) < 1)
        report("progtime:",
               "\"progtime:\" must be a whole number of milliseconds of at least 1, not \"" +
                   *time + "\"");

    const auto* page = value_of("pagesize:");
    if (page && !is_plain_number(*page))
        report("pagesize:", "\"pagesize:\" must be a whole number of bytes, not \"" + *page + "\"");

    bool uses_pages = false;
    for (int kind = 0; kind < algorithm_kinds; ++kind) {
        if (model.algorithm_lines[static_cast<std::size_t>(kind)] == 0) {
            problems.push_back({model.line, "model \"" + model.name + "\": no \"" +
                                                algorithm_kind_names[kind] + "alg:\" line"});
            continue;
        }
        for (const auto& instruction :
             make_instruction_list(model.bodies[static_cast<std::size_t>(kind)])) {
            const auto op = decode_instruction(instruction).op;
            uses_pages = uses_pages || op == opcode::calcflashpage || op == opcode::ifpage;
        }
    }
    if (uses_pages && (!page || core::text_to_int(*page) <= 0))
        report("pagesize:", "its algorithms use \"calcflashpage\" or \"ifpage\", which need a "
                            "\"pagesize:\" of at least 1");
}

} // namespace

std::vector<std::string> check_algorithm_body(const std::string& body) {
    std::vector<std::string> problems;
    const instruction_list list = make_instruction_list(body);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& text = list[i];
        const std::string quoted = "'" + text + "'";
        const instruction decoded = decode_instruction(text);
        switch (decoded.op) {
        case opcode::unrecognised:
            problems.push_back(text.empty() ? "empty instruction (two commas in a row, or an "
                                              "empty algorithm)"
                                            : "unrecognised instruction " + quoted +
                                                  (text.find(' ') != std::string::npos
                                                       ? " (a blank is part of the instruction)"
                                                       : ""));
            break;
        case opcode::setflashloop:
        case opcode::seteepromloop: {
            bool closed = false;
            for (std::size_t j = i + 1; j < list.size() && !closed; ++j)
                closed = list[j] == "loop";
            if (!closed)
                problems.push_back("loop head " + quoted + " has no later 'loop'");
            break;
        }
        case opcode::ifpage: {
            bool closed = false;
            for (std::size_t j = i + 1; j < list.size() && !closed; ++j)
                closed = list[j] == "endifpage";
            if (!closed)
                problems.push_back("'ifpage' has no later 'endifpage'");
            break;
        }
        default:
            break;
        }
        if (decoded.has_command && decoded.command < 0)
            problems.push_back(
                "instruction " + quoted +
                " has no valid two-digit hexadecimal command; it would send nothing");
        else if (decoded.has_command && decoded.command > 15)
            problems.push_back("instruction " + quoted +
                               " has a command above 0F; it would send nothing");
        if (decoded.has_payload && decoded.payload < 0)
            problems.push_back(
                "instruction " + quoted +
                " has no valid four-digit hexadecimal payload; it would send nothing");
    }
    return problems;
}

std::vector<database_problem> check_device_database(const std::string& bytes) {
    std::vector<database_problem> problems;
    std::array<algorithm_defs, algorithm_kinds> defs;
    std::vector<model_record> models;
    bool field_before_model_reported = false;

    const auto lines = split_database_lines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (lines[i].find('\n') != std::string::npos)
            problems.push_back({number, "line feed without a carriage return inside the line: "
                                        "lines end with CR LF, so this and the following text "
                                        "form one line"});
        const database_line line = classify_database_line(lines[i]);
        if (!line.problem.empty()) {
            problems.push_back({number, line.problem + " (\"" + lines[i] + "\")"});
            continue;
        }
        using kind = database_line::kind;
        switch (line.what) {
        case kind::empty:
        case kind::other:
        case kind::no_space:
            break;
        case kind::definition:
            defs[static_cast<std::size_t>(line.algorithm)][static_cast<std::size_t>(line.number)] =
                line.body;
            for (const auto& problem : check_algorithm_body(line.body))
                problems.push_back({number, std::string(algorithm_kind_names[line.algorithm]) +
                                                " algorithm " + std::to_string(line.number) + ": " +
                                                problem});
            break;
        case kind::model:
            models.push_back({line.value, number, {}, {}, {}});
            break;
        case kind::field:
        case kind::algorithm_ref:
            if (models.empty()) {
                if (!field_before_model_reported)
                    problems.push_back({number, "model field before the first \"model:\" line "
                                                "belongs to no model"});
                field_before_model_reported = true;
                break;
            }
            if (line.what == kind::field) {
                models.back().fields[line.key] = {line.value, number};
                break;
            }
            {
                const auto& body = defs[static_cast<std::size_t>(line.algorithm)]
                                       [static_cast<std::size_t>(line.number)];
                if (body.empty())
                    problems.push_back({number, "model \"" + models.back().name + "\" names " +
                                                    algorithm_kind_names[line.algorithm] +
                                                    " algorithm " + std::to_string(line.number) +
                                                    ", which is not defined above this line"});
                models.back().algorithm_lines[static_cast<std::size_t>(line.algorithm)] = number;
                models.back().bodies[static_cast<std::size_t>(line.algorithm)] = body;
            }
            break;
        }
    }
    if (models.empty())
        problems.push_back({0, "the file defines no model (no \"model:\" line; note that lines "
                               "must end with CR LF, a lone line feed does not end a line)"});
    for (const auto& model : models)
        check_model(model, problems);
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    return problems;
}

std::string format_problem(const std::string& source, const database_problem& problem) {
    if (problem.line == 0)
        return source + ": " + problem.text;
    return source + ":" + std::to_string(problem.line) + ": " + problem.text;
}

} // namespace devices
