// Color themes: 46 named themes, each giving fifteen program-wide colour roles that the
// themed windows paint themselves from. The current theme's name is stored under
// "Color Theme".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// 24-bit RGB colours, 0xRRGGBB. All 0 (black) before the first loadtheme.
extern std::uint32_t color_window;
extern std::uint32_t color_panel;
extern std::uint32_t color_panel_text;
extern std::uint32_t color_selected;
extern std::uint32_t color_selected_text;
extern std::uint32_t color_heading;
extern std::uint32_t color_heading_text;
extern std::uint32_t color_field;
extern std::uint32_t color_field_text;
extern std::uint32_t color_memory_title;
extern std::uint32_t color_memory_title_text;
extern std::uint32_t color_model;
extern std::uint32_t color_model_text;
extern std::uint32_t color_info;
extern std::uint32_t color_info_text;

extern std::string theme_name;

// Reads "Color Theme" (default "Original Lite") and sets theme_name and the roles.
void loadtheme();

// The 46 theme names in the dialog's order (row by row, left column then right).
const std::vector<std::string>& theme_names();

} // namespace ui
