// The device database checker. It walks the file line by line as the loader does, but
// keeps going after a problem so that one run lists them all.
#include "devices/device_check.h"

#include "core/hex_text.h"
#include "devices/algorithm_check.h"
#include "devices/database_lines.h"
#include "devices/database_schema.h"
#include "devices/instruction_syntax.h"
#include "devices/model_select.h"

#include <algorithm>
#include <array>
#include <map>

namespace devices {

namespace {

// An instruction that walks the ID locations.
bool uses_id_locations(opcode op) {
    return op == opcode::setidloop || op == opcode::write_id || op == opcode::read_id ||
           op == opcode::checkid || op == opcode::checkblankid;
}

struct model_record {
    std::string name;
    int line = 0;
    std::map<std::string, std::pair<std::string, int>> fields; // key -> value, line
    std::array<int, algorithm_kinds> algorithm_lines{};        // 0 = no line
    std::array<std::string, algorithm_kinds> bodies;
};

// The configuration size a model's "configsize:" gives, 14 without one.
template <typename value_fn> std::int32_t config_size_of(const value_fn& value_of) {
    const auto* size = value_of("configsize:");
    return size ? parse_config_size(*size).value_or(config_bytes) : config_bytes;
}

// "configerased:" and "configmask:" give one value per configuration byte; a model whose
// configuration lies in FLASH gives fourteen, the last six 00 in the mask (judged below).
template <typename report_fn, typename value_fn>
void check_config_counts(const report_fn& report, const value_fn& value_of, bool config_in_flash) {
    if (value_of("configsize:") && config_in_flash)
        report("configsize:", "its configuration lies in FLASH, which holds its last " +
                                  std::to_string(flash_config_bytes) +
                                  " bytes: leave out \"configsize:\"");
    const std::int32_t size = config_in_flash ? config_bytes : config_size_of(value_of);
    for (const char* key : {"configerased:", "configmask:"}) {
        const auto* text = value_of(key);
        if (text == nullptr || parse_config_values(*text)[0] < 0)
            continue; // missing, or reported with the key
        const int given = config_value_count(*text);
        if (given != size)
            report(
                key,
                std::string("\"") + key + "\" gives " + std::to_string(given) +
                    " values, but the model has " + std::to_string(size) + " configuration bytes" +
                    (value_of("configsize:") ? "" : " (14 unless \"configsize:\" says otherwise)"));
    }
}

// The image layout: ID instructions only where there are ID locations, and no two memories at the
// same HEX addresses (the reader would put a byte in one of them and the writer write both).
template <typename report_fn, typename value_fn>
void check_layout(const model_record& model, const report_fn& report, const value_fn& value_of) {
    // The values themselves are judged with their keys; an unreadable one counts as absent
    // here, as select_model reads it (an unreadable ID size as none).
    const image_layout classic;
    std::int32_t id_size = classic.id_size;
    if (const auto* size = value_of("idlocations:"))
        id_size = parse_size(*size).value_or(0);
    auto address = [&](const std::string& key, std::int64_t otherwise) {
        const auto* text = value_of(key);
        return text ? parse_hex_address(core::upper_case(*text)).value_or(otherwise) : otherwise;
    };
    const std::int64_t id_address = address("idaddress:", classic.id_address);
    const std::int64_t config_address = address("configaddress:", classic.config_address);
    const std::int64_t eeprom_address = address("eepromaddress:", classic.eeprom_address);

    if (id_size == 0)
        for (int kind = 0; kind < algorithm_kinds; ++kind) {
            const auto list = make_instruction_list(model.bodies[static_cast<std::size_t>(kind)]);
            const auto found = std::find_if(list.begin(), list.end(), [](const std::string& text) {
                return uses_id_locations(decode_instruction(text).op);
            });
            if (found != list.end())
                report("idlocations:", std::string("its ") + algorithm_kind_names[kind] +
                                           " algorithm walks the ID locations ('" + *found +
                                           "'), but \"idlocations: 0\" says it has none");
        }

    struct area {
        const char* name;
        const char* key; // the line that places it
        std::int64_t first, size;
    };
    const std::int64_t flash_size =
        parse_size(value_of("flash:") ? *value_of("flash:") : "").value_or(0);
    // The configuration in FLASH: its eight words end FLASH, and the bytes beyond them
    // (CONFIG5L..CONFIG7H) are not implemented.
    const bool config_in_flash = config_address >= 0 && config_address < flash_size;
    if (config_in_flash) {
        if (config_address + flash_config_bytes != flash_size)
            report("configaddress:",
                   "its configuration at " + core::hex6(static_cast<std::int32_t>(config_address)) +
                       " lies inside its FLASH but is not its last " +
                       std::to_string(flash_config_bytes) + " bytes; write \"configaddress: " +
                       core::hex6(static_cast<std::int32_t>(flash_size - flash_config_bytes)) +
                       "\"");
        const auto* mask = value_of("configmask:");
        const auto values = parse_config_values(mask ? *mask : "");
        if (!mask || std::any_of(values.begin() + flash_config_bytes, values.begin() + config_bytes,
                                 [](std::int32_t v) { return v != 0; }))
            report(mask ? "configmask:" : "configaddress:",
                   "its configuration lies in FLASH, which holds CONFIG1L..CONFIG4H only: a "
                   "\"configmask:\" line must give 00 for CONFIG5L..CONFIG7H");
    }
    check_config_counts(report, value_of, config_in_flash);
    const area areas[] = {
        {"FLASH", "flash:", 0, config_in_flash ? config_address : flash_size},
        {"ID locations", "idaddress:", id_address, id_size},
        {"configuration bytes", "configaddress:", config_address,
         config_in_flash ? flash_config_bytes : config_size_of(value_of)},
        {"EEPROM", "eepromaddress:", eeprom_address,
         parse_size(value_of("eeprom:") ? *value_of("eeprom:") : "").value_or(0)}};
    for (std::size_t i = 0; i < std::size(areas); ++i)
        for (std::size_t j = i + 1; j < std::size(areas); ++j) {
            const area& a = areas[i];
            const area& b = areas[j];
            if (a.size <= 0 || b.size <= 0 || a.first + a.size <= b.first ||
                b.first + b.size <= a.first)
                continue;
            auto range = [](const area& r) {
                return core::hex6(static_cast<std::int32_t>(r.first)) + "-" +
                       core::hex6(static_cast<std::int32_t>(r.first + r.size - 1));
            };
            report(value_of(b.key) ? b.key : a.key,
                   std::string("its ") + a.name + " (" + range(a) + ") and its " + b.name + " (" +
                       range(b) +
                       ") share HEX addresses: a HEX file could not say which "
                       "memory a byte belongs to");
        }
}

// A key-entry part takes MCLR at VDD level only: VDD comes first, both ranges are given so
// that the voltage check guards it, and MCLR's range stays within VDD's.
template <typename report_fn, typename value_fn>
void check_key_entry(const report_fn& report, const value_fn& value_of) {
    const auto* entry = value_of("entry:");
    if (!entry || !enters_by_key(parse_entry_kind(*entry).value_or(entry_kind::high_voltage)))
        return;
    if (const auto* order = value_of("voltageseq:"); order && core::lower_case(*order) != "vddvpp")
        report("voltageseq:",
               "a key-entry part needs VDD before MCLR: write \"voltageseq: vddvpp\"");
    if (value_of("mclrmax:"))
        report("mclrmax:", "a key-entry part takes MCLR at its VDD level, never more: leave out "
                           "\"mclrmax:\"");
    const auto* vdd = value_of("vdd:");
    const auto* vpp = value_of("vpp:");
    if (!vdd || !vpp) {
        report("entry:", "a key-entry part needs \"vdd:\" and \"vpp:\" lines, so that no "
                         "adapter's programming voltage reaches its MCLR");
        return;
    }
    const auto vdd_range = parse_voltage_range(*vdd);
    const auto vpp_range = parse_voltage_range(*vpp);
    if (vdd_range && vpp_range && vpp_range->max > vdd_range->max)
        report("vpp:", "\"vpp:\" " + *vpp + " goes above the VDD maximum " +
                           volts_text(vdd_range->max) +
                           " V: a key-entry part takes MCLR at its VDD level, never above");
}

// The entry goes with the frame: key entry with MCLR left low is the 8-bit-command families'
// own, the J parts' key entry (MCLR back at VDD) speaks the classic frame, and a
// high-voltage entry of the 8-bit-command families takes at most 9 V on MCLR (VIHH).
template <typename report_fn, typename value_fn>
void check_entry_and_frame(const report_fn& report, const value_fn& value_of) {
    const auto* entry_text = value_of("entry:");
    const auto* frame_text = value_of("frame:");
    const auto entry = parse_entry_kind(entry_text ? *entry_text : "");
    const auto frame = parse_frame_kind(frame_text ? *frame_text : "");
    if (!entry || !frame)
        return; // reported with the keys
    if (*entry == entry_kind::key_low && !is_eight_bit(*frame))
        report("entry:", "\"entry: keylow\" is the entry of the 8-bit-command families, but the "
                         "model's frame is classic: write its \"frame:\" line, or \"entry: key\" "
                         "for a J part");
    if (*entry == entry_kind::key && is_eight_bit(*frame))
        report("entry:", "an 8-bit-command part keeps MCLR low after the key: write \"entry: "
                         "keylow\"");
    if (*entry != entry_kind::high_voltage || !is_eight_bit(*frame))
        return;
    constexpr double vihh_max = 9.0;
    const auto* vpp = value_of("vpp:");
    const auto range = vpp ? parse_voltage_range(*vpp) : std::nullopt;
    if (!vpp)
        report("entry:", "an 8-bit-command part entered by high voltage needs a \"vpp:\" line of "
                         "at most 9.00 V, so that no classic 13 V adapter reaches its MCLR");
    else if (range && range->max > vihh_max)
        report("vpp:", "\"vpp:\" " + *vpp +
                           " goes above 9.00 V, the most an 8-bit-command part takes on MCLR");
    if (const auto* most = value_of("mclrmax:"); most && parse_volts(*most).value_or(0) > vihh_max)
        report("mclrmax:", "\"mclrmax:\" " + *most +
                               " is above 9.00 V, the most an 8-bit-command part takes on MCLR");
}

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

