// The virtual chip's memory and programming model: table reads and writes, programming
// cycles, row and bulk erase, data EEPROM access and the protection bits
// (sim/memory_model.cpp).
#pragma once

#include "sim/chip_state.h"

#include <cstdint>

namespace sim::detail {

// Empties the write buffers and latches (mode entry and exit).
void reset_write_latches(chip_state& s);
std::uint8_t table_read(const chip_state& s, std::uint32_t address);
void table_write(chip_state& s, std::uint8_t command, std::uint16_t payload);
// A programming hold was held long enough: program or erase what it started.
void commit_hold(chip_state& s, const programming_hold& h);
void write_eeprom_byte(chip_state& s, std::uint32_t address, std::uint8_t value);
std::uint8_t read_eeprom_byte(const chip_state& s, std::uint32_t address);
void erase_row(chip_state& s, std::uint32_t address);
// An erase key the family documents (its erase registers' bytes, 3C0004h lowest).
bool known_erase_key(const family_profile& profile, std::uint32_t key);
void apply_bulk_erase(chip_state& s, std::uint32_t key);
bool eeprom_code_protected(const chip_state& s);
// Copies the configuration words at the end of the FLASH into the configuration registers
// (config_in_flash families, at entry into Program/Verify mode).
void load_config_from_flash(chip_state& s);
std::uint32_t boot_block_bytes(const chip_state& s);

} // namespace sim::detail
