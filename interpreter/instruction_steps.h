// Executors of the instruction groups, called by run_step. Each ends by moving ip on
// (unless it jumps), as the instruction language defines.
#pragma once

#include "devices/instruction_syntax.h"

#include <cstdint>

namespace Module1 {

void run_transfer(const devices::instruction& instruction);
void run_check(const devices::instruction& instruction);

// Progress captions: "F:a/b", "E:a/b", "CONF1L:" .. "CONF7H:", each followed by a yield.
void caption_flash();
void caption_eeprom();
void caption_config(int config_byte);

// Safe image access: bytes outside the image read as erased (255) and writes outside it
// are dropped, so no instruction can reach past the arrays.
std::int32_t flash_byte(std::int32_t address);
std::int32_t eeprom_byte(std::int32_t address);
void store_flash_byte(std::int32_t address, std::int32_t value);
void store_eeprom_byte(std::int32_t address, std::int32_t value);

} // namespace Module1
