// libFuzzer target for the Intel HEX reader: arbitrary bytes are read into the image of a
// small model without EEPROM and of a 64 KB-FLASH model with EEPROM. The reader must
// neither crash nor touch memory outside the image, whatever the input, and a rejected
// text always comes with a message.
#include "image/hex_reader.h"
#include "image/memory_buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

devices::model_values make_model(std::int32_t flash_size, std::int32_t eeprom_size) {
    devices::model_values model;
    model.name = "FUZZ";
    model.flash_size = flash_size;
    model.eeprom_size = eeprom_size;
    model.config_erased = {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85,
                           0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, -1};
    return model;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const devices::model_values models[] = {make_model(1024, 0), make_model(65536, 256)};

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& model : models) {
        image::memory_buffer buffer;
        image::erase_image(buffer, model);
        std::int32_t loaded_top = 0;
        const auto read = image::read_hex_text(bytes, buffer, model, loaded_top);
        if (loaded_top < 0 || loaded_top > model.flash_size)
            __builtin_trap();
        if (image::failure_text(read.failure).empty() != read.accepted())
            __builtin_trap();
    }
    return 0;
}
