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
    if (!select_model(table, number, selected_model().values))
        return false;
    selected_model().number = number;
    return true;
}

} // namespace devices
