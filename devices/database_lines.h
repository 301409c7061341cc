// Line-level reading of the device database, shared by the loader and the checker: the file
// split into lines, each line classified, and each algorithm reference given the body of
// the definition it names.
#pragma once

#include "devices/database_schema.h"

#include <string>
#include <vector>

namespace devices {

inline constexpr int algorithm_slots = 40; // algorithm numbers 0 to 39

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
    std::string text; // the line as written
    kind what = kind::other;
    int algorithm = 0; // kind index 0..4 for definition and algorithm_ref
    int number = 0;    // algorithm number (may be outside 0..20: the caller decides)
    std::string key;   // lower-cased key ("flash:") for field lines
    const database_key* row = nullptr; // the key's row for field and algorithm_ref lines
    std::string value;                 // text after the first space
    // A definition's algorithm body; for a reference, the body of the definition of that
    // kind and number last given above it (empty when there is none).
    std::string body;
    std::string problem; // why the format rejects the line (no space, algorithm number
                         // outside 0..20); empty for an acceptable line
};

// The keys a model line starts with, lower-cased with their colon: "model:" and the
// schema's keys ("flash:", ..., "erasealg:", ...).
std::vector<std::string> database_keys();

// Every line of the database `bytes`, in order (line n at index n-1). Lines end at CR LF or
// at a lone CR; a lone LF stays part of the line. A line with a problem defines nothing.
std::vector<database_line> read_database_lines(const std::string& bytes);

} // namespace devices
