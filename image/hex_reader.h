// Intel HEX reader: places the data records of a HEX text into the program image by
// address, where the model's layout puts them (FLASH, ID locations, configuration bytes,
// EEPROM), validates and drops device-ID data and the classic ID locations of a model
// without them, and collects every other address as out of range. The first bad record
// stops the read with a failure naming its line; out-of-range data only gives a warning.
// Both are returned for the front end to show; the reader shows nothing itself.
#pragma once

#include "devices/model_select.h"
#include "image/hex_failure.h"
#include "image/memory_buffer.h"

#include <cstdint>
#include <string>

namespace image {

// What a file holds whatever model it was read for, so that a front end can tell a file
// that cannot be what the user meant (empty, cut short, made for a larger part) and name
// the models it would fit. Addresses are those of the HEX file.
struct hex_file_facts {
    bool data_record = false; // a data record (type 00) with data came before the end
    bool end_of_file = false; // the read ended at an end-of-file record
    // One past the highest address with data in the PIC18 program memory space (below the
    // ID locations), and one past the highest EEPROM index with data (from F00000), 0 when
    // none: the memories a model needs to hold the file.
    std::int64_t flash_end = 0;
    std::int64_t eeprom_end = 0;
    // The highest address of the data outside the model's memories, -1 when none.
    std::int64_t highest_out_of_range = -1;
    // Some data lies where no PIC18 has memory (past the configuration bytes, say).
    bool outside_every_model = false;
};

struct hex_read_result {
    hex_failure failure; // why the file was rejected; none when it was accepted
    hex_failure warning; // data_out_of_range for an accepted file with such data, else none
    hex_file_facts facts;

    bool accepted() const { return failure.ok(); }
};

// Reads the HEX text `bytes` into `buffer`, which should be freshly erased for `model`.
// Every FLASH byte stored at address a raises `loaded_top` to a + 1 (it is never lowered).
// After a record error the bytes stored before it stay.
hex_read_result read_hex_text(const std::string& bytes, memory_buffer& buffer,
                              const devices::model_values& model, std::int32_t& loaded_top);

// Same for the file at `path`. A file that cannot be read fails with cannot_read, its path
// and the system's reason.
hex_read_result read_hex_file(const std::string& path, memory_buffer& buffer,
                              const devices::model_values& model, std::int32_t& loaded_top);

} // namespace image
