// The arithmetic of editing single bytes in the main window: which byte of a memory table
// lies under the pointer, where the edit box goes over it, and which entries the box
// accepts. Positions are measured in the character cells of the fixed-pitch font the table
// actually uses, so the hit test finds the byte under the pointer whatever that font is.
#pragma once

#include "ui/memory_tables.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ui {

// What the open edit box changes.
enum edit_kinds : std::int32_t { edit_flash = 1, edit_eeprom = 2, edit_config = 3, edit_id = 4 };

// Character cell of a table's font and where its first character is drawn, in pixels,
// relative to the table's top-left corner.
struct cell_geometry {
    int origin_x = 0;
    int origin_y = 0;
    int char_width = 8;
    int line_height = 13;
};

struct table_hit {
    std::int32_t line = 0;    // 0..7, line in view
    std::int32_t column = 0;  // byte column of the line
    std::int32_t address = 0; // byte address in the memory
    int box_left = 0;         // edit box place relative to the table, in pixels
    int box_top = 0;
    int box_width = 0;
};

// The byte under the point (x, y) of a table whose first shown line is `first_line`;
// nothing for the address column, right of the last byte column, outside the eight lines,
// or past the end of a memory of `size` bytes. A byte column covers its two digits and the
// blank after them.
std::optional<table_hit> hit_table(const table_format& format, const cell_geometry& cell, int x,
                                   int y, std::int32_t first_line, std::int32_t size);

// The value an entry stores, or -1 when it stores nothing: the text is upper-cased, "000"
// is put in front and the last four characters must be hexadecimal digits giving 0..255.
// So one or two digits in either case are accepted and anything else is refused; an empty
// entry also gives -1.
std::int32_t entry_value(const std::string& text);

} // namespace ui
