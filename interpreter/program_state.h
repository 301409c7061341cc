// Where the program-wide records live, and one call that brings them all back to the
// state of a program that has just started:
//   device table and selected model   devices::device_database(), devices::selected_model()
//   program image                     image::program_image()
//   wiring and register images        Module94::port_settings, Module94::line_image
//   the port and its session          hardware::current_port_backend(), hardware/port_session.h
//   interpreter state                 Module1::algorithm_run, Module1::cancel_requested
//   folders, layout scale             settings::program()
#pragma once

namespace Module1 {

// Empties the device table and the image, selects no model (number 1, no working values),
// puts the wiring and port back to their defaults with the register images at 0, closes
// the port and drops the port session, and clears the interpreter's run record. The
// settings store and the host hooks are not touched.
void reset_program_state();

} // namespace Module1
