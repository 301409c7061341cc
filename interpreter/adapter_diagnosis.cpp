// The adapter diagnosis: the line check, the chip check with its tries of other settings,
// and the report.
#include "interpreter/adapter_diagnosis.h"

#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/connector_pins.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_list.h"
#include "hardware/port_session.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_identity.h"
#include "settings/stored_wiring.h"

#include <algorithm>
#include <optional>

namespace Module1 {

namespace {

// DATA IN as read back (stored pin and inversion) while DATA OUT is driven high, then low;
// VDD and VPP stay off.
diagnosis_step check_lines() {
    diagnosis_step step{"Lines", step_result::passed, {}};
    Module94::set_lines_idle();
    Module94::data_high();
    const std::int32_t with_high = Module94::read_data_in();
    Module94::data_low();
    const std::int32_t with_low = Module94::read_data_in();
    const std::string lead = "with VDD and VPP off, DATA OUT driven high and low: ";
    if (with_high == 1 && with_low == 0) {
        step.detail = lead + "DATA IN follows DATA OUT, as on adapters that read PGD back.";
    } else if (with_high == 0 && with_low == 1) {
        step.result = step_result::failed;
        step.detail = lead + "DATA IN follows DATA OUT inverted. The inversion of DATA IN (or of "
                             "DATA OUT) in the hardware settings is the wrong way round: change "
                             "\"Invert DATAIN\" in Hardware > Settings.";
    } else {
        step.detail = lead + "DATA IN stays " + (with_high == 1 ? "high" : "low") +
                      ". Many adapters read PGD back through DATA IN, so with no chip DATA IN "
                      "follows DATA OUT; some adapters do not. On one that does, this means DATA "
                      "IN's or DATA OUT's pin, or the cable, is wrong.";
    }
    return step;
}

// A setting of an input or signal line to try when no chip answers.
struct line_try {
    std::string change; // for the report
    Module94::port_settings_record settings;
};

std::vector<line_try> tries_from(const Module94::port_settings_record& stored) {
    std::vector<line_try> tries;
    auto add = [&](std::string change, auto edit) {
        line_try t{std::move(change), stored};
        edit(t.settings);
        tries.push_back(std::move(t));
    };
    add("\"Invert DATAIN\" set to " + std::to_string(stored.invert_datain ? 0 : 1),
        [](auto& s) { s.invert_datain = s.invert_datain ? 0 : 1; });
    add("\"Invert CLOCK\" set to " + std::to_string(stored.invert_clock ? 0 : 1),
        [](auto& s) { s.invert_clock = s.invert_clock ? 0 : 1; });
    add("\"Invert DATAOUT\" set to " + std::to_string(stored.invert_dataout ? 0 : 1),
        [](auto& s) { s.invert_dataout = s.invert_dataout ? 0 : 1; });
    for (const std::int32_t pin : hardware::pins_of(hardware::pin_direction::input)) {
        if (pin == stored.pin_datain)
            continue;
        for (const std::int32_t invert :
             {stored.invert_datain ? 1 : 0, stored.invert_datain ? 0 : 1})
            add("\"DATAIN Pin Num\" set to " + std::to_string(pin) +
                    (invert != (stored.invert_datain ? 1 : 0)
                         ? " and \"Invert DATAIN\" to " + std::to_string(invert)
                         : std::string()),
                [pin, invert](auto& s) {
                    s.pin_datain = pin;
                    s.invert_datain = invert;
                });
    }
    return tries;
}

// Identifies the socket with each try in turn; the first that makes a model answer.
std::optional<std::pair<line_try, chip_identity>> find_working_setting() {
    const Module94::port_settings_record stored = Module94::port_settings;
    std::optional<std::pair<line_try, chip_identity>> found;
    for (const line_try& t : tries_from(stored)) {
        if (cancel_requested.load())
            break;
        Module94::port_settings = t.settings;
        Module94::set_lines_idle();
        const auto identity = identify_quietly();
        if (identity && !identity->models.empty()) {
            found.emplace(t, *identity);
            break;
        }
        if (!hardware::port_ready())
            break;
    }
    Module94::port_settings = stored;
    Module94::set_lines_idle();
    return found;
}

diagnosis_step check_chip() {
    diagnosis_step step{"Chip", step_result::passed, {}};
    const auto identity = identify_quietly();
    if (!identity) {
        step.result = step_result::failed;
        step.detail = "the port failed: " +
                      hardware::failure_text(hardware::current_port_backend().status()) + ".";
        return step;
    }
    const auto& table = devices::device_database();
    const std::string id = " (device ID " + id_text(identity->raw) + ")";
    switch (identity->verdict) {
    case identity_verdict::matches:
        step.detail = identified_parts(table, *identity) + id + ", the selected model.";
        return step;
    case identity_verdict::other_model:
        step.detail = identified_parts(table, *identity) + id + " answers; the selected model is " +
                      devices::selected_model().values.name + ": select the chip's model.";
        return step;
    case identity_verdict::unknown_id:
    case identity_verdict::no_chip:
        break;
    }
    step.result = step_result::failed;
    step.detail = identity->verdict == identity_verdict::no_chip
                      ? "no chip answers: the device ID reads " + id_text(identity->raw) + "."
                      : "the device ID reads " + id_text(identity->raw) +
                            ", which no model of the device database has.";
    if (const auto found = find_working_setting()) {
        step.detail += " With " + found->first.change + " the chip answers as " +
                       identified_parts(table, found->second) + " (device ID " +
                       id_text(found->second.raw) +
                       "): change that setting in Hardware > Settings.";
        return step;
    }
    if (identity->verdict == identity_verdict::no_chip)
        step.detail += "\r\nLikely causes, most likely first:\r\n" + no_chip_causes();
    return step;
}

} // namespace

bool adapter_diagnosis::passed() const {
    for (const auto& step : steps)
        if (step.result != step_result::passed)
            return false;
    return !steps.empty();
}

std::string adapter_diagnosis::report() const {
    std::string text;
    int number = 0;
    for (const auto& step : steps) {
        const char* mark = step.result == step_result::passed   ? "ok"
                           : step.result == step_result::failed ? "FAILED"
                                                                : "not checked";
        text += std::to_string(++number) + ". " + step.name + " [" + mark + "]: " + step.detail +
                "\r\n";
    }
    return text + "\r\n" + verdict;
}

namespace {

// The installed port: open, or why not and, for a real port, each way of reaching it.
diagnosis_step check_port_access() {
    diagnosis_step step{"Port access", step_result::passed, {}};
    const hardware::port_backend& backend = hardware::current_port_backend();
    if (backend.is_ready()) {
        step.detail = backend.description() + " is open.";
        return step;
    }
    step.result = step_result::failed;
    step.detail = hardware::failure_text(backend.status()) + ".";
    if (!hardware::port_session_settings().simulate)
        step.detail += "\r\n" + hardware::port_access_for(Module94::port_settings.port_base).text;
    return step;
}

} // namespace

adapter_diagnosis diagnose_adapter() {
    const diagnosis_step port_step = check_port_access();
    adapter_diagnosis diagnosis;
    diagnosis.steps.push_back(port_step);
    if (port_step.result == step_result::passed && hardware::port_ready()) {
        cancel_requested.store(false);
        core::notify(core::host_event::operation_started);
        diagnosis.steps.push_back(check_lines());
        if (diagnosis.steps.back().result == step_result::passed)
            diagnosis.steps.push_back(check_chip());
        Module94::ensure_lines_safe();
        core::notify(core::host_event::operation_ended);
    }
    const std::size_t last = diagnosis.steps.size() - 1;
    const bool all_passed = diagnosis.steps[last].result == step_result::passed;
    const std::string broken = diagnosis.steps[last].name;
    for (const char* name : {"Lines", "Chip"})
        if (std::none_of(diagnosis.steps.begin(), diagnosis.steps.end(),
                         [name](const diagnosis_step& step) { return step.name == name; }))
            diagnosis.steps.push_back({name, step_result::skipped, "not checked."});
    if (all_passed)
        diagnosis.verdict = "Verdict: the port, the lines and the chip answer as they should.";
    else
        diagnosis.verdict = "Verdict: stopped at step " + std::to_string(last + 1) + " (" + broken +
                            "); its text above names the fix.";
    return diagnosis;
}

} // namespace Module1
