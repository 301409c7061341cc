// The program-wide records back to their start state.
#include "interpreter/program_state.h"

#include "devices/selected_model.h"
#include "hardware/line_driver.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_session.h"
#include "image/memory_buffer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/deferred_reads.h"
#include "settings/program_values.h"

namespace Module1 {

void reset_program_state() {
    devices::device_database() = {};
    devices::selected_model() = {};
    image::program_image() = {};
    hardware::install_port_backend(nullptr);
    hardware::install_line_driver(nullptr);
    hardware::configure_port_session({});
    Module94::port_settings = {};
    Module94::line_image = {};
    Module94::port_pacing = {};
    algorithm_run = {};
    drop_waiting_reads();
    cancel_requested.store(false);
    settings::program() = {};
}

} // namespace Module1
