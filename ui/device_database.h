// The device database of the running program: read once at start-up, read-only afterwards.
// The model dialog lists it and the main window's load selects from it.
#pragma once

#include "devices/device_table.h"

namespace ui {

devices::device_table& device_database();

} // namespace ui
