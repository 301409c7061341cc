// Program-wide values that every front end shares: the program's folder, the layout
// scale of the message boxes and the folder last used for HEX files. The selected model
// lives with the device table (devices/selected_model.h).
#pragma once

#include <cstdint>
#include <string>

namespace settings {

struct program_values {
    std::string app_folder;    // folder of the executable, ending in '/', real case kept
    float layout_scale = 1.0f; // spacing factor of the message and input boxes
    std::string last_path;     // folder shown first by the file dialogs, ending in '/'
};

program_values& program();

// The folder text with a trailing '/' added when missing.
std::string with_trailing_separator(std::string folder);

// Splits a full file name at its last '/': the folder (with the '/') and the name.
void split_path(const std::string& full, std::string& folder, std::string& name);

// Reads "Microcontroller Model" (default "1"), rounds it, and replaces a number outside
// 1..model_count by 1, storing "1". Returns the model number.
std::int32_t restore_selected_model(int model_count);

// Reads "Last Path" with the program folder as default.
std::string restore_last_path();

} // namespace settings
