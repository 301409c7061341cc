// Which memories a HEX file needs: whether a model holds all of its data, the models of the
// device database that would, and the words the front ends use when a file does not fit
// the selected model (its data beyond the model's memories was dropped).
#pragma once

#include "devices/device_table.h"
#include "devices/model_select.h"
#include "image/hex_reader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace image {

// True when a part with these memory sizes holds every data byte of the file.
bool model_holds(std::int32_t flash_size, std::int32_t eeprom_size, const hex_file_facts& facts);

// The numbers of the models of `table` that hold the whole file, the smallest first (FLASH,
// then EEPROM, then table order). Models that cannot be selected are left out.
std::vector<int> models_holding(const devices::device_table& table, const hex_file_facts& facts);

// Those models for a message: all names up to five ("PIC18F252, PIC18F452"), else "N models,
// the smallest: " and five names; empty when none holds the file.
std::string models_holding_text(const devices::device_table& table, const hex_file_facts& facts);

// An address as messages give it: six hexadecimal digits or more, and "h" ("007FFFh").
std::string address_text(std::int64_t address);

// Where the model's memories end, as far as the file concerns them: "its FLASH ends at
// 003FFFh", with ", its EEPROM at F000FFh" (or ", it has no EEPROM") when the file has
// EEPROM data.
std::string memory_ends_text(const devices::model_values& model, const hex_file_facts& facts);

// What the window adds to the out-of-range warning, with CR LF line breaks: the data was
// dropped, and the selected model may be the wrong one (with the models the file fits), or
// no model holds it all.
std::string dropped_data_text(const devices::device_table& table,
                              const devices::model_values& model, const hex_file_facts& facts);

} // namespace image
