// The program's image and its reset to the erased state of the selected model.
#include "image/memory_buffer.h"

#include <algorithm>

namespace image {

void erase_image(memory_buffer& buffer, const devices::model_values& model) {
    // Model selection refuses larger sizes; the bounds keep any other caller from asking
    // for gigabytes.
    const std::int32_t flash_size = std::min(devices::image_flash_size(model), largest_flash_image);
    const std::int32_t eeprom_size = std::min(model.eeprom_size, largest_eeprom_image);
    buffer.flash_image.assign(flash_size > 0 ? static_cast<std::size_t>(flash_size) : 0,
                              erased_byte);

    if (eeprom_size > 0)
        buffer.eeprom_image.assign(static_cast<std::size_t>(eeprom_size), erased_byte);
    else
        buffer.eeprom_image.assign(1, 0); // placeholder element; no address maps to it

    buffer.id_image.assign(static_cast<std::size_t>(std::max(model.layout.id_size, 0)),
                           erased_byte);
    buffer.config_image = model.config_erased;
    // Bytes beyond the model's configuration belong to no address.
    for (std::size_t k = static_cast<std::size_t>(std::max(model.layout.config_size, 0));
         k < buffer.config_image.size(); ++k)
        buffer.config_image[k] = erased_byte;
}

memory_buffer& program_image() {
    static memory_buffer buffer;
    return buffer;
}

} // namespace image
