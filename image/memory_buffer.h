// The program image: the in-memory copy of the FLASH bytes, the EEPROM bytes, the ID
// locations and the configuration bytes (14 on the classic parts, up to 35) of the selected model,
// and the reset that brings it to the model's erased state. The HEX reader and writer, the chip
// operations and the editors all work on one instance of it.
#pragma once

#include "devices/memory_region.h"
#include "devices/model_select.h"

#include <array>
#include <cstdint>
#include <vector>

namespace image {

// Erased value of a FLASH or EEPROM byte.
inline constexpr std::int32_t erased_byte = 255;

// HEX addresses of the classic layout; a model's own are in its image_layout.
inline constexpr std::int64_t id_locations_address = 0x200000;
inline constexpr std::int64_t config_address = 0x300000;
inline constexpr std::int64_t device_id_address = 0x3FFFFE;
inline constexpr std::int64_t device_id_end = 0x3FFFFF;
inline constexpr std::int64_t eeprom_address = 0xF00000;

// The parts of the image.
using region = devices::memory_region;
inline constexpr int region_count = devices::memory_region_count;

// The most the image holds, whatever model it is sized for: all the program memory a
// PIC18 can have, and the EEPROM bytes a HEX file can address (F00000h to FFFFFFh).
inline constexpr std::int32_t largest_flash_image = devices::largest_flash_size;
inline constexpr std::int32_t largest_eeprom_image = 0x100000;

struct memory_buffer {
    std::vector<std::int32_t> flash_image;  // element i: program memory byte address i
    std::vector<std::int32_t> eeprom_image; // element i: HEX address F00000 + i
    std::vector<std::int32_t> id_image;     // element i: ID location i (200000 + i); may be empty
    devices::config_values config_image{};  // [0] = the first configuration byte (CONFIG1L)
};

// Sizes the FLASH, EEPROM and ID arrays afresh for the model and erases every part:
// FLASH, EEPROM and ID bytes become 255, configuration bytes the model's erased values.
// With eeprom_size 0 the EEPROM array is a single element holding 0 that belongs to no
// address; a flash_size of 0 or less gives an empty FLASH array. Sizes above
// largest_flash_image and largest_eeprom_image are cut to them.
void erase_image(memory_buffer& buffer, const devices::model_values& model);

// The running program's image: the one instance that the HEX reader and writer, the chip
// operations and the editors of every front end work on.
memory_buffer& program_image();

} // namespace image
