// The simulated chip's memory kept in an Intel HEX file between CLI runs (--chip), so
// that a later command sees what an earlier one programmed. The file is an ordinary HEX
// file, so its failures are the image layer's (image::hex_failure), returned for the front
// end to show.
#pragma once

#include "image/hex_reader.h"
#include "sim/virtual_chip.h"

#include <string>

namespace sim {

// Loads FLASH, EEPROM, the ID locations and configuration from `path` when it exists (the chip stays
// blank otherwise). A file that exists but is rejected leaves the chip as it was and gives
// the reader's failure; an accepted one may carry the reader's warning.
image::hex_read_result load_chip_file(const std::string& path, virtual_chip& chip);

// Saves the chip's memory; a failure names the path and the reason.
image::hex_failure save_chip_file(const std::string& path, virtual_chip& chip);

} // namespace sim
