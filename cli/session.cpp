// What the pinwright-cli commands share for one run: the device database read from the
// session's path, the model chosen from --model or the stored setting, and the HEX read's
// failure or warning shown as the window shows it.
#include "cli/session.h"

#include "cli/model_choice.h"
#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "devices/device_table.h"
#include "devices/selected_model.h"
#include "settings/program_values.h"

namespace cli {

bool load_database(session& s) {
    const auto failure = devices::load_device_table(s.database_path, devices::device_database());
    if (!failure.ok()) {
        s.err << "pinwright-cli: " << devices::failure_text(failure) << '\n';
        return false;
    }
    if (devices::device_database().model_count() == 0) {
        s.err << "pinwright-cli: the device database " << s.database_path
              << " defines no model (is every line ended by CR LF?)\n";
        return false;
    }
    return true;
}

void show_hex_read(const image::hex_read_result& read) {
    if (!read.failure.ok())
        core::mymsgbox(image::failure_text(read.failure), core::msg_error, core::app_title);
    else if (!read.warning.ok())
        core::mymsgbox(image::failure_text(read.warning), core::msg_information, core::app_title);
}

bool model_by_chip(const session& s) {
    return s.options.model && core::lower_case(*s.options.model) == "auto";
}

bool select_requested_model(session& s) {
    int number = 0;
    if (s.options.model && !model_by_chip(s)) {
        const auto choice = choose_model(devices::device_database(), *s.options.model);
        if (choice.number == 0) {
            s.err << "pinwright-cli: " << choice.error << '\n';
            return false;
        }
        number = choice.number;
    } else {
        number = settings::restore_selected_model(devices::device_database().model_count());
        if (const auto problem = unusable_model_text(devices::device_database(), number);
            !problem.empty()) {
            s.err << "pinwright-cli: the stored " << problem << "; choose one with --model\n";
            return false;
        }
    }
    devices::select_program_model(devices::device_database(), number);
    return true;
}

} // namespace cli