    // Each line on its own, then the keys that are judged together.
    for (const database_key& row : database_schema()) {
        const bool present =
            row.algorithm == no_algorithm
                ? value_of(row.name) != nullptr
                : model.algorithm_lines[static_cast<std::size_t>(row.algorithm)] != 0;
        if (!present && row.need == key_need::required)
            report(row.name, std::string("no \"") + row.name + "\" line" +
                                 (row.missing ? std::string(" (") + row.missing + ")" : ""));
        if (present && row.check && row.algorithm == no_algorithm)
            if (auto problem = row.check(*value_of(row.name)); !problem.empty())
                report(row.name, "\"" + std::string(row.name) + "\" " + problem);
    }

    // The absolute maximum on MCLR goes with a readable programming range; an unreadable
    // "vpp:" is reported above.
    if (const auto* most = value_of("mclrmax:")) {
        const auto* vpp = value_of("vpp:");
        const auto range = vpp ? parse_voltage_range(*vpp) : std::nullopt;
        if (!vpp || range)
            if (const auto problem = mclr_max_problem(*most, range); !problem.empty())
                report("mclrmax:", "\"mclrmax:\" " + problem);
    }

    check_key_entry(report, value_of);
    check_entry_and_frame(report, value_of);

    const auto* page = value_of("pagesize:");
    const auto* id = value_of("deviceid:");
    const auto* id_mask = value_of("deviceidmask:");
    if (id_mask && parse_device_id(*id_mask).value_or(0) != 0 && !id)
        report("deviceidmask:", "\"deviceidmask:\" without a \"deviceid:\" line has no effect");
    if (id && parse_device_id(*id)) {
        const std::uint16_t value = *parse_device_id(*id);
        const std::uint16_t mask =
            id_mask ? parse_device_id(*id_mask).value_or(0) : default_device_id_mask;
        if (mask != 0 && (value & ~mask) != 0)
            report("deviceid:", "\"deviceid:\" " + *id + " has bits set outside its mask " +
                                    core::hex4(mask) + " (the revision bits); write " +
                                    core::hex4(value & mask));
    }

