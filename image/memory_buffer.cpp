// The program's image and its reset to the erased state of the selected model.
#include "image/memory_buffer.h"

namespace image {

void erase_image(memory_buffer& buffer, const devices::model_values& model) {
    const auto flash_size = model.flash_size > 0 ? static_cast<std::size_t>(model.flash_size) : 0;
    buffer.flash_image.assign(flash_size, erased_byte);

    if (model.eeprom_size > 0)
        buffer.eeprom_image.assign(static_cast<std::size_t>(model.eeprom_size), erased_byte);
    else
        buffer.eeprom_image.assign(1, 0); // placeholder element; no address maps to it

    buffer.config_image = model.config_erased;
}

memory_buffer& program_image() {
    static memory_buffer buffer;
    return buffer;
}

} // namespace image
