// The programmer port of the running window: real backends (ppdev, then raw I/O) or the
// simulated adapter with a virtual chip, chosen once at start-up; reopened when the user
// changes the port.
#pragma once

#include <memory>
#include <string>

namespace sim {
class virtual_chip;
}

namespace ui {

struct port_session_options {
    bool simulate = false;
    std::string sim_part; // empty: the part number in the selected model's name
    std::string chip_file; // --chip: virtual chip memory loaded from and saved to this file
};

void configure_port_session(const port_session_options& options);

// (Re)opens the port for Module94::port_settings.port_base, installs it, drives the lines
// to idle and returns the status caption: "Parallel port 1 ready", "Simulated parallel
// port 1 ready", or why the port cannot be used.
std::string reopen_port();

// After a model change: without --sim-part and --chip the simulated socket takes the chip
// of the newly selected model (a blank one when the part changes). Nothing for a real port.
void follow_selected_model();

// With --chip: writes the simulated chip's memory to the chip file (after each chip
// operation and at exit); a failure is reported in the message box. Nothing otherwise.
void save_simulated_chip();

// The virtual chip in the simulated socket, or null (real port, or no chip).
std::shared_ptr<sim::virtual_chip> simulated_chip();

} // namespace ui
