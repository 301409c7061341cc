// The program-wide device table.
#include "ui/device_database.h"

namespace ui {

devices::device_table& device_database() {
    static devices::device_table table;
    return table;
}

} // namespace ui
