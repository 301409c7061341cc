// The device ID read: MOVLW/MOVWF pairs load TBLPTRU, TBLPTRH and TBLPTRL, then two
// "table read, post-increment" commands shift out DEVID1 and DEVID2.
#include "hardware/device_id_read.h"

#include "hardware/serial_transfer.h"

namespace hardware {

namespace {

constexpr std::int32_t core_instruction = 0x0;
constexpr std::int32_t table_read_post_increment = 0x9;

void load_pointer_byte(std::uint32_t byte, std::int32_t movwf_word) {
    Module94::send_command(core_instruction, 0x0E00 | static_cast<std::int32_t>(byte & 0xFF));
    Module94::send_command(core_instruction, movwf_word);
}

} // namespace

std::uint16_t read_device_id() {
    load_pointer_byte(device_id_address >> 16, 0x6EF8); // TBLPTRU
    load_pointer_byte(device_id_address >> 8, 0x6EF7);  // TBLPTRH
    load_pointer_byte(device_id_address, 0x6EF6);       // TBLPTRL
    const std::int32_t devid1 = Module94::read_byte(table_read_post_increment);
    const std::int32_t devid2 = Module94::read_byte(table_read_post_increment);
    return static_cast<std::uint16_t>(((devid2 & 0xFF) << 8) | (devid1 & 0xFF));
}

} // namespace hardware
