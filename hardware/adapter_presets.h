// Adapter presets: the wirings of well-known programmer adapters by name, read from the
// shipped pinwrightpresets.txt (its header documents the format). Reading checks every
// block, so that a preset the program offers always has pins its kind can drive; the same
// reader is the checker that `pinwright-cli check-presets` runs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hardware {

enum class preset_kind { parallel, ftdi, gpio };

// "parallel", "ftdi", "gpio": as the file and `presets` spell the kind.
const char* preset_kind_name(preset_kind kind);

enum class preset_status { works, with_care, cannot_drive };

// One programmer line: a DB-25 pin, an FTDI bit (0-7) or a GPIO line offset; -1 when the
// design does not switch it (VDD and VPP on ftdi and gpio only). Inverted: the adapter
// inverts it (connector form, as the Hardware Settings dialog takes it).
struct preset_line {
    std::int32_t pin = -1;
    bool inverted = false;
    bool operator==(const preset_line&) const = default;
};

// The lines in the order of settings::wiring_lines: VDD, VPP, CLOCK, DATA OUT, DATA IN.
inline constexpr std::size_t preset_line_count = 5;

struct adapter_preset {
    std::string name;
    preset_kind kind = preset_kind::parallel;
    std::array<preset_line, preset_line_count> lines{};
    std::vector<std::string> extra;                 // lines beyond the five, with their idle level
    std::optional<double> nominal_vdd, nominal_vpp; // nothing: unknown
    std::string key_entry;                          // "yes", "no", "only", "unknown"
    preset_status status = preset_status::works;
    std::string status_reason; // what to take care of, or why it cannot be driven
    std::string sources;
    std::vector<std::string> notes;
    int line = 0; // its "preset:" line
};

struct preset_problem {
    int line = 0; // 0: the whole file
    std::string text;
};

struct preset_file {
    std::vector<adapter_preset> presets; // the blocks without a problem, in file order
    std::vector<preset_problem> problems;
};

// Reads and checks the file's bytes.
preset_file parse_presets(const std::string& bytes);

// "pinwrightpresets.txt line 42: text" (without " line N" for a whole-file problem).
std::string format_preset_problem(const std::string& source, const preset_problem& problem);

inline constexpr const char* presets_file_name = "pinwrightpresets.txt";

// A line as `presets` and the dialog show it: "3 inverted", "D5", "none".
std::string preset_line_text(preset_kind kind, const preset_line& line);

// "works", "works with care: ...", "cannot be driven: ...".
std::string preset_status_text(const adapter_preset& preset);

// The preset of that name, case not counting; null when none.
const adapter_preset* find_preset(const std::vector<adapter_preset>& presets,
                                  const std::string& name);

// The program's presets: the file at presets_path(), read once on first use. A file that
// cannot be read, or its problems, leave the blocks that could be read (possibly none);
// presets_failure() then says why.
const std::vector<adapter_preset>& program_presets();
std::string presets_failure();
// The file: set_presets_path's, else the shipped one beside the program (else in
// ../share/pinwright); an empty path goes back to the shipped one. Setting a path drops
// what was read.
std::string presets_path();
void set_presets_path(const std::string& path);

} // namespace hardware
