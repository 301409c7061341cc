// The virtual chip's core-instruction executor and the registers programming depends on:
// TBLPTR, EECON1 and the EECON2 unlock sequence (sim/core_executor.cpp).
#pragma once

#include "sim/chip_state.h"

#include <cstdint>

namespace sim::detail {

void reset_core(chip_state& s);
void execute_core(chip_state& s, std::uint16_t opcode);
// Any frame that is not a core instruction breaks the EECON2 unlock sequence.
void break_unlock(chip_state& s);
std::uint32_t table_pointer(const chip_state& s);
void set_table_pointer(chip_state& s, std::uint32_t address);
// TBLPTR moved by `step` as the table instructions move it: only its low 21 bits count.
std::uint32_t step_table_pointer(std::uint32_t pointer, int step);
std::uint8_t eecon1(const chip_state& s);
void set_wr_done(chip_state& s);

} // namespace sim::detail
