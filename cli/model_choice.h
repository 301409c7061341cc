// Choosing a model from the command line: by number, or by name without regard to case
// (an exact name first, else the one model whose name ends with the text).
#pragma once

#include "devices/device_table.h"

#include <string>

namespace cli {

struct model_choice {
    int number = 0;    // 1-based model number, 0 when not found
    std::string error; // why no model was chosen, listing the candidates
};

model_choice choose_model(const devices::device_table& table, const std::string& request);

} // namespace cli
