// State of one pinwright-cli run shared by its commands: the parsed options, the output
// streams and the database path, and the steps every command that needs a model takes
// (reading the database, choosing the model). The database and the chosen model are the
// program's own (devices/selected_model.h), as in the window.
#pragma once

#include "cli/cli_options.h"
#include "hardware/adapter_choice.h"
#include "hardware/adapter_presets.h"
#include "image/hex_reader.h"

#include <ostream>
#include <string>

namespace cli {

class json_report;

struct session {
    std::ostream& out;
    std::ostream& err;
    cli_options options;
    std::string database_path;
    bool err_is_terminal = false;
    // The adapter of a chip command: --port, else the stored one.
    hardware::adapter_spec adapter = {};
    // The adapter preset in use for a chip command (--preset, or the stored one); null: none.
    const hardware::adapter_preset* preset = nullptr;
    // With --json: the document the commands record their results in (cli/json_output.h).
    json_report* json = nullptr;
};

// Reads the device database; reports and returns false when it cannot be used.
bool load_database(session& s);
// Prints the failure of a rejected HEX file, or the warning of an accepted one, as the
// window shows them (through the message hook).
void show_hex_read(const image::hex_read_result& read);
// Whether --model asks for the model the chip's device ID names.
bool model_by_chip(const session& s);
// Chooses the model from --model or the stored setting and selects it. With --model auto
// the stored model stands in until the chip has been read.
bool select_requested_model(session& s);

} // namespace cli
