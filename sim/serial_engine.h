// The virtual chip's serial shift engine: the PGC edges and PGD bits that make up the
// 4-bit commands and 16-bit operands of the Program/Verify frames (sim/serial_engine.cpp).
#pragma once

#include "sim/chip_state.h"

#include <cstdint>

namespace sim::detail {

enum class frame_kind { core, shift_out, table_read, table_write, undefined };
frame_kind kind_of_command(std::uint8_t command);

// Forgets a partly shifted frame (mode entry and exit).
void reset_serial(chip_state& s);
void clock_rising(chip_state& s);
void clock_falling(chip_state& s, bool data_bit);

} // namespace sim::detail
