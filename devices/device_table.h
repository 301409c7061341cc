// The device database: models and their five algorithms, read from pinwrightdevices.txt,
// and the working values of the selected model that the rest of the program reads.
#pragma once

#include "core/failure.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace devices {

inline constexpr int algorithm_slots = 21; // algorithm numbers 0 to 20
inline constexpr int config_bytes = 14;    // CONFIG1L .. CONFIG7H

// The configuration bytes' names after "CONFIG", in address order from 300000h.
inline constexpr std::array<const char*, config_bytes> config_byte_names{
    "1L", "1H", "2L", "2H", "3L", "3H", "4L", "4H", "5L", "5H", "6L", "6H", "7L", "7H"};

// One model, every field as written in the file (text after the line's first space).
struct device_model {
    std::string name, flash, eeprom, configerased, voltageseq, progtime, pagesize;
    std::string erasealg, programalg, readalg, blankcheckalg, verifyalg;
    std::string configmask; // optional: verify/blank-check masks, same layout as configerased
    int line = 0;           // line number of the "model:" line (0 for the sink entry)
};

using algorithm_defs = std::array<std::string, algorithm_slots>;

struct device_table {
    // models[0] belongs to no model: it receives field lines before the first "model:".
    std::vector<device_model> models{device_model{}};
    algorithm_defs erase_defs, program_defs, read_defs, blankcheck_defs, verify_defs;
    std::string source; // path the table was read from

    int model_count() const { return static_cast<int>(models.size()) - 1; }
};

// Why a database file cannot be used.
enum class database_error {
    none,
    cannot_open, // path, reason
    cannot_read, // path, reason
    bad_line,    // path, line, reason (what is wrong), quoted (the line)
};

using database_failure = core::failure<database_error>;

// The message for `failure`, such as "Cannot open the device database /x: No such file or
// directory." or "/x:7: line without a space: ... ("text")."; empty for none.
std::string failure_text(const database_failure& failure);

// Reads the database at `path` into `table` (which is reset first, and left empty on a
// failure). Lines end at CR LF or a lone CR; a lone LF stays part of the line. A file
// without any model is not a failure here: the caller checks model_count() (start-up ends
// silently on it).
database_failure load_device_table(const std::string& path, device_table& table);

// Same, from the file's bytes already in memory (`source` names it in failures).
database_failure parse_device_table(const std::string& bytes, const std::string& source,
                                    device_table& table);

// The number of the model whose name is exactly `name`, 0 when there is none.
int find_model(const device_table& table, const std::string& name);

// One algorithm as a list of lower-cased instruction texts, blanks kept.
using instruction_list = std::vector<std::string>;

instruction_list make_instruction_list(const std::string& body);

// Working values of the selected model.
struct model_values {
    std::string name;
    std::int32_t flash_size = 0;
    std::int32_t eeprom_size = 0;
    std::array<std::int32_t, config_bytes> config_erased{}; // index 0 = CONFIG1L; -1 = invalid pair
    bool has_config_mask = false;
    std::array<std::int32_t, config_bytes> config_mask{}; // 255 each without a mask line
    std::int32_t voltage_sequence = 0;                    // 1 vddvpp, 2 vppvdd, else unchanged
    std::int32_t program_time_ms = 0;
    std::int32_t page_size = 0;
    instruction_list erase_list, program_list, read_list, blankcheck_list, verify_list;
};

// Sets `values` from model number `selected_model` (1-based). Returns false, changing
// nothing, when the number is outside 1..model_count.
bool select_model(const device_table& table, int selected_model, model_values& values);

// The fourteen two-digit values of a configerased/configmask text (upper-cased first),
// byte k at positions 3k-2 and 3k-1; a bad or missing pair gives -1.
std::array<std::int32_t, config_bytes> parse_config_values(const std::string& text);

} // namespace devices
