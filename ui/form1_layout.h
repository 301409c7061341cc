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
// Configuration grid: seven columns of 375 x 255 cells; each row of the grid is a row of
// headings (the bytes' names) over a row of values. Two rows hold the fourteen bytes of the
// classic parts; a model with more bytes adds a row for every seven more, and the window
// grows by that much.
inline constexpr int grid_columns[7] = {4080, 4500, 4920, 5340, 5760, 6180, 6600};
inline constexpr int grid_cell_width = 375;
inline constexpr int grid_cell_height = 255;
inline constexpr int grid_top = 4260;       // the first row's headings
inline constexpr int grid_value_drop = 300; // values under their headings
inline constexpr int grid_row_pitch = 600;
inline constexpr int grid_least_rows = 2;

// ID locations under the grid: a title, then rows of up to eight cells, a little narrower
// than the grid's so that eight fit its width. The title's text is the widest one the
// window shows; the window gives the model's own address. Two rows show at most: a model
// with more ID bytes pages through them, a row at a time, with the bar beside the title.
inline constexpr captioned id_caption{{4080, 5460, 2115, 255}, "ID locations (200000h)"};
inline constexpr int id_cells_per_row = 8;
inline constexpr int id_most_rows = 2;
inline constexpr int id_cells = id_cells_per_row * id_most_rows;
inline constexpr int id_cell_left = 4080;
inline constexpr int id_cell_pitch = 360;
inline constexpr int id_cell_width = 345;
inline constexpr int id_cell_top = 5760;
inline constexpr int id_row_pitch = 300;
inline constexpr place id_pager{6240, 5460, 705, 255};

inline constexpr place unosbox{1740, 3960, 375, 255};

inline constexpr captioned Label5{{5280, 6120, 1755, 255}, "Status"};
inline constexpr place label_status{60, 6420, 6975, 255};

// How the grid and the ID rows are laid out for a model: the rows each has, and how far
// (in twips) everything under them, the window's bottom included, moves down.
struct grid_shape {
    int config_rows = grid_least_rows;
    int id_rows = 1;  // rows of ID cells shown
    int id_pages = 0; // first-row positions beyond the first (0: no paging)
    int grown = 0;
    friend constexpr bool operator==(const grid_shape&, const grid_shape&) = default;
};

constexpr grid_shape shape_for(int config_size, int id_size) {
    grid_shape shape;
    const int config_rows = (config_size + 6) / 7;
    shape.config_rows = config_rows > grid_least_rows ? config_rows : grid_least_rows;
    const int id_rows = (id_size + id_cells_per_row - 1) / id_cells_per_row;
    shape.id_rows = id_rows < 1 ? 1 : id_rows > id_most_rows ? id_most_rows : id_rows;
    shape.id_pages = id_rows > shape.id_rows ? id_rows - shape.id_rows : 0;
    shape.grown =
        (shape.config_rows - grid_least_rows) * grid_row_pitch + (shape.id_rows - 1) * id_row_pitch;
    return shape;
}

} // namespace ui::form1_layout
