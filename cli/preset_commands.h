// pinwright-cli's adapter presets: the presets command, which lists them, check-presets,
// which checks a presets file as check-devices checks a database, and --preset, which puts
// one preset's wiring in force for one chip command.
#pragma once

#include "cli/session.h"

namespace cli {

int command_presets(session& s);
int command_check_presets(session& s);

// The preset of this chip command: --preset's, put in force for the run (nothing stored),
// or, without it, the stored preset while the stored wiring for the adapter's kind still
// has its lines. Sets s.preset; a preset that is unknown, cannot be driven or is for
// another kind of adapter is refused (exit 2).
int choose_preset(session& s);

} // namespace cli
