// Splitting pinwrightdevices.txt into lines and classifying each on its own: algorithm
// definitions ("erasealgdef 3: ..."), model keys ("flash: 32768") and algorithm references
// ("erasealg: 3"), both as the key table lists them (devices/database_schema.h), and
// anything else, which is ignored and so serves as a comment. A reference takes the body of
// the definition above it, as both readers of the file need.
#include "devices/database_lines.h"

#include "core/hex_text.h"

#include <array>

namespace devices {

const char* const algorithm_kind_names[algorithm_kinds] = {"erase", "program", "read", "blankcheck",
                                                           "verify"};

namespace {

constexpr const char* definition_words[algorithm_kinds] = {
    "erasealgdef", "programalgdef", "readalgdef", "blankcheckalgdef", "verifyalgdef"};
void check_number(database_line& line) {
    if (line.number < 0 || line.number >= algorithm_slots)
        line.problem = "algorithm number " + std::to_string(line.number) + " is outside 0 to 39";
}

std::vector<std::string> split_lines(const std::string& bytes) {
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

database_line classify(const std::string& line) {
    database_line result;
    result.text = line;
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
    if (result.key == model_key) {
        result.what = database_line::kind::model;
        return result;
    }
    result.row = find_database_key(result.key);
    if (result.row == nullptr)
        return result;
    if (result.row->algorithm == no_algorithm) {
        result.what = database_line::kind::field;
        return result;
    }
    result.what = database_line::kind::algorithm_ref;
    result.algorithm = result.row->algorithm;
    result.number = core::text_to_int(result.value);
    check_number(result);
    return result;
}

} // namespace

std::vector<std::string> database_keys() {
    std::vector<std::string> keys{model_key};
    for (const database_key& row : database_schema())
        keys.emplace_back(row.name);
    return keys;
}

std::vector<database_line> read_database_lines(const std::string& bytes) {
    // The definitions so far, per kind and number.
    std::array<std::array<std::string, algorithm_slots>, algorithm_kinds> bodies;
    std::vector<database_line> lines;
    for (const std::string& text : split_lines(bytes)) {
        database_line line = classify(text);
        using kind = database_line::kind;
        const bool names_algorithm =
            line.what == kind::definition || line.what == kind::algorithm_ref;
        if (line.problem.empty() && names_algorithm) {
            std::string& defined = bodies[static_cast<std::size_t>(line.algorithm)]
                                         [static_cast<std::size_t>(line.number)];
            if (line.what == kind::definition)
                defined = line.body;
            else
                line.body = defined;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace devices
