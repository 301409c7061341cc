// Colour themes: the fifteen program-wide colour roles, the current theme's name, and
// loadtheme, which turns the name stored under "Color Theme" into roles from the theme
// table. Windows paint themselves from the roles in their own settheme.
#include "ui/color_theme.h"

#include "settings/setting_names.h"
#include "ui/theme_table.h"

namespace ui {

std::uint32_t color_window = 0;
std::uint32_t color_panel = 0;
std::uint32_t color_panel_text = 0;
std::uint32_t color_selected = 0;
std::uint32_t color_selected_text = 0;
std::uint32_t color_heading = 0;
std::uint32_t color_heading_text = 0;
std::uint32_t color_field = 0;
std::uint32_t color_field_text = 0;
std::uint32_t color_memory_title = 0;
std::uint32_t color_memory_title_text = 0;
std::uint32_t color_model = 0;
std::uint32_t color_model_text = 0;
std::uint32_t color_info = 0;
std::uint32_t color_info_text = 0;

std::string theme_name;

namespace {

constexpr const char* default_theme = settings::color_theme_setting.default_text;

// True while no theme has been applied yet: every role is still black. (No theme of the
// table is black throughout.)
bool roles_unset() {
    for (const std::uint32_t role :
         {color_window, color_panel, color_panel_text, color_selected, color_selected_text,
          color_heading, color_heading_text, color_field, color_field_text, color_memory_title,
          color_memory_title_text, color_model, color_model_text, color_info, color_info_text})
        if (role != 0)
            return false;
    return true;
}

void apply_row(const theme_row& row) {
    const auto& c = row.colors;
    color_window = c[column_window];
    color_panel = c[column_panel];
    color_panel_text = c[column_panel_text];
    color_selected = c[column_selected];
    color_selected_text = c[column_selected_text];
    color_heading = c[column_heading];
    color_heading_text = 0x000000;
    color_field = c[column_field];
    color_field_text = c[column_field_text];
    color_memory_title = c[column_memory_title];
    color_memory_title_text = c[column_memory_title_text];
    color_model = c[column_model];
    color_model_text = c[column_model_text];
    color_info = c[column_info];
    color_info_text = c[column_info_text];
}

} // namespace

void loadtheme() {
    theme_name = settings::color_theme_setting.read();
    if (theme_name.empty()) {
        // An empty name keeps the colours in use. Before any theme has been applied the
        // roles are still all black, which would paint black text on black labels, so the
        // default theme's colours are used then (the stored name stays as it is).
        if (roles_unset())
            apply_row(*find_theme_row(default_theme));
        return;
    }
    // Any name that is not in the table, including one that differs only in case, gets
    // the default theme.
    const theme_row* row = find_theme_row(theme_name);
    apply_row(row != nullptr ? *row : *find_theme_row(default_theme));
}

const std::vector<std::string>& theme_names() {
    // The dialog's rows, left column then right column.
    // clang-format off
    static const std::vector<std::string> names{
        "Amethyst", "Arctica",
        "Baby Jeans", "Bitter Lemon",
        "Bloods", "Blue Martini",
        "Blueberry", "Blueberry And Cream",
        "Blues", "Bricks Set",
        "Bubble Gum", "Bullfrog",
        "Citrus", "City Night",
        "Clover", "Coagulated",
        "Copper", "Donatello",
        "Dymunds", "Emerald City",
        "Fort Knox", "Gold Rush",
        "Grapefruit", "Grapes",
        "Halloween", "HaXb0x",
        "Jeans", "Love Machine",
        "Mono Dark", "Mono Lite",
        "Night Vision", "Peachy",
        "Popcorn", "Powerpuff!",
        "Original Dark", "Original Lite",
        "Owayke", "Rain Forest",
        "Raspberry Club", "Rosemary",
        "Sunflower", "Toxic",
        "Uranium", "Varsity",
        "Winamp New", "Winamp Old",
    };
    // clang-format on
    return names;
}

} // namespace ui
