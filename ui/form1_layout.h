// The main window's fixed layout in twips (left, top, width, height) with the captions of
// its static controls: one table that both builds the window and decides how much the
// layout must grow for the system's fonts.
#pragma once

namespace ui::form1_layout {

struct place {
    int left, top, width, height;
};

struct captioned {
    place at;
    const char* caption;
};

inline constexpr int client_width = 7095;
inline constexpr int client_height = 6735;

inline constexpr captioned Label7{{60, 60, 1755, 255}, "Loaded HEX File"};
inline constexpr place label_hex{60, 360, 6075, 255};

inline constexpr captioned Command1{{60, 720, 1155, 315}, "Program All"};
inline constexpr captioned Command2{{1260, 720, 1095, 315}, "Read All"};
inline constexpr captioned Command3{{2400, 720, 1095, 315}, "Erase All"};
inline constexpr captioned Command4{{3540, 720, 1155, 315}, "Blank Check"};
inline constexpr captioned Command5{{4740, 720, 1095, 315}, "Verify"};
// Beside the commands, shown only while an operation runs.
inline constexpr captioned stop_button{{5940, 720, 1095, 315}, "Stop"};

inline constexpr captioned Label1{{60, 1140, 2055, 255}, "Microcontroller Model"};
inline constexpr place label_ime{2160, 1140, 2535, 255};
inline constexpr place label_info{60, 1440, 4635, 255};

inline constexpr captioned Label3{{60, 1800, 1575, 255}, "FLASH Memory"};
inline constexpr place tabla_flash{60, 2100, 6735, 1755};
inline constexpr place scrl1{6780, 2100, 255, 1755};

inline constexpr captioned Label4{{60, 3960, 1575, 255}, "EEPROM Memory"};
inline constexpr place tabla_eeprom{60, 4260, 3615, 1755};
inline constexpr place scrl2{3660, 4260, 255, 1755};

inline constexpr captioned lfix14{{4080, 3960, 1755, 255}, "Configuration Bytes"};
// Configuration grid: seven columns of 375 x 255 cells, headings and values in two rows;
// the headings are the configuration bytes' names.
inline constexpr int grid_columns[7] = {4080, 4500, 4920, 5340, 5760, 6180, 6600};
inline constexpr int grid_cell_width = 375;
inline constexpr int grid_cell_height = 255;
inline constexpr int grid_heading_top[2] = {4260, 4860};
inline constexpr int grid_value_top[2] = {4560, 5160};

// ID locations under the grid: a title, then one row of up to eight cells, a little
// narrower than the grid's so that eight fit its width. The title's text is the widest
// one the window shows; the window gives the model's own address.
inline constexpr captioned id_caption{{4080, 5460, 2115, 255}, "ID locations (200000h)"};
inline constexpr int id_cells = 8;
inline constexpr int id_cell_left = 4080;
inline constexpr int id_cell_pitch = 360;
inline constexpr int id_cell_width = 345;
inline constexpr int id_cell_top = 5760;

inline constexpr place unosbox{1740, 3960, 375, 255};

inline constexpr captioned Label5{{5280, 6120, 1755, 255}, "Status"};
inline constexpr place label_status{60, 6420, 6975, 255};

} // namespace ui::form1_layout
