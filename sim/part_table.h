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

// The most configuration bytes a part has (CONFIG1 .. CONFIG35 of the Q83/Q84).
inline constexpr int max_config_bytes = 35;
using config_array = std::array<std::uint8_t, max_config_bytes>;

struct part_info {
    std::string name; // as the maker writes it without the prefix: "18F4520", "18LF45K22"
    chip_family family;
    std::int32_t flash_bytes;
    std::int32_t eeprom_bytes; // 0 for none
    // Bytes per programming cycle (per panel on FXX2/XX8); on the 8-bit-command families the
    // row latches (K40/K42/K83) or the erase page (Q families).
    std::int32_t write_buffer;
    std::uint16_t device_id; // DEVID2:DEVID1 with revision bits 0 (the full ID on 8-bit parts)
    // Configuration bytes from 300000h after bulk erase and their implemented bits
    // (unimplemented bits read 0); only the first config_size exist, the rest are 0.
    config_array config_erased;
    config_array config_mask;
    int config_size;       // the family's: 14, 8 (J-series), 10, 12 or 35
    std::int32_t id_bytes; // ID bytes at 200000h (the family's)
    double vdd_max_volts;  // the family's, 3.6 V for the LF parts of 8-bit families
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
