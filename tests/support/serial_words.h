// Frames the hardware tests send by hand over the serial transfer: the table-pointer load
// and one FLASH word programmed and read back.
#pragma once

#include "hardware/serial_transfer.h"

#include <cstdint>
#include <utility>

namespace test_support {

// MOVLW/MOVWF into TBLPTRU, TBLPTRH, TBLPTRL.
inline void set_table_pointer(std::int32_t address) {
    using namespace Module94;
    split_address(address);
    for (const auto& [byte, reg] :
         {std::pair{upper_byte, 0xF8}, {high_byte, 0xF7}, {low_byte, 0xF6}}) {
        send_command(0, 0x0E00 | byte);
        send_command(0, 0x6E00 | reg);
    }
}

// `word` written to FLASH at `address` (a 1 ms hold, then `discharge_us`) and read back,
// low byte first; the chip is powered and in programming mode.
inline std::int32_t program_and_read_word(std::int32_t address, std::int32_t word,
                                          std::int32_t discharge_us) {
    using namespace Module94;
    send_command(0, 0x8EA6); // BSF EECON1,EEPGD
    send_command(0, 0x9CA6); // BCF EECON1,CFGS
    set_table_pointer(address);
    send_command(0xF, word); // table write, start programming
    program_pulse(1, discharge_us);
    set_table_pointer(address);
    const std::int32_t low = read_byte(9);
    return low | read_byte(9) << 8;
}

} // namespace test_support
