// Chip memory to and from Intel HEX, through the program's own reader and writer.
#include "sim/chip_file.h"

#include "image/hex_writer.h"
#include "image/memory_buffer.h"

#include <filesystem>

namespace sim {

namespace {

devices::model_values layout_of(const part_info& part) {
    devices::model_values model;
    model.name = part.name;
    model.flash_size = part.flash_bytes;
    model.eeprom_size = part.eeprom_bytes;
    for (std::size_t k = 0; k < model.config_erased.size(); ++k)
        model.config_erased[k] = part.config_erased[k];
    return model;
}

} // namespace

image::hex_read_result load_chip_file(const std::string& path, virtual_chip& chip) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return {};
    const auto model = layout_of(chip.part());
    image::memory_buffer buffer;
    image::erase_image(buffer, model);
    std::int32_t top = 0;
    const image::hex_read_result read = image::read_hex_file(path, buffer, model, top);
    if (!read.accepted())
        return read;
    auto& flash = chip.flash();
    for (std::size_t a = 0; a < flash.size() && a < buffer.flash_image.size(); ++a)
        flash[a] = static_cast<std::uint8_t>(buffer.flash_image[a]);
    auto& eeprom = chip.eeprom();
    for (std::size_t a = 0; a < eeprom.size() && a < buffer.eeprom_image.size(); ++a)
        eeprom[a] = static_cast<std::uint8_t>(buffer.eeprom_image[a]);
    for (std::size_t k = 0; k < chip.config().size(); ++k)
        chip.config()[k] = static_cast<std::uint8_t>(buffer.config_image[k] & 0xFF);
    auto& id = chip.id_locations();
    for (std::size_t a = 0; a < id.size() && a < buffer.id_image.size(); ++a)
        id[a] = static_cast<std::uint8_t>(buffer.id_image[a]);
    return read;
}

image::hex_failure save_chip_file(const std::string& path, virtual_chip& chip) {
    const auto model = layout_of(chip.part());
    image::memory_buffer buffer;
    image::erase_image(buffer, model);
    for (std::size_t a = 0; a < chip.flash().size() && a < buffer.flash_image.size(); ++a)
        buffer.flash_image[a] = chip.flash()[a];
    for (std::size_t a = 0; a < chip.eeprom().size() && a < buffer.eeprom_image.size(); ++a)
        buffer.eeprom_image[a] = chip.eeprom()[a];
    for (std::size_t k = 0; k < chip.config().size(); ++k)
        buffer.config_image[k] = chip.config()[k];
    for (std::size_t a = 0; a < chip.id_locations().size() && a < buffer.id_image.size(); ++a)
        buffer.id_image[a] = chip.id_locations()[a];
    return image::save_hex_file(path, buffer, model);
}

} // namespace sim
