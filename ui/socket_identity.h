// The window's side of the chip identity: what it asks when a chip operation found
// another chip in the socket than the selected model, the Identify Chip command, and
// Diagnose Adapter, which shows the adapter diagnosis in the message box.
#pragma once

#include "interpreter/chip_identity.h"

#include <string>

namespace ui {

struct wrong_chip_answer {
    int select_model = 0;         // the model to select instead (0: none)
    bool continue_anyway = false; // run the operation again without the identity check
};

// Offers to select the model the chip's ID names (when it names one), else to run
// `operation_name` anyway; No is the default answer of both questions. `buffer_note` says
// what selecting another model does to the buffer.
wrong_chip_answer ask_about_wrong_chip(const Module1::chip_identity& identity,
                                       const std::string& operation_name,
                                       const std::string& buffer_note);

// Identify Chip: reads the chip's ID and shows what it is; returns the model the user
// chose to select instead of the selected one, or 0. Stopped by the user, it only says so
// in the status line.
int identify_chip_in_socket(const std::string& buffer_note);

// Says in the error box when the part `identity` names was powered for the ID read above
// its limits by the stored adapter voltages or, unless `only_above_limits`, above its
// programming range.
void tell_powered_beyond_limits(const Module1::chip_identity& identity, bool only_above_limits);

// Diagnose Adapter: the diagnosis of the open port, its report in the message box; when
// the user stopped it, only the status line says so.
void show_adapter_diagnosis();

} // namespace ui
