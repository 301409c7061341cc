// Colour themes: the fifteen program-wide colour roles, the current theme's name, and
// loadtheme, which turns the name stored under "Color Theme" into roles from the theme
// table. Windows paint themselves from the roles in their own settheme.
#include "ui/color_theme.h"

#include "settings/setting_names.h"
#include "ui/theme_table.h"

#include <array>
#include <utility>

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

// Each role with its column in the theme table; color_heading_text is black in every theme.
const std::array<std::pair<std::uint32_t*, theme_column>, theme_column_count> role_columns{
    {{&color_window, column_window},
     {&color_panel, column_panel},
     {&color_panel_text, column_panel_text},
     {&color_selected, column_selected},
     {&color_selected_text, column_selected_text},
     {&color_heading, column_heading},
     {&color_field, column_field},
     {&color_field_text, column_field_text},
     {&color_memory_title, column_memory_title},
     {&color_memory_title_text, column_memory_title_text},
     {&color_model, column_model},
     {&color_model_text, column_model_text},
     {&color_info, column_info},
     {&color_info_text, column_info_text}}};

// True while no theme has been applied yet: every role is still black. (No theme of the
// table is black throughout.)
bool roles_unset() {
    for (const auto& [role, column] : role_columns)
        if (*role != 0)
            return false;
    return color_heading_text == 0;
}

void apply_row(const theme_row& row) {
    for (const auto& [role, column] : role_columns)
        *role = row.colors[column];
    color_heading_text = 0x000000;
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
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const theme_row& row : theme_table())
            all.emplace_back(row.name);
        return all;
    }();
    return names;
}

} // namespace ui
