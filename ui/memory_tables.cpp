// Table text and scroll arithmetic of the main window.
#include "ui/memory_tables.h"

#include "core/hex_text.h"

#include <algorithm>
#include <limits>

namespace ui {

std::string table_line(const table_format& format, const std::vector<std::int32_t>& image,
                       std::int32_t size, std::int32_t line) {
    const std::int64_t start = static_cast<std::int64_t>(line) * format.bytes_per_line;
    const std::int64_t end = std::min<std::int64_t>(
        {start + format.bytes_per_line, size, static_cast<std::int64_t>(image.size())});
    const auto address = static_cast<std::int32_t>(start);
    std::string text = format.address_digits == 6 ? core::hex6(address) : core::hex4(address);
    text += ':';
    for (std::int64_t a = start; a < end; ++a) {
        text += ' ';
        text += core::hex2(image[static_cast<std::size_t>(a)]);
    }
    return text;
}

std::vector<std::string> table_lines(const table_format& format,
                                     const std::vector<std::int32_t>& image, std::int32_t size,
                                     std::int32_t first_line) {
    std::vector<std::string> lines;
    if (size <= 0 || first_line < 0)
        return lines;
    const std::int64_t available = std::min<std::int64_t>(size, image.size());
    for (std::int32_t i = first_line; i < first_line + lines_in_view; ++i) {
        if (static_cast<std::int64_t>(i) * format.bytes_per_line >= available)
            break;
        lines.push_back(table_line(format, image, size, i));
    }
    return lines;
}

std::string memory_sizes_caption(std::int32_t flash_size, std::int32_t eeprom_size) {
    return "FLASH: " + std::to_string(flash_size) + ",  EEPROM: " + std::to_string(eeprom_size);
}

std::int32_t scroll_maximum(std::int32_t size, int bytes_per_line) {
    if (size <= 0 || bytes_per_line <= 0)
        return 0;
    const std::int32_t maximum =
        core::round_even(static_cast<double>(size) / bytes_per_line - lines_in_view);
    return std::clamp<std::int32_t>(maximum, std::numeric_limits<std::int16_t>::min(),
                                    std::numeric_limits<std::int16_t>::max());
}

std::int32_t wheel_value(std::int32_t value, std::int32_t rotation, std::int32_t minimum,
                         std::int32_t maximum) {
    std::int64_t next = static_cast<std::int64_t>(value) + (rotation < 0 ? 3 : -3);
    if (next > maximum)
        next = maximum;
    if (next < minimum)
        next = minimum;
    return static_cast<std::int32_t>(next);
}

} // namespace ui
