// The virtual chip's operations that run on their own once started (data EEPROM write, row
// erase, bulk erase) and the arming sequence of the bulk erase (sim/timed_operations.cpp).
#pragma once

#include "sim/chip_state.h"

#include <cstdint>
#include <string>

namespace sim::detail {

bool write_busy(const chip_state& s);
// EECON1.WR went from 0 to 1 with every condition met: start what EEPGD/CFGS/FREE select.
void begin_wr_operation(chip_state& s);
// Called on every PGC falling edge before the bit is taken.
void count_start_clock(chip_state& s);
// Completes an operation whose time is up.
void finish_due(chip_state& s);
void abort_timed(chip_state& s, const std::string& why);
// Bulk-erase arming: a frame ended / a command was loaded / a frame started / PGD moved.
void erase_after_frame(chip_state& s, std::uint8_t command, std::uint16_t operand);
void arm_bulk_erase(chip_state& s);
void erase_on_command(chip_state& s, std::uint8_t command);
void erase_on_frame_start(chip_state& s);
void erase_on_data(chip_state& s, bool pgd);

} // namespace sim::detail
