// Questions and reports about the chip in the socket, through the program's message box.
#include "ui/socket_identity.h"

#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/line_driver.h"
#include "hardware/port_backend.h"
#include "interpreter/adapter_diagnosis.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_operations.h"
#include "interpreter/voltage_check.h"

namespace ui {

namespace {

constexpr int question_default_no = core::msg_yes_no | core::msg_default_no;

std::string name_of(int model) {
    const auto& table = devices::device_database();
    if (model < 1 || model > table.model_count())
        return {};
    return table.models[static_cast<std::size_t>(model)].name;
}

// Asks whether to select the first model the ID names; its number, or 0.
int offer_detected_model(const std::string& lead, const Module1::chip_identity& identity,
                         const std::string& buffer_note) {
    if (identity.models.empty())
        return 0;
    const int detected = identity.models.front();
    const std::string question =
        lead + "\r\n\r\nSelect " + name_of(detected) + " instead? " + buffer_note;
    return core::mymsgbox(question, question_default_no, "") == core::result_yes ? detected : 0;
}

// Says in the status line that the user stopped `command`, when they did.
bool stopped_by_user(const std::string& command) {
    if (!Module1::cancel_requested.load())
        return false;
    core::set_status(Module1::cancelled_caption(command));
    return true;
}

} // namespace

wrong_chip_answer ask_about_wrong_chip(const Module1::chip_identity& identity,
                                       const std::string& operation_name,
                                       const std::string& buffer_note) {
    wrong_chip_answer answer;
    const std::string text = Module1::wrong_chip_text(devices::device_database(),
                                                      devices::selected_model().values, identity);
    answer.select_model = offer_detected_model(text, identity, buffer_note);
    if (answer.select_model != 0)
        return answer;
    const std::string question =
        (identity.models.empty() ? text + "\r\n\r\n" : std::string()) + "Run " + operation_name +
        " anyway, treating the chip as " + devices::selected_model().values.name +
        "? Only do this when you are sure the chip is right (a part the device database has "
        "no ID for, or a remarked chip).";
    answer.continue_anyway = core::mymsgbox(question, question_default_no, "") == core::result_yes;
    return answer;
}

int identify_chip_in_socket(const std::string& buffer_note) {
    Module1::cancel_requested.store(false);
    const auto identity = Module1::identify_socket();
    if (stopped_by_user("Identify Chip"))
        return 0;
    if (!identity) {
        const std::string why = hardware::failure_text(hardware::current_line_driver().status());
        core::mymsgbox("Identify Chip cannot read the chip: " +
                           (why.empty() ? std::string("no parallel port is open.") : why),
                       core::msg_error, "");
        return 0;
    }
    const auto& table = devices::device_database();
    const std::string id = " (device ID " + Module1::id_text(identity->raw) + ")";
    tell_powered_beyond_limits(*identity, false);
    switch (identity->verdict) {
    case Module1::identity_verdict::matches:
        core::mymsgbox(
            "The chip in the socket is " +
                Module1::part_and_revision(devices::selected_model().values, identity->raw) + id +
                ", the selected model.",
            core::msg_information, "");
        return 0;
    case Module1::identity_verdict::no_chip:
        core::mymsgbox(Module1::no_chip_text(identity->raw, false), core::msg_error, "");
        return 0;
    case Module1::identity_verdict::unknown_id:
        core::mymsgbox("The chip in the socket answers with device ID " +
                           Module1::id_text(identity->raw) +
                           ", which no model of the device database has.",
                       core::msg_information, "");
        return 0;
    case Module1::identity_verdict::other_model:
        break;
    }
    return offer_detected_model(
        "The chip in the socket is " + Module1::identified_parts(table, *identity) + id +
            "; the selected model is " + devices::selected_model().values.name + ".",
        *identity, buffer_note);
}

void tell_powered_beyond_limits(const Module1::chip_identity& identity, bool only_above_limits) {
    const std::string text = Module1::powered_beyond_limits_text(
        devices::device_database(), identity.models, Module1::stored_voltages_with_preset(),
        only_above_limits);
    if (!text.empty())
        core::mymsgbox(text, core::msg_error, "");
}

void show_adapter_diagnosis() {
    Module1::cancel_requested.store(false);
    const Module1::adapter_diagnosis diagnosis = Module1::diagnose_adapter();
    if (stopped_by_user("Diagnose Adapter"))
        return;
    core::mymsgbox(diagnosis.report(), diagnosis.passed() ? core::msg_information : core::msg_error,
                   "");
}

} // namespace ui
