// The device ID read: the words of device_id_read sent as core instructions, then its
// table reads assembled into DEVID2:DEVID1.
#include "hardware/device_id_read.h"

#include "hardware/port_backend.h"
#include "hardware/serial_transfer.h"

namespace hardware {

namespace {

constexpr std::int32_t core_instruction = 0x0;

} // namespace

std::optional<std::uint16_t> read_device_id() {
    const id_read_words& words = device_id_read;
    const int pointer_bytes = static_cast<int>(words.pointer_movwf.size());
    for (int k = 0; k < pointer_bytes; ++k) {
        const std::uint32_t byte = (words.address >> (8 * (pointer_bytes - 1 - k))) & 0xFF;
        Module94::send_command(core_instruction, words.movlw | static_cast<std::int32_t>(byte));
        Module94::send_command(core_instruction, words.pointer_movwf[static_cast<std::size_t>(k)]);
    }
    std::uint32_t id = 0;
    for (int k = 0; k < words.reads; ++k)
        id |= static_cast<std::uint32_t>(Module94::read_byte(words.read_command) & 0xFF) << (8 * k);
    if (!port_ready())
        return std::nullopt;
    return static_cast<std::uint16_t>(id);
}

} // namespace hardware
