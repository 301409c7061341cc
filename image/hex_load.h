// Loading a HEX file into the program image as the "&Open HEX File" command does it:
// erase, read, erase again when the file is rejected, and the captions the window shows
// afterwards (the loaded-file label and the status line). The GUI and the CLI share it.
#pragma once

#include "devices/model_select.h"
#include "image/hex_reader.h"
#include "image/memory_buffer.h"

#include <cstdint>
#include <string>

namespace image {

// The reader's failure or warning, for the front end to show, and the captions.
struct hex_load_outcome : hex_read_result {
    std::int32_t loaded_top = 0; // one past the highest FLASH address loaded, 0 if none
    std::string label_hex;       // caption of the loaded-file label: short_path, or empty
    std::string status;          // caption of the status line
};

// Erases `buffer` for `model`, reads the file at `path` into it and, when the file is
// rejected, erases it again.
hex_load_outcome load_hex_file(const std::string& path, memory_buffer& buffer,
                               const devices::model_values& model);

// The path itself when it has at most 70 characters, else "... " and its last 70
// characters (UTF-8 characters are counted and never cut apart).
std::string short_path(const std::string& path);

// The K of the load status: the first four characters of the exact decimal value of
// loaded_top / 1024, without a zero before the point ("32", "12.0", ".976", "0").
std::string loaded_kilobytes_text(std::int32_t loaded_top);

} // namespace image
