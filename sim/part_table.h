// The parts the virtual chip can be: each part's programming family, memory sizes, write
// buffer, device ID and configuration bytes, and the lookups by name that the front ends
// use to pick a part for a database model.
#pragma once

#include "sim/family_profile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct part_info {
    std::string name; // as the maker writes it without the prefix: "18F4520", "18LF45K22"
    chip_family family;
    std::int32_t flash_bytes;
    std::int32_t eeprom_bytes; // 0 for none
    std::int32_t write_buffer; // bytes per programming cycle (per panel on FXX2/XX8)
    std::uint16_t device_id;   // DEVID2:DEVID1 with revision bits 0
    std::array<std::uint8_t, 14> config_erased; // CONFIG1L..CONFIG7H after bulk erase
    std::array<std::uint8_t, 14> config_mask;   // implemented bits (unimplemented read 0)
};

// Every part the simulator knows, in a stable order.
const std::vector<part_info>& known_parts();

// Finds a part by name, ignoring case and an optional "PIC" prefix ("pic18f4520",
// "18F4520"). Null when unknown.
const part_info* find_part(std::string_view name);

// The part number in a model name, as the simulator names parts: "PIC18F4520" gives
// "18F4520", "PIC18F452 (DIP)" gives "18F452"; a name without "18" is returned whole.
std::string part_of_model(const std::string& model_name);

// "18F242, 18F252, ...": every known part, for messages.
std::string known_part_names();

// The size in bytes of the boot block of `part` with the configuration bytes `config`
// (CONFIG1L..CONFIG7H), which choose it on parts with BBSIZ bits.
std::uint32_t boot_block_size(const part_info& part, const std::array<std::uint8_t, 14>& config);

} // namespace sim
