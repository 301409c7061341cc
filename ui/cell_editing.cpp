// Hit test and entry check of the byte editor.
#include "ui/cell_editing.h"

#include "core/hex_text.h"

namespace ui {

namespace {

// Division rounding towards minus infinity, so points left of or above the origin give a
// negative cell instead of cell 0.
int floor_div(int value, int divisor) {
    int quotient = value / divisor;
    if ((value % divisor != 0) && ((value < 0) != (divisor < 0)))
        --quotient;
    return quotient;
}

} // namespace

std::optional<table_hit> hit_table(const table_format& format, const cell_geometry& cell, int x,
                                   int y, std::int32_t first_line, std::int32_t size) {
    if (cell.char_width <= 0 || cell.line_height <= 0)
        return std::nullopt;
    const int column_width = 3 * cell.char_width;
    const int first_byte_x = cell.origin_x + format.first_byte_char * cell.char_width;
    const int column = floor_div(x - first_byte_x, column_width);
    const int line = floor_div(y - cell.origin_y, cell.line_height);
    if (line < 0 || line >= lines_in_view || column < 0 || column >= format.bytes_per_line)
        return std::nullopt;
    const std::int64_t address =
        (static_cast<std::int64_t>(first_line) + line) * format.bytes_per_line + column;
    if (address > static_cast<std::int64_t>(size) - 1)
        return std::nullopt;
    table_hit hit;
    hit.line = line;
    hit.column = column;
    hit.address = static_cast<std::int32_t>(address);
    hit.box_left = first_byte_x + column * column_width;
    hit.box_top = cell.origin_y + line * cell.line_height;
    hit.box_width = column_width;
    return hit;
}

std::int32_t entry_value(const std::string& text) {
    if (text.empty())
        return -1;
    const std::string padded = "000" + core::upper_case(text);
    const std::int32_t value = core::hex4_value(padded.substr(padded.size() - 4));
    return value >= 0 && value <= 255 ? value : -1;
}

} // namespace ui