    check_layout(model, report, value_of);

    // The page size as the loader reads it: a missing line gives 0.
    const std::int32_t page_size = page ? core::text_to_int(*page) : 0;
    const auto* frame_text = value_of("frame:");
    const frame_kind frame =
        parse_frame_kind(frame_text ? *frame_text : "").value_or(frame_kind::classic);
    bool pages_unusable = false;
    for (int kind = 0; kind < algorithm_kinds; ++kind) {
        if (model.algorithm_lines[static_cast<std::size_t>(kind)] == 0)
            continue; // reported with the keys
        bool frame_reported = false;
        for (const auto& fault :
             algorithm_faults(make_instruction_list(model.bodies[static_cast<std::size_t>(kind)]),
                              page_size, frame)) {
            pages_unusable = pages_unusable || fault.kind == algorithm_fault_kind::page_size_needed;
            // Every command is judged against the frame; the first misfit per algorithm is
            // enough to find the wrong line.
            if (fault.kind == algorithm_fault_kind::wrong_frame && !frame_reported) {
                frame_reported = true;
                report(frame_text ? "frame:" : model_key, std::string("its ") +
                                                              algorithm_kind_names[kind] +
                                                              " algorithm: " + fault_text(fault));
            }
        }
    }
    if (pages_unusable)
        report("pagesize:", "its algorithms use \"calcflashpage\" or \"ifpage\", which need a "
                            "\"pagesize:\" of at least 1");
}

// A chip whose ID two models both accept would be taken for either: the IDs must differ
// in a bit that both masks keep.
void check_device_ids(const std::vector<model_record>& models,
                      std::vector<database_problem>& problems) {
    struct identity {
        const model_record* model;
        int line;
        std::uint16_t id, mask;
    };
    std::vector<identity> known;
    for (const auto& model : models) {
        const auto id = model.fields.find("deviceid:");
        if (id == model.fields.end() || !parse_device_id(id->second.first))
            continue;
        const auto mask_field = model.fields.find("deviceidmask:");
        const std::uint16_t mask = mask_field == model.fields.end()
                                       ? default_device_id_mask
                                       : parse_device_id(mask_field->second.first).value_or(0);
        if (mask == 0)
            continue; // reported with the model
        const identity mine{&model, id->second.second, *parse_device_id(id->second.first), mask};
        for (const auto& other : known)
            if (((mine.id ^ other.id) & mine.mask & other.mask) == 0)
                problems.push_back(
                    {mine.line, "model \"" + model.name + "\": device ID " + core::hex4(mine.id) +
                                    " (mask " + core::hex4(mine.mask) + ") cannot be told from " +
                                    "model \"" + other.model->name + "\" (line " +
                                    std::to_string(other.line) + ", device ID " +
                                    core::hex4(other.id) + ", mask " + core::hex4(other.mask) +
                                    "): a chip of either would match both"});
        known.push_back(mine);
    }
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A line the format takes as a comment although its first word looks like a key
// ("programmalg: 2"): the model would silently lack that field. Empty for a comment.
std::string unknown_key_problem(const std::string& text) {
    const std::string word = core::lower_case(text.substr(0, text.find(' ')));
    if (word.size() < 2 || word.back() != ':')
        return {};
    std::string nearest;
    std::size_t best = std::string::npos;
    for (const std::string& key : database_keys()) {
        if (key == word)
            return {};
        if (const std::size_t distance = edit_distance(word, key); distance < best) {
            best = distance;
            nearest = key;
        }
    }
    return "unknown key \"" + text.substr(0, word.size()) +
           "\", so the line is taken as a comment; did you mean \"" + nearest +
           "\"? (a comment had better start with #)";
}

} // namespace

std::vector<database_problem> check_device_database(const std::string& bytes) {
    return check_device_database(read_database_lines(bytes));
}

std::vector<database_problem> check_device_database(const std::vector<database_line>& lines) {
    std::vector<database_problem> problems;
    std::vector<model_record> models;
    bool field_before_model_reported = false;

    // A lone line feed is reported once, at its first line, with the count of such lines.
    const auto with_line_feed = [](const database_line& line) {
        return line.text.find('\n') != std::string::npos;
    };
    const auto line_feed_lines = std::count_if(lines.begin(), lines.end(), with_line_feed);
    bool line_feed_reported = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const database_line& line = lines[i];
        const int number = static_cast<int>(i) + 1;
        if (!line_feed_reported && with_line_feed(line)) {
            std::string text = "line feed without a carriage return inside the line: lines end "
                               "with CR LF, so this and the following text form one line";
            if (line_feed_lines > 1)
                text += " (" + std::to_string(line_feed_lines) +
                        " lines of the file hold a lone line feed)";
            problems.push_back({number, text});
            line_feed_reported = true;
        }
        if (!line.problem.empty()) {
            problems.push_back({number, line.problem + " (\"" + line.text + "\")"});
            continue;
        }
        using kind = database_line::kind;
        switch (line.what) {
        case kind::definition:
            if (line.text.find(':') == std::string::npos) {
                problems.push_back(
                    {number, std::string(algorithm_kind_names[line.algorithm]) + " algorithm " +
                                 std::to_string(line.number) +
                                 ": no colon after the algorithm number, so the algorithm has no "
                                 "instructions (write \"" +
                                 line.text.substr(0, line.text.find(' ')) + " " +
                                 std::to_string(line.number) + ": begin,...\")"});
                break;
            }
            // The page size belongs to the model: check_model checks it.
            for (const auto& fault : algorithm_faults(make_instruction_list(line.body), {}))
                problems.push_back({number, std::string(algorithm_kind_names[line.algorithm]) +
                                                " algorithm " + std::to_string(line.number) + ": " +
                                                fault_text(fault)});
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
            if (line.body.empty())
                problems.push_back({number, "model \"" + models.back().name + "\" names " +
                                                algorithm_kind_names[line.algorithm] +
                                                " algorithm " + std::to_string(line.number) +
                                                ", which is not defined above this line"});
            models.back().algorithm_lines[static_cast<std::size_t>(line.algorithm)] = number;
            models.back().bodies[static_cast<std::size_t>(line.algorithm)] = line.body;
            break;
        case kind::other:
            if (const auto problem = unknown_key_problem(line.text); !problem.empty())
                problems.push_back({number, problem});
            break;
        case kind::empty:
        case kind::no_space:
            break;
        }
    }
    if (models.empty())
        problems.push_back({0, "the file defines no model (no \"model:\" line; note that lines "
                               "must end with CR LF, a lone line feed does not end a line)"});
    for (const auto& model : models)
        check_model(model, problems);
    check_device_ids(models, problems);
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
