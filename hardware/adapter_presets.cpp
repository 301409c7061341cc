// Reading and checking pinwrightpresets.txt: the blocks, their fields, and the pins each
// kind can drive, judged by the same tables the Hardware Settings dialog and the drivers
// use (the connector table, the FTDI and GPIO wiring lines).
#include "hardware/adapter_presets.h"

#include "core/hex_text.h"
#include "core/whole_file.h"
#include "devices/device_table.h"
#include "devices/voltage_range.h"
#include "hardware/connector_pins.h"
#include "settings/program_values.h"
#include "settings/stored_wiring.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <set>

namespace hardware {

namespace {

// The keys of the five lines, in line order, and the names messages give them.
constexpr std::array<const char*, preset_line_count> line_keys{"vdd", "vpp", "clock", "dataout",
                                                               "datain"};

constexpr const char* required_keys[] = {"kind",     "vdd",    "vpp",        "clock",
                                         "dataout",  "datain", "nominalvdd", "nominalvpp",
                                         "keyentry", "status", "sources"};
constexpr const char* repeatable_keys[] = {"extra", "note"};

bool known_key(const std::string& key) {
    for (const char* k : required_keys)
        if (key == k)
            return true;
    for (const char* k : repeatable_keys)
        if (key == k)
            return true;
    return false;
}

bool repeatable(const std::string& key) {
    return key == "extra" || key == "note";
}

// A field as written, with its line.
struct field {
    std::string value;
    int line = 0;
};

struct block {
    std::string name;
    int line = 0;
    std::map<std::string, field> fields;               // the single keys
    std::map<std::string, std::vector<field>> repeats; // extra, note
    bool broken = false;                               // a line of it has a problem already
};

// "1-9, 14, 16, 17": a pin list with runs of three or more joined.
std::string pins_text(const std::vector<std::int32_t>& pins) {
    std::string text;
    for (std::size_t k = 0; k < pins.size();) {
        std::size_t end = k;
        while (end + 1 < pins.size() && pins[end + 1] == pins[end] + 1)
            ++end;
        text += (text.empty() ? "" : ", ") + std::to_string(pins[k]);
        if (end >= k + 2)
            text += "-" + std::to_string(pins[end]);
        else if (end == k + 1)
            text += ", " + std::to_string(pins[end]);
        k = end + 1;
    }
    return text;
}

bool may_be_none(preset_kind kind, std::size_t line) {
    if (kind == preset_kind::ftdi)
        return settings::ftdi_wiring_lines[line].may_be_unconnected;
    if (kind == preset_kind::gpio)
        return settings::gpio_wiring_lines[line].may_be_unconnected;
    return false;
}

// The pin of a line's value, or what is wrong with it.
std::optional<std::int32_t> read_pin(preset_kind kind, std::size_t line, const std::string& text,
                                     std::string& problem) {
    const char* name = settings::wiring_lines[line].name;
    if (core::lower_case(text) == "none") {
        if (may_be_none(kind, line))
            return -1;
        if (kind == preset_kind::parallel)
            problem = std::string(name) +
                      " cannot be \"none\" on the parallel port: the program switches it on a "
                      "pin (a design without a switched " +
                      name + " names a pin it leaves unconnected)";
        else
            problem = std::string(name) + " cannot be \"none\": only VDD and VPP may be left "
                                          "unswitched";
        return std::nullopt;
    }
    switch (kind) {
    case preset_kind::parallel: {
        const bool input = settings::wiring_lines[line].input;
        const pin_direction wanted = input ? pin_direction::input : pin_direction::output;
        const auto pin = core::whole_number(text, 1, pin_count);
        if (pin && connector_pin_info(static_cast<std::int32_t>(*pin)).direction == wanted)
            return static_cast<std::int32_t>(*pin);
        problem = std::string(name) + " needs " + (input ? "an input" : "an output") +
                  " pin of the parallel port (" + pins_text(pins_of(wanted)) + "), not \"" + text +
                  "\"";
        return std::nullopt;
    }
    case preset_kind::ftdi:
        if (text.size() == 2 && (text[0] == 'D' || text[0] == 'd') && text[1] >= '0' &&
            text[1] <= '7')
            return text[1] - '0';
        problem = std::string(name) + " needs an FTDI bit-bang pin D0 to D7" +
                  (may_be_none(kind, line) ? " or \"none\"" : "") + ", not \"" + text + "\"";
        return std::nullopt;
    case preset_kind::gpio:
        if (const auto offset = core::whole_number(text, 0, settings::highest_gpio_offset))
            return static_cast<std::int32_t>(*offset);
        problem = std::string(name) + " needs a GPIO line offset from 0 to " +
                  std::to_string(settings::highest_gpio_offset) +
                  (may_be_none(kind, line) ? " or \"none\"" : "") + ", not \"" + text + "\"";
        return std::nullopt;
    }
    return std::nullopt;
}

// "unknown", or volts as the adapter settings take them.
bool read_nominal(const std::string& text, std::optional<double>& volts) {
    if (core::lower_case(text) == "unknown") {
        volts.reset();
        return true;
    }
    volts = devices::parse_volts(text);
    return volts && *volts > 0 && *volts <= devices::highest_mclr_max;
}

// Splits "works with care: reason" into its status and reason.
bool read_status(const std::string& text, adapter_preset& preset) {
    const auto starts = [&](const std::string& lead) {
        if (core::lower_case(text.substr(0, lead.size())) != lead)
            return false;
        preset.status_reason = core::without_blanks_around(text.substr(lead.size()));
        return !preset.status_reason.empty();
    };
    if (core::lower_case(text) == "works") {
        preset.status = preset_status::works;
        return true;
    }
    if (starts("works with care:")) {
        preset.status = preset_status::with_care;
        return true;
    }
    if (starts("cannot be driven:")) {
        preset.status = preset_status::cannot_drive;
        return true;
    }
    return false;
}

// The preset a block describes, its problems added to `problems`; nothing when it has any.
std::optional<adapter_preset> read_block(const block& b, std::vector<preset_problem>& problems) {
    const std::size_t problems_before = problems.size();
    const auto problem = [&](int line, const std::string& text) {
        problems.push_back({line, "preset \"" + b.name + "\": " + text});
    };
    for (const char* key : required_keys)
        if (!b.fields.count(key))
            problem(b.line, std::string("no \"") + key + ":\" line");
    if (problems.size() != problems_before)
        return std::nullopt;

    adapter_preset preset;
    preset.name = b.name;
    preset.line = b.line;
    const field& kind = b.fields.at("kind");
    const std::string kind_text = core::lower_case(kind.value);
    if (kind_text == "parallel")
        preset.kind = preset_kind::parallel;
    else if (kind_text == "ftdi")
        preset.kind = preset_kind::ftdi;
    else if (kind_text == "gpio")
        preset.kind = preset_kind::gpio;
    else {
        problem(kind.line, "kind must be parallel, ftdi or gpio, not \"" + kind.value + "\"");
        return std::nullopt;
    }

    std::map<std::int32_t, std::size_t> used; // pin -> the line that has it
    for (std::size_t k = 0; k < preset_line_count; ++k) {
        const field& value = b.fields.at(line_keys[k]);
        std::string text = value.value;
        const std::string lower = core::lower_case(text);
        const std::string suffix = " inverted";
        if (lower.size() > suffix.size() &&
            lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0) {
            preset.lines[k].inverted = true;
            text = core::without_blanks_around(text.substr(0, text.size() - suffix.size()));
        }
        std::string wrong;
        const auto pin = read_pin(preset.kind, k, text, wrong);
        if (!pin) {
            problem(value.line, wrong);
            continue;
        }
        if (*pin == -1 && preset.lines[k].inverted) {
            problem(value.line, std::string(settings::wiring_lines[k].name) +
                                    " is \"none\": it has nothing to invert");
            continue;
        }
        preset.lines[k].pin = *pin;
        if (*pin == -1)
            continue;
        if (const auto clash = used.find(*pin); clash != used.end())
            problem(value.line, std::string(settings::wiring_lines[k].name) + " and " +
                                    settings::wiring_lines[clash->second].name + " are both on " +
                                    text + ": every line needs a pin of its own");
        else
            used[*pin] = k;
    }

    for (const auto& [key, target] : {std::pair{"nominalvdd", &preset.nominal_vdd},
                                      std::pair{"nominalvpp", &preset.nominal_vpp}}) {
        const field& value = b.fields.at(key);
        if (!read_nominal(value.value, *target))
            problem(value.line, std::string(key) + " must be volts above 0 and at most " +
                                    devices::volts_text(devices::highest_mclr_max) +
                                    " (such as 13.8) or \"unknown\", not \"" + value.value + "\"");
    }
    const field& key_entry = b.fields.at("keyentry");
    preset.key_entry = core::lower_case(key_entry.value);
    if (preset.key_entry != "yes" && preset.key_entry != "no" && preset.key_entry != "only" &&
        preset.key_entry != "unknown")
        problem(key_entry.line,
                "keyentry must be yes, no, only or unknown, not \"" + key_entry.value + "\"");
    const field& status = b.fields.at("status");
    if (!read_status(status.value, preset))
        problem(status.line, "status must be \"works\", \"works with care: WHAT\" or \"cannot be "
                             "driven: WHY\", not \"" +
                                 status.value + "\"");
    preset.sources = b.fields.at("sources").value;
    if (preset.sources.empty())
        problem(b.fields.at("sources").line, "sources is empty: say where the wiring was read");
    if (const auto extra = b.repeats.find("extra"); extra != b.repeats.end())
        for (const field& f : extra->second)
            preset.extra.push_back(f.value);
    if (const auto notes = b.repeats.find("note"); notes != b.repeats.end())
        for (const field& f : notes->second)
            preset.notes.push_back(f.value);
    if (problems.size() != problems_before)
        return std::nullopt;
    return preset;
}

} // namespace

const char* preset_kind_name(preset_kind kind) {
    switch (kind) {
    case preset_kind::parallel:
        return "parallel";
    case preset_kind::ftdi:
        return "ftdi";
    case preset_kind::gpio:
        return "gpio";
    }
    return "";
}

preset_file parse_presets(const std::string& bytes) {
    preset_file file;
    std::vector<block> blocks;
    int number = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = core::without_blanks_around(line);
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            file.problems.push_back(
                {number, "\"" + line + "\" is not \"key: value\" (a comment starts with #)"});
            continue;
        }
        const std::string key =
            core::lower_case(core::without_blanks_around(line.substr(0, colon)));
        const std::string value = core::without_blanks_around(line.substr(colon + 1));
        if (key == "preset") {
            if (value.empty())
                file.problems.push_back({number, "a preset needs a name after \"preset:\""});
            blocks.push_back({value, number, {}, {}});
            continue;
        }
        if (!known_key(key)) {
            file.problems.push_back({number, "unknown key \"" + key + "\""});
            if (!blocks.empty())
                blocks.back().broken = true;
            continue;
        }
        if (blocks.empty()) {
            file.problems.push_back({number, "\"" + key + ":\" before the first \"preset:\" line"});
            continue;
        }
        block& current = blocks.back();
        if (repeatable(key)) {
            current.repeats[key].push_back({value, number});
        } else if (!current.fields.emplace(key, field{value, number}).second) {
            current.broken = true;
            file.problems.push_back({number, "preset \"" + current.name + "\": a second \"" + key +
                                                 ":\" line (the first is line " +
                                                 std::to_string(current.fields.at(key).line) +
                                                 ")"});
        }
    }
    std::set<std::string> names;
    for (const block& b : blocks) {
        if (b.name.empty())
            continue;
        if (!names.insert(core::lower_case(b.name)).second) {
            file.problems.push_back(
                {b.line, "a second preset named \"" + b.name + "\" (names must differ)"});
            continue;
        }
        if (auto preset = read_block(b, file.problems); preset && !b.broken)
            file.presets.push_back(std::move(*preset));
    }
    if (blocks.empty())
        file.problems.push_back({0, "no preset (a preset starts with a \"preset:\" line)"});
    std::stable_sort(file.problems.begin(), file.problems.end(),
                     [](const preset_problem& a, const preset_problem& b) {
                         // Whole-file problems last.
                         return (a.line == 0 ? INT_MAX : a.line) < (b.line == 0 ? INT_MAX : b.line);
                     });
    return file;
}

