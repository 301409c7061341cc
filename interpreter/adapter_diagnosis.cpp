// The adapter diagnosis: the line check, the chip check with its tries of other settings,
// and the report.
#include "interpreter/adapter_diagnosis.h"

#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/adapter_presets.h"
#include "hardware/connector_pins.h"
#include "hardware/ftdi_line_driver.h"
#include "hardware/ftdi_stream.h"
#include "hardware/gpio_line_driver.h"
#include "hardware/line_driver.h"
#include "hardware/parallel_line_driver.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_list.h"
#include "hardware/port_session.h"
#include "hardware/preset_wiring.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_identity.h"
#include "settings/stored_wiring.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace Module1 {

namespace {

// The lines whose settings the chip check tries.
enum class line_role { clock, data_out, data_in };

// How DATA IN answers DATA OUT with no chip driving PGD.
enum class loop_back { follows, inverted, stays };

struct lines_check {
    diagnosis_step step;
    loop_back relation = loop_back::follows;
};

const std::string lines_lead = "with VDD and VPP off, DATA OUT driven high and low: ";

// DATA IN as read back (stored pin and inversion) while DATA OUT is driven high, then low;
// VDD and VPP stay off. An inverted answer is judged once the chip has been tried
// (judge_inverted_lines): a wrong DATA IN inversion and a wrong DATA OUT inversion look
// the same here.
lines_check check_lines() {
    lines_check check{{"Lines", step_result::passed, {}}, loop_back::follows};
    diagnosis_step& step = check.step;
    Module94::set_lines_idle();
    Module94::data_high();
    const std::int32_t with_high = Module94::read_data_in();
    Module94::data_low();
    const std::int32_t with_low = Module94::read_data_in();
    if (with_high == 1 && with_low == 0) {
        step.detail = lines_lead + "DATA IN follows DATA OUT, as on adapters that read PGD back.";
    } else if (with_high == 0 && with_low == 1) {
        check.relation = loop_back::inverted;
        step.result = step_result::failed;
    } else {
        check.relation = loop_back::stays;
        step.detail = lines_lead + "DATA IN stays " + (with_high == 1 ? "high" : "low") +
                      ". Many adapters read PGD back through DATA IN, so with no chip DATA IN "
                      "follows DATA OUT; some adapters do not. On one that does, this means DATA "
                      "IN's or DATA OUT's pin, or the cable, is wrong.";
    }
    return check;
}

// The stored settings that differ in `tried`, in line order, pin before inversion.
std::vector<setting_change> changes_between(const Module94::port_settings_record& stored,
                                            const Module94::port_settings_record& tried) {
    std::vector<setting_change> changes;
    for (const settings::wiring_line& line : settings::wiring_lines) {
        if (tried.*line.pin != stored.*line.pin)
            changes.push_back({line.pin_setting, tried.*line.pin, {}});
        if ((tried.*line.invert != 0) != (stored.*line.invert != 0))
            changes.push_back({line.invert_setting, tried.*line.invert, {}});
    }
    return changes;
}

// The FTDI settings that differ in `tried`, in line order, bit before inversion; a bit
// with its pin's name.
std::vector<setting_change> changes_between(const settings::ftdi_wiring& stored,
                                            const settings::ftdi_wiring& tried) {
    std::vector<setting_change> changes;
    for (const settings::ftdi_wiring_line& entry : settings::ftdi_wiring_lines) {
        const settings::ftdi_line& was = stored.*entry.line;
        const settings::ftdi_line& now = tried.*entry.line;
        if (now.bit != was.bit)
            changes.push_back({entry.bit_setting, now.bit, hardware::ftdi_pin_name(now.bit)});
        if (now.inverted != was.inverted)
            changes.push_back({entry.invert_setting, now.inverted ? 1 : 0, {}});
    }
    return changes;
}

// The GPIO settings that differ in `tried`, in line order, offset before inversion.
std::vector<setting_change> changes_between(const settings::gpio_wiring& stored,
                                            const settings::gpio_wiring& tried) {
    std::vector<setting_change> changes;
    for (const settings::gpio_wiring_line& entry : settings::gpio_wiring_lines) {
        const settings::gpio_line& was = stored.*entry.line;
        const settings::gpio_line& now = tried.*entry.line;
        if (now.offset != was.offset)
            changes.push_back({entry.offset_setting, now.offset, {}});
        if (now.inverted != was.inverted)
            changes.push_back({entry.invert_setting, now.inverted ? 1 : 0, {}});
    }
    return changes;
}

// "\"DATAIN Pin Num\" set to 10 and \"Invert DATAIN\" to 0"; an FTDI bit as
// "\"FTDI DATAIN Bit\" set to 4 (D4 (DTR))".
std::string changes_text(const std::vector<setting_change>& changes) {
    std::string text;
    for (const setting_change& change : changes)
        text += (text.empty() ? "\"" : " and \"") + change.name + "\"" +
                (text.empty() ? " set to " : " to ") + std::to_string(change.value) +
                (change.shown.empty() ? "" : " (" + change.shown + ")");
    return text;
}

// "change that setting in Hardware > Settings.", or "those settings" for several.
std::string change_advice(const std::vector<setting_change>& changes) {
    return std::string("change ") + (changes.size() > 1 ? "those settings" : "that setting") +
           " in Hardware > Settings.";
}

// The settings of input and signal lines to try when no chip answers: each inversion of
// CLOCK, DATA OUT and DATA IN, both data inversions at once (which the line check cannot
// see, as DATA IN then follows DATA OUT), and every other DATA IN pin (`other_inputs`),
// with its inversion as stored, then the other way.
template <typename Wiring, typename Flip, typename MoveDataIn>
std::vector<Wiring> tries_from(const Wiring& stored, Flip flip,
                               const std::vector<std::int32_t>& other_inputs,
                               MoveDataIn move_data_in) {
    std::vector<Wiring> tries;
    auto add = [&](auto edit) {
        tries.push_back(stored);
        edit(tries.back());
    };
    add([&](Wiring& s) { flip(s, line_role::data_in); });
    add([&](Wiring& s) { flip(s, line_role::clock); });
    add([&](Wiring& s) { flip(s, line_role::data_out); });
    add([&](Wiring& s) {
        flip(s, line_role::data_out);
        flip(s, line_role::data_in);
    });
    for (const std::int32_t pin : other_inputs)
        for (const bool invert_other_way : {false, true})
            add([&](Wiring& s) {
                move_data_in(s, pin);
                if (invert_other_way)
                    flip(s, line_role::data_in);
            });
    return tries;
}

std::vector<Module94::port_settings_record>
tries_from(const Module94::port_settings_record& stored) {
    std::vector<std::int32_t> others;
    for (const std::int32_t pin : hardware::pins_of(hardware::pin_direction::input))
        if (pin != stored.pin_datain)
            others.push_back(pin);
    const auto flip = [](Module94::port_settings_record& s, line_role role) {
        std::int32_t& invert = role == line_role::data_in    ? s.invert_datain
                               : role == line_role::data_out ? s.invert_dataout
                                                             : s.invert_clock;
        invert = invert ? 0 : 1;
    };
    return tries_from(
        stored, flip, others,
        [](Module94::port_settings_record& s, std::int32_t pin) { s.pin_datain = pin; });
}

// On an FTDI board DATA IN may sit on any bit that none of the four outputs uses.
std::vector<settings::ftdi_wiring> tries_for(const hardware::ftdi_line_driver& session) {
    const settings::ftdi_wiring& stored = session.wiring();
    std::vector<std::int32_t> others;
    for (std::int32_t bit = 0; bit < 8; ++bit)
        if (bit != stored.vdd.bit && bit != stored.vpp.bit && bit != stored.clock.bit &&
            bit != stored.data_out.bit && bit != stored.data_in.bit)
            others.push_back(bit);
    const auto flip = [](settings::ftdi_wiring& s, line_role role) {
        settings::ftdi_line& line = role == line_role::data_in    ? s.data_in
                                    : role == line_role::data_out ? s.data_out
                                                                  : s.clock;
        line.inverted = !line.inverted;
    };
    return tries_from(stored, flip, others,
                      [](settings::ftdi_wiring& s, std::int32_t bit) { s.data_in.bit = bit; });
}

// On a GPIO chip DATA IN may sit on any line of the chip that none of the four outputs
// uses; the nearest to the stored one first, as a header's neighbouring pin is the likely
// slip.
std::vector<settings::gpio_wiring> tries_for(const hardware::gpio_line_driver& session) {
    const settings::gpio_wiring& stored = session.wiring();
    std::vector<std::int32_t> others;
    for (std::int32_t offset = 0; offset < session.chip_lines(); ++offset)
        if (offset != stored.vdd.offset && offset != stored.vpp.offset &&
            offset != stored.clock.offset && offset != stored.data_out.offset &&
            offset != stored.data_in.offset)
            others.push_back(offset);
    std::stable_sort(others.begin(), others.end(), [&](std::int32_t a, std::int32_t b) {
        return std::abs(a - stored.data_in.offset) < std::abs(b - stored.data_in.offset);
    });
    const auto flip = [](settings::gpio_wiring& s, line_role role) {
        settings::gpio_line& line = role == line_role::data_in    ? s.data_in
                                    : role == line_role::data_out ? s.data_out
                                                                  : s.clock;
        line.inverted = !line.inverted;
    };
    return tries_from(stored, flip, others, [](settings::gpio_wiring& s, std::int32_t offset) {
        s.data_in.offset = offset;
    });
}

struct working_setting {
    std::vector<setting_change> changes;
    chip_identity identity;
    std::vector<std::string> presets; // the adapter presets with the working wiring
};

// " This wiring is the adapter preset \"A\" (as are \"B\" and \"C\"): ...", or "".
std::string presets_text(const std::vector<std::string>& names) {
    if (names.empty())
        return {};
    std::string others;
    for (std::size_t k = 1; k < names.size(); ++k)
        others += (k == 1 ? "" : k + 1 == names.size() ? " and " : ", ") + ("\"" + names[k] + "\"");
    return " This wiring is the adapter preset \"" + names.front() + "\"" +
           (others.empty() ? "" : " (as are " + others + ")") +
           ": Hardware > Adapter Preset... applies it.";
}

// Whether the socket's chip answers to a model: false too when the port failed, which
// `ready` then says.
bool model_answers(std::optional<chip_identity>& identity, bool& ready) {
    Module94::set_lines_idle();
    identity = identify_quietly();
    ready = hardware::port_ready();
    return identity && !identity->models.empty();
}

// Identifies the socket with each try in turn, each on a parallel driver of its own with
// the tried wiring, so the stored wiring is never touched; the first that makes a model
// answer. The session's driver is back in place afterwards.
std::optional<working_setting> find_working_setting(const hardware::parallel_line_driver&) {
    const Module94::port_settings_record& stored = Module94::port_settings;
    std::optional<working_setting> found;
    for (const Module94::port_settings_record& tried : tries_from(stored)) {
        if (cancel_requested.load())
            break;
        auto session_driver = hardware::install_line_driver(
            std::make_unique<hardware::parallel_line_driver>(tried, Module94::port_pacing));
        std::optional<chip_identity> identity;
        bool ready = false;
        const bool answers = model_answers(identity, ready);
        hardware::install_line_driver(std::move(session_driver));
        if (answers) {
            found = working_setting{changes_between(stored, tried), *identity,
                                    hardware::presets_matching(hardware::program_presets(), tried)};
            break;
        }
        if (!ready)
            break;
    }
    Module94::set_lines_idle();
    return found;
}

// The same on an FTDI board or a GPIO chip: the adapter takes one driver at a time, so the
// session's driver is closed while each try opens a driver of its own on it, and reopened
// last.
template <typename Driver>
std::optional<working_setting> find_working_setting_reopening(Driver& session) {
    const auto stored = session.wiring();
    const auto tries = tries_for(session);
    std::optional<working_setting> found;
    session.close();
    for (const auto& tried : tries) {
        if (cancel_requested.load())
            break;
        std::unique_ptr<Driver> trial = session.rewired(tried);
        trial->open();
        auto session_driver = hardware::install_line_driver(std::move(trial));
        std::optional<chip_identity> identity;
        bool ready = false;
        const bool answers = model_answers(identity, ready);
        hardware::install_line_driver(std::move(session_driver)); // closes the trial's
        if (answers) {
            found = working_setting{changes_between(stored, tried), *identity,
                                    hardware::presets_matching(hardware::program_presets(), tried)};
            break;
        }
        if (!ready)
            break;
    }
    session.open();
    Module94::set_lines_idle();
    return found;
}

// Tries other settings on the session's adapter, when its kind has settings to try.
std::optional<working_setting> find_working_setting() {
    hardware::line_driver& driver = hardware::current_line_driver();
    if (auto* parallel = dynamic_cast<hardware::parallel_line_driver*>(&driver))
        return find_working_setting(*parallel);
    if (auto* ftdi = dynamic_cast<hardware::ftdi_line_driver*>(&driver))
        return find_working_setting_reopening(*ftdi);
    if (auto* gpio = dynamic_cast<hardware::gpio_line_driver*>(&driver))
        return find_working_setting_reopening(*gpio);
    return std::nullopt;
}

struct chip_check {
    diagnosis_step step;
    bool answers = false;                 // a model answers with the stored settings
    std::optional<working_setting> found; // else the settings one answers with
};

chip_check check_chip() {
    chip_check check{{"Chip", step_result::passed, {}}, false, std::nullopt};
    diagnosis_step& step = check.step;
    const auto identity = identify_quietly();
    if (!identity) {
        step.result = step_result::failed;
        step.detail =
            "the port failed: " + hardware::failure_text(hardware::current_line_driver().status()) +
            ".";
        return check;
    }
    const auto& table = devices::device_database();
    const std::string id =
        " (device ID " + id_text(identity->raw) + revision_id_text(*identity) + ")";
    switch (identity->verdict) {
    case identity_verdict::matches:
        check.answers = true;
        step.detail = identified_parts(table, *identity) + id + ", the selected model.";
        return check;
    case identity_verdict::other_model:
        check.answers = true;
        step.detail = identified_parts(table, *identity) + id + " answers; the selected model is " +
                      devices::selected_model().values.name + ": select the chip's model.";
        return check;
    case identity_verdict::unknown_id:
    case identity_verdict::no_chip:
        break;
    }
    step.result = step_result::failed;
    step.detail = identity->verdict == identity_verdict::no_chip
                      ? "no chip answers: the device ID reads " + id_text(identity->raw) + "."
                      : "the device ID reads " + id_text(identity->raw) +
                            ", which no model of the device database has.";
    check.found = find_working_setting();
    if (check.found) {
        step.detail += " With " + changes_text(check.found->changes) + " the chip answers as " +
                       identified_parts(table, check.found->identity) + " (device ID " +
                       id_text(check.found->identity.raw) +
                       "): " + change_advice(check.found->changes) +
                       presets_text(check.found->presets);
        return check;
    }
    if (identity->verdict == identity_verdict::no_chip)
        step.detail += "\r\nLikely causes, most likely first:\r\n" + no_chip_causes();
    return check;
}

// The names of the stored data inversions on the session's adapter.
struct inversion_settings {
    std::string data_in, data_out;
};

inversion_settings session_inversion_settings() {
    if (dynamic_cast<hardware::ftdi_line_driver*>(&hardware::current_line_driver()))
        return {settings::ftdi_wiring_lines[4].invert_setting,
                settings::ftdi_wiring_lines[3].invert_setting};
    if (dynamic_cast<hardware::gpio_line_driver*>(&hardware::current_line_driver()))
        return {settings::gpio_wiring_lines[4].invert_setting,
                settings::gpio_wiring_lines[3].invert_setting};
    return {settings::wiring_lines[4].invert_setting, settings::wiring_lines[3].invert_setting};
}

// DATA IN follows DATA OUT inverted, both with VDD off and while the chip does not drive
// PGD, whether DATA IN's inversion or DATA OUT's is the wrong one: the chip's answer
// decides which.
void judge_inverted_lines(diagnosis_step& lines, const chip_check& chip,
                          const inversion_settings& names) {
    const std::string inverted = lines_lead + "DATA IN follows DATA OUT inverted";
    if (chip.answers) {
        lines.result = step_result::passed;
        lines.detail = inverted + ", yet the chip answers with these settings (step 3): this "
                                  "adapter reads PGD back inverted; nothing to change.";
        return;
    }
    const std::string wrong_way = inverted + ". The inversion of DATA IN (or of DATA OUT) in "
                                             "the hardware settings is the wrong way round";
    const std::string& datain_inversion = names.data_in;
    const std::string datain_advice =
        ": change \"" + datain_inversion + "\" in Hardware > Settings.";
    const std::string cannot_tell = "The line check cannot tell which of the two";
    if (!chip.found) {
        lines.detail = wrong_way + datain_advice + " " + cannot_tell +
                       ", and no chip answered to settle it (step 3): if none answers after that "
                       "change, set \"" +
                       datain_inversion + "\" back and change \"" + names.data_out + "\" instead.";
        return;
    }
    const std::vector<setting_change>& changes = chip.found->changes;
    if (changes.size() == 1 && changes.front().name == datain_inversion)
        lines.detail = wrong_way + datain_advice + " The chip answers with that change (step 3).";
    else
        lines.detail = wrong_way + ". " + cannot_tell + "; the chip answers with " +
                       changes_text(changes) + " (step 3): " + change_advice(changes);
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
    const hardware::line_driver& driver = hardware::current_line_driver();
    if (driver.is_ready()) {
        step.detail = driver.description() + " is open.";
        return step;
    }
    step.result = step_result::failed;
    step.detail = hardware::failure_text(driver.status()) + ".";
    if (const std::string access = hardware::session_access_text(); !access.empty())
        step.detail += "\r\n" + access;
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
        const lines_check lines = check_lines();
        diagnosis.steps.push_back(lines.step);
        if (lines.step.result == step_result::passed || lines.relation == loop_back::inverted) {
            const chip_check chip = check_chip();
            if (lines.relation == loop_back::inverted)
                judge_inverted_lines(diagnosis.steps.back(), chip, session_inversion_settings());
            diagnosis.steps.push_back(chip.step);
            if (chip.found)
                diagnosis.fix = chip.found->changes;
        }
        Module94::ensure_lines_safe();
        core::notify(core::host_event::operation_ended);
    }
    // The first step that did not pass; the last when all did.
    const auto broken =
        std::find_if(diagnosis.steps.begin(), diagnosis.steps.end(),
                     [](const diagnosis_step& s) { return s.result != step_result::passed; });
    const bool all_passed = broken == diagnosis.steps.end();
    const std::size_t stopped = static_cast<std::size_t>(broken - diagnosis.steps.begin());
    const std::string broken_name = all_passed ? std::string() : broken->name;
    for (const char* name : {"Lines", "Chip"})
        if (std::none_of(diagnosis.steps.begin(), diagnosis.steps.end(),
                         [name](const diagnosis_step& step) { return step.name == name; }))
            diagnosis.steps.push_back({name, step_result::skipped, "not checked."});
    if (all_passed)
        diagnosis.verdict = "Verdict: the port, the lines and the chip answer as they should.";
    else
        diagnosis.verdict = "Verdict: stopped at step " + std::to_string(stopped + 1) + " (" +
                            broken_name + "); its text above names the fix.";
    return diagnosis;
}

} // namespace Module1
