// The keys of a model in the device database, one row each: what the reader accepts, the
// device_model field a line fills, what check-devices says of a missing line or a bad
// value, and which values keep a model from being selected. A key is added by adding a
// row (and its field in device_model, and its line in the file's header); a row names the
// members it sets (designated initialisers), the rest keep the defaults below.
#pragma once

#include "devices/device_table.h"

#include <span>
#include <string>

namespace devices {

// The line that starts a model; its value is the model's name.
inline constexpr const char* model_key = "model:";

// The row of a key that names no algorithm.
inline constexpr int no_algorithm = -1;

// What is wrong with a value, empty when nothing is. A check's text reads after the quoted
// key ("must be a size in bytes (0 for none), not \"x\""); a selection problem's reads
// after nothing ("its EEPROM size \"x\" is not a whole number of bytes").
using value_check = std::string (*)(const std::string& value);

enum class key_need { required, optional };

struct database_key {
    const char* name; // lower case with its colon: "flash:"
    key_need need;
    std::string device_model::*field;
    // 0..4 (erase, program, read, blank check, verify): the line names an algorithm of that
    // kind and the field takes its body; no_algorithm: the field takes the line's value.
    int algorithm = no_algorithm;
    // For a required key, what its line gives, told when the line is missing ("FLASH size
    // in bytes"); nullptr to name the key alone.
    const char* missing = nullptr;
    // check-devices' judgement of the value alone; nullptr where any text passes or the
    // value is judged only together with other keys (device_check.cpp).
    value_check check = nullptr;
    // Why the value keeps the model from being selected; nullptr where none does. A
    // required key's value is judged even when its line is missing (as empty text).
    value_check selection = nullptr;
};

// Every key of a model after "model:": the values, then the five algorithm references.
// check-devices reports in this order, and model_problem the first problem in it.
std::span<const database_key> database_schema();

// The row of `key` (lower case, with its colon), nullptr for a key the format does not know.
const database_key* find_database_key(const std::string& key);

} // namespace devices
