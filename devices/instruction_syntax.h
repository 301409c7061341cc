// The instruction language of the device database: one instruction text (lower-cased,
// blanks kept) decoded into its operation and fields. Recognition follows a fixed order
// in which the first matching form wins, so longer keywords are tested before the
// catch-all forms that would also match them ("waitwr" before the delay "w<n>").
#pragma once

#include "devices/memory_region.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devices {

enum class opcode {
    begin,
    end,
    startprog,
    startconfigprog,
    setprogtime,
    calcflash,
    calcflashpage,
    calceeprom,
    setflashloop,
    seteepromloop,
    setidloop,
    setconfigloop, // the counter over the configuration bytes
    loop,
    ifpage,
    endifpage,
    movlw_upper,
    movlw_high,
    movlw_low,
    movlw_eeprom,
    write_flash,  // s<cc>-flash
    write_config, // s<cc>-config1l .. s<cc>-config7h
    write_id,     // s<cc>-id
    waitwr,
    read_flash,  // flash=s<cc>
    read_eeprom, // eeprom=s<cc>
    read_config, // config1l=s<cc> .. config7h=s<cc>
    read_id,     // id=s<cc>
    read_temp,   // temp=s<cc>
    checkblankflash,
    checkblankeeprom,
    checkblankconfig, // checkblankconfig1l .. 7h
    checkblankid,
    checkflash,
    checkeeprom,
    checkconfig, // checkconfig1l .. 7h
    checkid,
    send_literal, // s<cc>-<dddd>, c<hh>-<hhhhhh>
    send_command, // c<hh>: an 8-bit command without payload
    write_eeprom, // c<hh>-eeprom
    wait,         // w<n>, w<n>/<m>, w<n>/poll, u<n>
    unrecognised,
};

struct instruction {
    opcode op = opcode::unrecognised;
    // The command: 4-bit in the classic forms (s<cc>), 8-bit in the forms of the 8-bit
    // frames (c<hh>); -1 when its digits are not valid.
    std::int32_t command = -1;
    // Literal payload of s<cc>-<dddd> or the field of c<hh>-<hhhhhh>, -1 when not valid.
    std::int32_t payload = -1;
    bool eight_bit = false; // a c<hh> form: 8-bit command, 24-bit payload
    // Bytes one transfer moves: 2 for the word forms of the 8-bit frames (flash=, id=,
    // configw=, tempw=, c<hh>-flash, -id, -configw), 1 otherwise.
    int width = 1;
    // 1..14 for the named configuration forms (config1l ...); 0 for the forms that walk the
    // configuration bytes with the counter (walks == config).
    int config_byte = 0;
    std::int32_t wait_ms = 0; // delay of w<n>
    std::int32_t wait_us = 0; // delay of u<n>
    // What a wait becomes with fast port access: w<n>/<m> waits m ms instead, w<n>/poll
    // polls the write-in-progress bit; a plain w<n> waits n ms in both modes.
    std::optional<std::int32_t> fast_wait_ms;
    bool fast_poll = false;
    bool has_command = false; // the form carries a command field
    bool has_payload = false; // the form carries a payload field
    // The memory whose bytes the instruction walks with the address counter (moving it
    // on): FLASH, EEPROM, the ID locations or (the walking configuration forms) the
    // configuration bytes; nothing for the other instructions.
    std::optional<memory_region> walks;
    bool blank_check = false; // a check against the erased value
};

instruction decode_instruction(std::string_view text);

// "config1l" .. "config7h" for bytes 1..14.
const char* config_name(int config_byte);

} // namespace devices
