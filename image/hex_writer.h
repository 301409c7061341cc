// Intel HEX writer: the whole program image as a HEX file. It holds the used part of
// FLASH (up to the last byte that is not FF, rounded up to a whole 16-bit word), the ID
// locations when one of them is not FF, always the fourteen configuration bytes, the used
// part of EEPROM and the end record, each at the model's layout address, in records of
// 16 data bytes with extended linear address records, each line ending in CR LF, so that
// the reader gives back the same image.
#pragma once

#include "devices/model_select.h"
#include "image/hex_failure.h"
#include "image/memory_buffer.h"

#include <string>

namespace image {

// The complete file content for `buffer` of `model`.
std::string hex_file_text(const memory_buffer& buffer, const devices::model_values& model);

// Writes hex_file_text to `path`, replacing an existing file only once the new content is
// completely on the disk: a failed save (cannot_save, with the path and the system's
// reason) leaves the old file untouched.
hex_failure save_hex_file(const std::string& path, const memory_buffer& buffer,
                          const devices::model_values& model);

} // namespace image
