// Model lookup by number or name, and the refusal of a model whose sizes are impossible.
#include "cli/model_choice.h"

#include "core/hex_text.h"
#include "devices/model_select.h"

#include <vector>

namespace cli {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool all_digits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string name_list(const devices::device_table& table, const std::vector<int>& numbers) {
    std::string list;
    for (const int n : numbers) {
        if (!list.empty())
            list += ", ";
        list += trimmed(table.models[static_cast<std::size_t>(n)].name);
    }
    return list;
}

} // namespace

namespace {

model_choice find_model_by_request(const devices::device_table& table, const std::string& request) {
    const std::string wanted = trimmed(request);
    // A number within the table is a model number; other digits may end a name ("4520").
    std::string number_error;
    if (all_digits(wanted)) {
        const int number = wanted.size() > 6 ? 0 : std::stoi(wanted);
        if (number >= 1 && number <= table.model_count())
            return {number, {}};
        number_error = "model number " + wanted + " is outside 1 to " +
                       std::to_string(table.model_count()) + " (see pinwright-cli models)";
    }
    if (wanted.empty())
        return {0, "--model needs a model number or name"};

    const std::string lowered = core::lower_case(wanted);
    std::vector<int> exact;
    std::vector<int> ending;
    for (int n = 1; n <= table.model_count(); ++n) {
        const std::string name =
            core::lower_case(trimmed(table.models[static_cast<std::size_t>(n)].name));
        if (name == lowered)
            exact.push_back(n);
        else if (name.size() > lowered.size() &&
                 name.compare(name.size() - lowered.size(), lowered.size(), lowered) == 0)
            ending.push_back(n);
    }
    if (exact.size() == 1)
        return {exact.front(), {}};
    if (!number_error.empty() && ending.empty())
        return {0, number_error};
    if (!number_error.empty() && ending.size() > 1)
        return {0,
                number_error + "; names that end with " + wanted + ": " + name_list(table, ending)};
    if (exact.size() > 1)
        return {0, "model name \"" + wanted + "\" is ambiguous: " + name_list(table, exact) +
                       " (use the model number)"};
    if (ending.size() == 1)
        return {ending.front(), {}};
    if (ending.size() > 1)
        return {0, "model name \"" + wanted + "\" is ambiguous: it matches " +
                       name_list(table, ending)};

    // Unknown: suggest the models whose names contain the text.
    std::vector<int> similar;
    for (int n = 1; n <= table.model_count(); ++n)
        if (core::lower_case(table.models[static_cast<std::size_t>(n)].name).find(lowered) !=
            std::string::npos)
            similar.push_back(n);
    std::string message = "unknown model \"" + wanted + "\"";
    if (!similar.empty())
        message += "; similar: " + name_list(table, similar);
    else
        message += " (see pinwright-cli models)";
    return {0, message};
}

} // namespace

model_choice choose_model(const devices::device_table& table, const std::string& request) {
    model_choice choice = find_model_by_request(table, request);
    if (choice.number != 0)
        if (const auto problem = unusable_model_text(table, choice.number); !problem.empty())
            return {0, problem};
    return choice;
}

std::string unusable_model_text(const devices::device_table& table, int number) {
    const auto& model = table.models[static_cast<std::size_t>(number)];
    const std::string problem = devices::model_problem(model);
    if (problem.empty())
        return {};
    return "model " + std::to_string(number) + " (" + trimmed(model.name) +
           ") cannot be selected: " + problem + " (see pinwright-cli check-devices)";
}

} // namespace cli
