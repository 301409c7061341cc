// The running program's device database and the model selected from it: the one home of
// both for the window, the CLI and the tests. The table is filled once at start and is
// read-only afterwards; the selection changes only through select_model (the model
// dialog also moves the number while the user browses, and puts it back on Cancel).
#pragma once

#include "devices/model_select.h"

#include <cstdint>

namespace devices {

// The program's device table, read from pinwrightdevices.txt at start.
device_table& device_database();

struct model_selection {
    std::int32_t number = 1; // the selected model's number in the device table (1-based)
    model_values values;     // its working values
};

model_selection& selected_model();

// Selects model `number` of `table` into selected_model(): the number and the working
// values. Returns false, changing nothing, when the number is outside 1..model_count or
// the model cannot be selected (devices::model_problem).
bool select_program_model(const device_table& table, int number);

// The number of the first model of `table` that can be selected, 0 when there is none.
int first_usable_model(const device_table& table);

} // namespace devices
