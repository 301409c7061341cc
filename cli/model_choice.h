// Choosing a model from the command line: by number, or by name without regard to case
// (an exact name first, else the one model whose name ends with the text; a number outside
// the table lists the names that end with it); a model whose sizes are impossible is refused.
#pragma once

#include "devices/device_table.h"

#include <string>

namespace cli {

struct model_choice {
    int number = 0;    // 1-based model number, 0 when not found
    std::string error; // why no model was chosen, listing the candidates
};

// The model `request` names; a model that cannot be selected (devices::model_problem) is
// refused with unusable_model_text.
model_choice choose_model(const devices::device_table& table, const std::string& request);

// "model 3 (PIC18FX) cannot be selected: ..." for model `number` (1..model_count) when it
// cannot be selected; empty when it can.
std::string unusable_model_text(const devices::device_table& table, int number);

} // namespace cli
