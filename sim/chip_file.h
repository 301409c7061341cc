// The simulated chip's memory kept in an Intel HEX file between CLI runs (--chip), so
// that a later command sees what an earlier one programmed.
#pragma once

#include "sim/virtual_chip.h"

#include <string>

namespace sim {

// Loads FLASH, EEPROM and configuration from `path` when it exists (the chip stays
// blank otherwise). Errors are reported through the message hook; false when the file
// exists but is rejected.
bool load_chip_file(const std::string& path, virtual_chip& chip);

// Saves the chip's memory; the message names the path and the reason on failure.
bool save_chip_file(const std::string& path, virtual_chip& chip, std::string& message);

} // namespace sim
