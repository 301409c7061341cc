// The virtual chip's serial shift engine: the PGC edges and PGD bits that make up the
// 4-bit commands and 16-bit operands of the Program/Verify frames, and the timing rules of
// single edges (sim/serial_engine.cpp).
#pragma once

#include "sim/chip_state.h"

#include <cstdint>

namespace sim::detail {

enum class frame_kind { core, shift_out, table_read, table_write, undefined };
frame_kind kind_of_command(std::uint8_t command);

// PGD as it is from now on; true when it moved (its old level and the time of the change
// are kept for the setup check of the next falling PGC edge).
bool take_pgd(chip_state& s, bool pgd);
// The bit a falling PGC edge takes: PGD, or its level before a change too close to the
// edge: one made with the edge itself (reported where `check_moved`), or, where
// `check_setup` and edge timing is modelled, one less than P3 before it (reported).
bool bit_at_fall(chip_state& s, bool pgd_moved, bool check_moved, bool check_setup);

// Forgets a partly shifted frame (mode entry and exit).
void reset_serial(chip_state& s);

// PGC and PGD as they are from s.now_ns on, in Program/Verify mode: the clock edges they
// make, checked against the edge-timing limits while those are modelled.
void lines_changed(chip_state& s, bool pgc, bool pgd);
// While edge timing is modelled a falling edge's bit waits until the next pin change, which
// tells whether PGD was held for P4. Call first thing on a pin change at `now_ns` that puts
// PGD to `pgd`, before the chip's time moves on.
void take_pending_bit(chip_state& s, bool pgd, std::int64_t now_ns);
// Shifts in a waiting bit now (time passes, or the host looks at the chip).
void settle_pending_bit(chip_state& s);

} // namespace sim::detail
