// The parts the virtual chip can be: each part's programming family, memory sizes, write
// buffer, device ID and configuration bytes, and the lookups by name that the front ends
// use to pick a part for a database model.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Programming-algorithm families of the supported parts: FXX2/XX8 (and 2331/2431/4331/4431,
// which program as FXX2/XX8 parts), FX220/X320, 2XXX/4XXX, 1230/1330 (2XXX/4XXX parts with a
// bulk-erase key of their own), 2XK20/4XK20, 2XK22/4XK22 (F and LF), 1XK22 (13K22/14K22, F
// and LF) and xxK80 (F and LF).
enum class chip_family { fxx2_xx8, fx220_x320, f2xxx_4xxx, f1230_1330, k20, k22, k1xk22, k80 };

// FXX2/XX8 and X220/X320: the earlier protocol (one bulk-erase register at 3C0004h, the
// EECON2 unlock before WR, 1110 as a post-decrementing table write, a GOTO 100000h before
// configuration writes).
constexpr bool earlier_protocol(chip_family family) {
    return family == chip_family::fxx2_xx8 || family == chip_family::fx220_x320;
}

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
