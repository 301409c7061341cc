// Line-level reading of the device database, shared by the loader and the checker:
// splitting the file into lines and classifying one line.
#pragma once

#include <string>
#include <vector>

namespace devices {

// The five algorithm kinds, in the order erase, program, read, blank check, verify.
inline constexpr int algorithm_kinds = 5;
extern const char* const algorithm_kind_names[algorithm_kinds]; // "erase", "program", ...

struct database_line {
    enum class kind {
        empty,         // nothing on the line
        no_space,      // a non-empty line without a space: not allowed
        definition,    // "<kind>algdef <n>: <body>"
        model,         // "model: <name>"
        field,         // "flash: ...", "configerased: ..." and the other value keys
        algorithm_ref, // "<kind>alg: <n>"
        other,         // anything else: a comment
    };
    kind what = kind::other;
    int algorithm = 0;   // kind index 0..4 for definition and algorithm_ref
    int number = 0;      // algorithm number (may be outside 0..20: the caller decides)
    std::string key;     // lower-cased key ("flash:") for field lines
    std::string value;   // text after the first space
    std::string body;    // algorithm body of a definition
    std::string problem; // why the format rejects the line (no space, algorithm number
                         // outside 0..20); empty for an acceptable line
};

// Lines end at CR LF or at a lone CR; a lone LF stays part of the line.
std::vector<std::string> split_database_lines(const std::string& bytes);

database_line classify_database_line(const std::string& line);

} // namespace devices
