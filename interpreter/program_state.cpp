// The program-wide records back to their start state.
#include "interpreter/program_state.h"

#include "devices/selected_model.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_session.h"
#include "image/memory_buffer.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"

namespace Module1 {

void reset_program_state() {
    devices::device_database() = {};
    devices::selected_model() = {};
    image::program_image() = {};
    hardware::install_port_backend(nullptr);
    hardware::configure_port_session({});
    Module94::port_settings = {};
    Module94::line_image = {};
    Module94::port_pacing = {};
    algorithm_run = {};
    cancel_requested.store(false);
    settings::program() = {};
}

} // namespace Module1
