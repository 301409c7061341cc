// The device ID read: the words of device_id_read sent as core instructions, then its
// table reads assembled into DEVID2:DEVID1.
#include "hardware/device_id_read.h"

#include "hardware/port_backend.h"
#include "hardware/serial_transfer.h"

namespace hardware {

namespace {

constexpr std::int32_t core_instruction = 0x0;

} // namespace

namespace {

constexpr std::int32_t load_pc = 0x80;
constexpr std::int32_t read_word = 0xFC;

std::optional<std::uint16_t> read_word_at(std::int32_t address) {
    Module94::send_command8(load_pc, address);
    const std::int32_t value = Module94::byte_value(Module94::read_deferred8(read_word, 2));
    if (!port_ready())
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<std::uint16_t> read_revision_id() {
    return read_word_at(0x3FFFFC);
}

std::optional<std::uint16_t> read_device_id(bool eight_bit_frame) {
    if (eight_bit_frame)
        return read_word_at(static_cast<std::int32_t>(device_id_read.address));
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
