// Reading the chip's device ID over the serial programming transfer: the table pointer is
// loaded with 3FFFFEh and two table reads return DEVID1 and DEVID2. The chip must be
// powered in programming mode; the read changes the table pointer and nothing else.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace hardware {

// The ID read as data: each byte of `address`, upper first, goes to the table pointer as
// MOVLW byte (`movlw` | byte) and the MOVWF of `pointer_movwf`; then `reads` table reads
// with `read_command` shift out the ID, lowest byte first.
struct id_read_words {
    std::uint32_t address;
    std::int32_t movlw;
    std::array<std::int32_t, 3> pointer_movwf; // MOVWF TBLPTRU, TBLPTRH, TBLPTRL
    std::int32_t read_command;                 // 1001: table read, post-increment
    int reads;
};

inline constexpr id_read_words device_id_read{0x3FFFFE, 0x0E00, {0x6EF8, 0x6EF7, 0x6EF6}, 0x9, 2};

static_assert(device_id_read.reads == 2, "the ID is DEVID2:DEVID1");

// DEVID2:DEVID1 of the powered chip; nullopt when the port failed during the read, as
// what a dead port returns says nothing about the chip. With `eight_bit_frame` the chip
// speaks the 8-bit-command frame: the PC is loaded with 3FFFFEh and one word read.
std::optional<std::uint16_t> read_device_id(bool eight_bit_frame = false);

// The revision ID word at 3FFFFCh of a chip speaking the 8-bit-command frame (its device ID
// holds no revision bits); nullopt when the port failed.
std::optional<std::uint16_t> read_revision_id();

// 0000h and FFFFh are what DATA IN shows when nothing drives it: no chip answered.
inline bool chip_answered(std::uint16_t raw) {
    return raw != 0x0000 && raw != 0xFFFF;
}

} // namespace hardware
