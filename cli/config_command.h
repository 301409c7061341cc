// pinwright-cli config: the configuration bytes of a HEX file as the selected model reads
// them, each with its settings by name, and the settings to think twice about before
// programming (protection on, the configuration write-protected, undefined values).
#pragma once

#include "cli/session.h"

namespace cli {

// pinwright-cli config FILE.hex: exit 0 when the file was read, 2 for bad input.
int command_config(session& s);

} // namespace cli
