// The window's side of the program's port session (hardware/port_session.h): the status
// caption of the port and its short form, following model changes with the simulated socket, and
// saving the simulated chip with a message box on failure.
#pragma once

#include "hardware/port_backend.h"

#include <cstdint>
#include <string>

namespace ui {

// "Parallel port 1 ready" (or "Simulated parallel port 1 ready") for the three standard
// bases when the port is ready; a real port at any other base is named by its address and
// what reached it, "Parallel port D010h (/dev/parport1) ready", and a simulated one there
// gives the empty text. When the port cannot be used, "Parallel port 1 not ready: " (or
// "Port 0xD010 not ready: ") and why, naming the device tried.
std::string port_caption(std::int32_t base, bool simulated, const hardware::port_status& status);

// What the status line shows of a caption: of a port that is not ready, the first clause
// ("Port 0x3E8 not ready"); any other caption whole.
std::string status_clause(const std::string& caption);

// The caption of an adapter that drives lines itself (an FTDI board): its driver's
// description and "ready" ("FT232R A1B2C3 ready"), or "Adapter ftdi not ready: " and why.
std::string adapter_caption(const std::string& adapter, const hardware::port_status& status);

// (Re)opens the stored adapter (the parallel port at Module94::port_settings.port_base
// unless "Adapter" names another; the simulated one with --simulate) and returns the
// status caption: "Parallel port 1 ready", "Simulated parallel port 1 ready", an adapter's
// caption, or why it cannot be used.
std::string reopen_port();

// After a model change: the simulated socket takes the chip of the newly selected model
// unless its part is fixed. Nothing for a real port.
void follow_selected_model();

// With --chip: writes the simulated chip's memory to the chip file (after each chip
// operation and at exit); a failure is reported in the message box. Nothing otherwise.
void save_simulated_chip();

} // namespace ui
