// The virtual chip's 8-bit-command engine (K40, K42/K83, Q10, Q43, Q40/Q41, Q83/Q84): 8-bit
// commands and 24-bit payloads MSb first on the PGC edges, the 22-bit PC, row latches or
// immediate writes, busy times, bulk, row and page erase, and code protection
// (sim/command8_engine.cpp).
#pragma once

#include "sim/chip_state.h"

namespace sim::detail {

// Forgets a partly shifted frame, clears the PC and empties the latches (entry and exit).
void reset_command8(chip_state& s);

// PGC and PGD as they are from s.now_ns on, in Program/Verify mode.
void command8_lines(chip_state& s, bool pgc, bool pgd);

// A write or erase is still running.
bool command8_busy(const chip_state& s);

} // namespace sim::detail
