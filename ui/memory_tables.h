// The text of the main window's memory tables and the arithmetic of their scroll bars,
// kept apart from the widgets so that it can be checked without drawing anything.
//
// A FLASH line is six address digits, ":", then sixteen groups of a space and two digits;
// an EEPROM line four address digits, ":", then eight groups. Only the eight lines in view
// are ever built, and a memory smaller than the view gives fewer lines rather than reading
// past its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

inline constexpr int lines_in_view = 8;

// Layout of one table's lines.
struct table_format {
    int bytes_per_line;  // 16 FLASH, 8 EEPROM
    int address_digits;  // 6 FLASH, 4 EEPROM
    int first_byte_char; // 0-based character where the first byte starts: 8 FLASH, 6 EEPROM
};

inline constexpr table_format flash_format{16, 6, 8};
inline constexpr table_format eeprom_format{8, 4, 6};

// One line of a table: the bytes of `image` from line * bytes_per_line on, as far as
// `size` and the array reach.
std::string table_line(const table_format& format, const std::vector<std::int32_t>& image,
                       std::int32_t size, std::int32_t line);

// The lines shown with `first_line` on top: up to eight, none when size is 0 or less.
std::vector<std::string> table_lines(const table_format& format,
                                     const std::vector<std::int32_t>& image, std::int32_t size,
                                     std::int32_t first_line);

// "FLASH: 32768,  EEPROM: 256"
std::string memory_sizes_caption(std::int32_t flash_size, std::int32_t eeprom_size);

// Maximum of a table's scroll bar: size / bytes_per_line - 8 rounded half to even, within
// the 16-bit range of the bar. Negative for a memory shorter than the view (the bar then
// keeps its value at 0); 0 for a size of 0 or less.
std::int32_t scroll_maximum(std::int32_t size, int bytes_per_line);

// The value a wheel notification gives a bar at `value`: three lines towards higher
// addresses for a negative rotation, three back otherwise, kept within minimum..maximum.
std::int32_t wheel_value(std::int32_t value, std::int32_t rotation, std::int32_t minimum,
                         std::int32_t maximum);

} // namespace ui
