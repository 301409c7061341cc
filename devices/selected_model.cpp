// The program-wide device table and model selection.
#include "devices/selected_model.h"

namespace devices {

device_table& device_database() {
    static device_table table;
    return table;
}

model_selection& selected_model() {
    static model_selection selection;
    return selection;
}

bool select_program_model(const device_table& table, int number) {
    if (number < 1 || number > table.model_count() ||
        !model_problem(table.models[static_cast<std::size_t>(number)]).empty() ||
        !select_model(table, number, selected_model().values))
        return false;
    selected_model().number = number;
    return true;
}

int first_usable_model(const device_table& table) {
    for (int n = 1; n <= table.model_count(); ++n)
        if (model_problem(table.models[static_cast<std::size_t>(n)]).empty())
            return n;
    return 0;
}

} // namespace devices
