// The table behind the colour themes: one row per named theme with its fourteen colour
// values (0xRRGGBB). Names are matched exactly, case and blanks included.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace ui {

// Index of each colour in theme_row::colors.
enum theme_column : int {
    column_window,
    column_panel,
    column_panel_text,
    column_selected,
    column_selected_text,
    column_heading,
    column_field,
    column_field_text,
    column_memory_title,
    column_memory_title_text,
    column_model,
    column_model_text,
    column_info,
    column_info_text,
    theme_column_count
};

struct theme_row {
    const char* name;
    std::array<std::uint32_t, theme_column_count> colors;
};

// In the theme dialog's order: row by row, left column then right.
std::span<const theme_row> theme_table();

// The row named exactly `name`, or null.
const theme_row* find_theme_row(std::string_view name);

} // namespace ui
