// Intel HEX reader: places the data records of a HEX text into the program image by
// address (FLASH, configuration bytes, EEPROM), validates and drops ID-location and
// device-ID data, and collects every other address as out of range. The first bad record
// stops the read with an error message naming its line; out-of-range data only gives a
// warning. Messages go to the host through core::mymsgbox.
#pragma once

#include "devices/device_table.h"
#include "image/memory_buffer.h"

#include <cstdint>
#include <string>

namespace image {

// Reads the HEX text `bytes` into `buffer`, which should be freshly erased for `model`.
// Every FLASH byte stored at address a raises `loaded_top` to a + 1 (it is never lowered).
// Returns true when the text is accepted (with or without the out-of-range warning), false
// after a record error, which has then been shown; bytes stored before the error stay.
bool read_hex_text(const std::string& bytes, memory_buffer& buffer,
                   const devices::model_values& model, std::int32_t& loaded_top);

// Same for the file at `path`. A file that cannot be read is reported with its path and
// the reason ("Cannot read file /x/y.hex: No such file or directory.") and gives false.
bool read_hex_file(const std::string& path, memory_buffer& buffer,
                   const devices::model_values& model, std::int32_t& loaded_top);

} // namespace image
