// The transfer instructions run_step calls (table-pointer loads, FLASH, ID, EEPROM and
// configuration writes and reads, the write-completion wait, literal commands), and the
// image access and progress captions they and the check instructions share. None moves
// ip: run_step does.
#pragma once

#include "devices/instruction_syntax.h"
#include "devices/model_select.h"
#include "image/memory_buffer.h"

#include <cstdint>
#include <optional>

namespace Module1 {

enum class address_part { upper, high, low };

// movlw-upper/-high/-low: MOVLW with that byte of the address counter.
void movlw_address(address_part part);
// movlw-eeprom: MOVLW with the image's EEPROM byte at the counter; counter + 1.
void movlw_eeprom_byte();
// s<cc>-flash, s<cc>-id: the image word at the counter of the memory walked; counter + 2.
void write_image_word(const devices::instruction& instruction);
// c<hh>-flash, -id, -eeprom, -config, -configw: the image byte or word (two bytes, the
// first low) at the counter of the memory walked as the command's payload; counter + width.
void write_walked(const devices::instruction& instruction);
// s<cc>-config1l .. 7h: the configuration byte in both halves of the payload.
void write_config_byte(const devices::instruction& instruction);
// flash=, eeprom=, id=s<cc>: a byte read into the image at the counter; counter + 1. The
// 8-bit frames' reads (c<hh>), config= and configw= included, read the instruction's width.
void read_image_byte(const devices::instruction& instruction);
// config1l= .. config7h=s<cc>: a byte read into the image's configuration byte.
void read_config_byte(const devices::instruction& instruction);
// temp=s<cc>: a byte read for the next check.
void read_temp_byte(const devices::instruction& instruction);
// s<cc>-<dddd>: the command with its literal payload.
void send_literal(const devices::instruction& instruction);

// A write-completion poll as data: the register read (an access-bank SFR, so MOVF f,W
// with a = 0 reaches it), whether a NOP goes between MOVWF TABLAT and the TABLAT shift-out
// (the 2XXX, 1230 and K families shift out a stale TABLAT without it), and the bits that
// show the write still running.
struct write_poll {
    std::uint16_t register_address = devices::default_eecon1_address;
    bool nop_before_shift_out = false;
    std::uint8_t busy_mask = 0x02; // EECON1.WR
};

// The poll of the selected model's EECON1.
write_poll model_write_poll(bool nop_before_shift_out);

// Repeats the poll until no busy bit is set: MOVF register,W, MOVWF TABLAT, the NOP where
// asked, then the TABLAT shift-out into temp. Gives up after write_wait_limit_us
// (run_stop::write_timeout) or on a cancel request.
void wait_for_write(const write_poll& poll);

// The two byte-addressed memories of the image.
// The image regions an address counter walks: FLASH, EEPROM and the ID locations.
using memory = image::region;

// Progress captions: "F:a/b", "E:a/b" or "I:a/b", and "CONF1L:" .. "CONF7H:" (the
// configuration byte at the counter when the configuration is walked), each followed by a
// yield.
void caption_progress(memory which);
void caption_config(int config_byte);

// The configuration byte (0 = CONFIG1L) that FLASH byte `address` is on a model with the
// configuration in FLASH; nothing for any other byte.
std::optional<int> flash_config_byte(memory which, std::int32_t address);

// Safe image access: bytes outside the image read as erased (255) and writes outside it
// are dropped, so no instruction can reach past the arrays. With the configuration in FLASH
// its bytes there are the image's configuration bytes.
std::int32_t image_byte(memory which, std::int32_t address);
void store_image_byte(memory which, std::int32_t address, std::int32_t value);

} // namespace Module1
