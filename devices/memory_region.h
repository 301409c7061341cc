// The regions of a PIC18's memory that the image holds and the algorithms walk.
#pragma once

namespace devices {

enum class memory_region { flash, eeprom, id, config };
inline constexpr int memory_region_count = 4;

} // namespace devices
