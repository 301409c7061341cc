// Reading the chip's device ID over the serial programming transfer: the table pointer is
// loaded with 3FFFFEh and two table reads return DEVID1 and DEVID2. The chip must be
// powered in programming mode; the read changes the table pointer and nothing else.
#pragma once

#include <cstdint>

namespace hardware {

inline constexpr std::uint32_t device_id_address = 0x3FFFFE;

// DEVID2:DEVID1 of the powered chip.
std::uint16_t read_device_id();

// 0000h and FFFFh are what DATA IN shows when nothing drives it: no chip answered.
inline bool chip_answered(std::uint16_t raw) {
    return raw != 0x0000 && raw != 0xFFFF;
}

} // namespace hardware
