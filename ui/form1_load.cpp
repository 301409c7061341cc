// The main window's load: it runs once, when the program shows the window, and brings the
// program to its idle state in this order: theme, window shown, "Last Path", the stored
// model (replaced by model 1 when out of range, and by the first model that can be
// selected when its sizes are impossible), the image reset, the adapter's wiring and
// port, the lines at idle, and the port's status in the status line.
#include "devices/device_table.h"
#include "devices/selected_model.h"
#include "hardware/port_lines.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "settings/stored_wiring.h"
#include "ui/color_theme.h"
#include "ui/form1.h"
#include "ui/port_session.h"
#include "ui/table_widgets.h"

namespace ui {

void Form1::Form_Load() {
    loadtheme();
    settheme();
    show();

    settings::program_values& values = settings::program();
    values.last_path = settings::restore_last_path();
    const devices::device_table& table = devices::device_database();
    if (!devices::select_program_model(table,
                                       settings::restore_selected_model(table.model_count())))
        devices::select_program_model(table, devices::first_usable_model(table));
    menuclear_Click();

    // Wiring and port; opening the port drives the lines to idle (images 0, VDD and VPP
    // off, CLOCK and DATA OUT at 0).
    Module94::port_settings = settings::read_stored_wiring();
    Module94::port_pacing = settings::read_stored_pacing();
    menufastport->setChecked(Module94::port_pacing.fast);
    const std::string caption = reopen_port();
    if (!caption.empty())
        show_status(caption);
}

} // namespace ui
