// The transfer instructions that run_step hands on (table-pointer loads, FLASH, EEPROM and
// configuration writes and reads, the write-completion wait, literal commands), and the
// image access and progress captions they and the check instructions share.
#pragma once

#include "devices/instruction_syntax.h"

#include <cstdint>

namespace Module1 {

// Executes one transfer instruction and moves ip on.
void run_transfer(const devices::instruction& instruction);

// Polls EECON1 (0FA6h) until its write-in-progress bit clears: MOVF EECON1,W, MOVWF
// TABLAT, optionally a NOP (the 2XXX and K families read a stale TABLAT without it), then
// the TABLAT shift-out. Gives up after write_wait_limit_us (run_stop::write_timeout) or on
// a cancel request.
void wait_for_write(bool nop_before_shift_out);

// The two byte-addressed memories of the image.
enum class memory { flash, eeprom };

// Progress captions: "F:a/b" or "E:a/b", and "CONF1L:" .. "CONF7H:", each followed by a
// yield.
void caption_progress(memory which);
void caption_config(int config_byte);

// Safe image access: bytes outside the image read as erased (255) and writes outside it
// are dropped, so no instruction can reach past the arrays.
std::int32_t image_byte(memory which, std::int32_t address);
void store_image_byte(memory which, std::int32_t address, std::int32_t value);

} // namespace Module1
