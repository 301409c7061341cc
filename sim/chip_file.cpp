// Chip memory to and from Intel HEX, through the program's own reader and writer.
#include "sim/chip_file.h"

#include "image/hex_writer.h"
#include "image/memory_buffer.h"

#include <algorithm>
#include <filesystem>
#include <span>

namespace sim {

namespace {

// The image layout of the part: the classic one, or on the 8-bit-command families the user
// ID area, the EEPROM address and the number of configuration bytes they have.
devices::model_values layout_of(const part_info& part) {
    devices::model_values model;
    model.name = part.name;
    model.flash_size = part.flash_bytes;
    model.eeprom_size = part.eeprom_bytes;
    const std::size_t config_count =
        std::min(model.config_erased.size(), part.config_erased.size());
    for (std::size_t k = 0; k < config_count; ++k)
        model.config_erased[k] = part.config_erased[k];
    if (const command8_rules* rules = profile_of(part.family).command8) {
        model.layout.id_size = part.id_bytes;
        model.layout.eeprom_address = rules->eeprom_base;
        model.layout.config_size =
            std::min(part.config_size, static_cast<int>(model.config_erased.size()));
    }
    return model;
}

template <typename To, typename From> void copy_common(To& to, const From& from) {
    const std::size_t count = std::min<std::size_t>(to.size(), from.size());
    for (std::size_t k = 0; k < count; ++k)
        to[k] = static_cast<typename To::value_type>(from[k] & 0xFF);
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
    copy_common(chip.flash(), buffer.flash_image);
    copy_common(chip.eeprom(), buffer.eeprom_image);
    std::span<std::uint8_t> config = chip.config();
    copy_common(config, buffer.config_image);
    std::span<std::uint8_t> id = chip.id_locations();
    copy_common(id, buffer.id_image);
    return read;
}

image::hex_failure save_chip_file(const std::string& path, virtual_chip& chip) {
    const auto model = layout_of(chip.part());
    image::memory_buffer buffer;
    image::erase_image(buffer, model);
    copy_common(buffer.flash_image, chip.flash());
    copy_common(buffer.eeprom_image, chip.eeprom());
    copy_common(buffer.config_image, chip.config());
    copy_common(buffer.id_image, chip.id_locations());
    return image::save_hex_file(path, buffer, model);
}

} // namespace sim