std::string format_preset_problem(const std::string& source, const preset_problem& problem) {
    return source + (problem.line > 0 ? " line " + std::to_string(problem.line) : "") + ": " +
           problem.text;
}

std::string preset_line_text(preset_kind kind, const preset_line& line) {
    if (line.pin < 0)
        return "none";
    const std::string pin =
        kind == preset_kind::ftdi ? "D" + std::to_string(line.pin) : std::to_string(line.pin);
    return pin + (line.inverted ? " inverted" : "");
}

std::string preset_status_text(const adapter_preset& preset) {
    switch (preset.status) {
    case preset_status::works:
        return "works";
    case preset_status::with_care:
        return "works with care: " + preset.status_reason;
    case preset_status::cannot_drive:
        return "cannot be driven: " + preset.status_reason;
    }
    return {};
}

const adapter_preset* find_preset(const std::vector<adapter_preset>& presets,
                                  const std::string& name) {
    const std::string wanted = core::lower_case(core::without_blanks_around(name));
    for (const adapter_preset& preset : presets)
        if (core::lower_case(preset.name) == wanted)
            return &preset;
    return nullptr;
}

namespace {

struct loaded_presets {
    std::optional<std::string> path; // set_presets_path's
    bool read = false;
    std::vector<adapter_preset> presets;
    std::string failure;
};

loaded_presets& loaded() {
    static loaded_presets state;
    return state;
}

} // namespace

std::string presets_path() {
    if (loaded().path)
        return *loaded().path;
    return devices::shipped_file_path(settings::program().app_folder, presets_file_name);
}

void set_presets_path(const std::string& path) {
    loaded() = {};
    if (!path.empty())
        loaded().path = path;
}

const std::vector<adapter_preset>& program_presets() {
    loaded_presets& state = loaded();
    if (state.read)
        return state.presets;
    state.read = true;
    const std::string path = presets_path();
    std::string bytes;
    if (const auto read = core::read_whole_file(path, bytes); !read.ok()) {
        state.failure = "Cannot read the adapter presets " + path + ": " + read.reason;
        return state.presets;
    }
    preset_file file = parse_presets(bytes);
    state.presets = std::move(file.presets);
    if (!file.problems.empty())
        state.failure =
            format_preset_problem(path, file.problems.front()) +
            (file.problems.size() > 1 ? " (and more; run pinwright-cli check-presets)" : "");
    return state.presets;
}

std::string presets_failure() {
    program_presets();
    return loaded().failure;
}

} // namespace hardware
