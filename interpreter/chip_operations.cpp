// Chip operations around the interpreter: preparation, the run, and the report.
#include "interpreter/chip_operations.h"

#include "core/host_hooks.h"
#include "devices/algorithm_check.h"
#include "hardware/device_id_read.h"
#include "hardware/line_driver.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/serial_transfer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/code_protection.h"
#include "interpreter/config_differences.h"
#include "interpreter/deferred_reads.h"
#include "interpreter/model_power.h"

#include <optional>

namespace Module1 {

namespace {

enum class kind { program, read, erase, blank, verify, config_write, config_verify };

struct operation_texts {
    const char* name;        // for messages
    const char* start;       // start caption
    const char* finish;      // finish caption (no differences)
    const char* failed;      // finish caption with differences (blank check, verify)
    const char* report_lead; // first line of the failure report message
};

const operation_texts& texts_of(kind k) {
    static const operation_texts all[] = {
        {"Program All", "Begin program all.", "Chip programmed. ", "", ""},
        {"Read All", "Begin read all.", "Chip read. ", "", ""},
        {"Erase All", "Begin erase all.", "Chip erased. ", "", ""},
        {"Blank Check", "Begin blank check.", "Chip is blank. ", "Chip is not blank. ",
         "Chip is not blank:"},
        {"Verify", "Begin verify.", "Chip verified. ", "Chip verify failed. ",
         "Chip verify failed:"},
        {"Configuration write", "Begin configuration write.", "Configuration written. ", "", ""},
        {"Configuration verify", "Begin configuration verify.", "Configuration verified. ",
         "Configuration verify failed. ", "Configuration verify failed:"},
    };
    return all[static_cast<int>(k)];
}

const devices::instruction_list& list_of(kind k) {
    const auto& model = devices::selected_model().values;
    switch (k) {
    case kind::program:
        return model.program_list;
    case kind::read:
        return model.read_list;
    case kind::erase:
        return model.erase_list;
    case kind::blank:
        return model.blankcheck_list;
    case kind::config_write: // the algorithm its section is taken from
        return model.program_list;
    case kind::verify:
    case kind::config_verify:
        break;
    }
    return model.verify_list;
}

// Checks that the operation can start with `list`; tells the user why not.
bool may_start(kind k, const devices::instruction_list& list) {
    const auto& texts = texts_of(k);
    if (!hardware::port_ready()) {
        const std::string why = hardware::failure_text(hardware::current_line_driver().status());
        core::set_status(std::string(texts.name) + " not started: the port is not ready.");
        core::mymsgbox(std::string(texts.name) +
                           " cannot start: " + (why.empty() ? "no parallel port is open." : why),
                       core::msg_error, "");
        return false;
    }
    // An algorithm the interpreter cannot finish (including one with an instruction it
    // does not know, which would end the program half-way) never starts.
    const auto fault = devices::run_fault(list, devices::selected_model().values.page_size,
                                          devices::selected_model().values.frame);
    if (fault) {
        core::set_status(std::string(texts.name) + " not started: the algorithm cannot run.");
        core::mymsgbox("The " + std::string(texts.name) + " algorithm of " +
                           devices::selected_model().values.name + " cannot run: " +
                           devices::fault_text(*fault) + ".\r\nCheck the device database.",
                       core::msg_error, "");
        return false;
    }
    return true;
}

void finish_caption(const std::string& caption) {
    core::set_status(caption);
    core::host_yield();
}

bool powers_up(std::int32_t ip) {
    const auto& run = algorithm_run;
    return ip >= 1 && ip <= run.instruction_count &&
           run.decoded[static_cast<std::size_t>(ip)].op == devices::opcode::begin;
}

// Reads the device ID of the powered chip and judges it; stops the run unless it is the
// selected model. A port that fails during the read stops it as a port failure: what a
// dead port returns is no answer of the chip's.
void check_identity_now(operation_result& result) {
    const std::optional<std::uint16_t> raw =
        hardware::read_device_id(devices::is_eight_bit(devices::selected_model().values.frame));
    if (!raw) {
        algorithm_run.stop = run_stop::port_failed;
        return;
    }
    result.identity =
        judge_identity(*raw, devices::device_database(), devices::selected_model().values);
    if (result.identity->verdict != identity_verdict::matches)
        algorithm_run.stop = run_stop::identity;
}

// A port that failed anywhere in the run, its power-down included, decides its outcome:
// whatever else stopped it, the supplies may still be on and nothing done can be trusted.
// (An unrecognised instruction has ended the program already.)
void note_lost_port() {
    if (!hardware::port_ready() && algorithm_run.stop != run_stop::unrecognised)
        algorithm_run.stop = run_stop::port_failed;
}

// Read All clears the image only once it is sure to read the selected model's chip.
void clear_image_for_read() {
    image::erase_image(image::program_image(), devices::selected_model().values);
    core::notify(core::host_event::image_changed);
    core::host_yield();
}

// The run itself: the identity check at the first power-up (or in a power cycle of its own
// when the algorithm does not start with one), then instruction by instruction until the
// end, a stop, a cancel or a port failure.
void run_instructions(kind k, bool check_identity, operation_result& result) {
    bool identity_due = check_identity && devices::selected_model().values.device_id.has_value();
    if (identity_due && !powers_up(1)) {
        identity_due = false;
        power_up_for(devices::selected_model().values);
        if (hardware::port_ready())
            check_identity_now(result);
        Module94::ensure_lines_safe();
        note_lost_port();
        if (algorithm_run.stop != run_stop::none)
            return;
    }
    if (k == kind::read && !identity_due)
        clear_image_for_read();

    algorithm_run.ip = 1;
    while (run_continues()) {
        if (cancel_requested.load()) {
            algorithm_run.stop = run_stop::cancelled;
            break;
        }
        const bool checks_now = identity_due && powers_up(algorithm_run.ip);
        run_step();
        if (checks_now && hardware::port_ready() && algorithm_run.stop == run_stop::none) {
            identity_due = false;
            check_identity_now(result);
            if (algorithm_run.stop == run_stop::none && k == kind::read)
                clear_image_for_read();
        }
        if (!hardware::port_ready() && algorithm_run.stop == run_stop::none)
            algorithm_run.stop = run_stop::port_failed;
    }
    // What the driver still holds resolves now; a run that did not end as planned keeps
    // none of it.
    if (algorithm_run.stop == run_stop::none && hardware::port_ready())
        settle_reads(true);
    note_lost_port();
    if (algorithm_run.stop != run_stop::none)
        drop_waiting_reads();
}

// The outcome of a run that did not reach its end with the chip as expected; nullopt when
// it ran to its end.
std::optional<operation_outcome> stopped_outcome(kind k, operation_result& result) {
    const auto& texts = texts_of(k);
    const std::string name = texts.name;
    switch (algorithm_run.stop) {
    case run_stop::none:
        break;
    case run_stop::unrecognised:
        return operation_outcome::terminated;
    case run_stop::write_timeout:
        result.caption = name + " stopped: the chip never finished its write.";
        finish_caption(result.caption);
        core::mymsgbox(name +
                           " stopped: the chip never finished its write (no end of write within "
                           "1 second).\r\nVDD and VPP are off. Check the adapter, the wiring and "
                           "the pin settings.",
                       core::msg_error, "");
        return operation_outcome::write_timeout;
    case run_stop::runaway_loop: {
        const auto ip = static_cast<std::size_t>(algorithm_run.ip);
        result.caption = name + " stopped: a loop never ended; VDD and VPP are off.";
        finish_caption(result.caption);
        core::mymsgbox(name + " of " + devices::selected_model().values.name +
                           " stopped: the loop that ends at instruction " + std::to_string(ip) +
                           " ('" + algorithm_run.instructions[ip] +
                           "') of its algorithm went round " +
                           std::to_string(algorithm_run.loop_passes) +
                           " times, more than the model's memory sizes explain.\r\nVDD and VPP "
                           "are off. Check the algorithm in the device database (pinwright-cli "
                           "check-devices).",
                       core::msg_error, "");
        return operation_outcome::runaway_loop;
    }
    case run_stop::cancelled:
        result.caption = cancelled_caption(name);
        finish_caption(result.caption);
        return operation_outcome::cancelled;
    case run_stop::identity: {
        const chip_identity& identity = *result.identity;
        if (identity.verdict == identity_verdict::no_chip) {
            result.caption = name + " not done: no chip answers.";
            finish_caption(result.caption);
            core::mymsgbox(name + " not done. " + no_chip_text(identity.raw), core::msg_error, "");
            return operation_outcome::no_chip;
        }
        // The front end explains a wrong chip and offers its ways out.
        result.caption =
            name + " not done: the chip is not " + devices::selected_model().values.name + ".";
        finish_caption(result.caption);
        return operation_outcome::wrong_chip;
    }
    case run_stop::port_failed: {
        const auto status = hardware::current_line_driver().status();
        result.caption = name + " stopped: " + hardware::failure_text(status) + ".";
        finish_caption(result.caption);
        const bool writes = k == kind::program || k == kind::erase || k == kind::config_write;
        core::mymsgbox(name + " stopped: " + hardware::failure_text(status) +
                           ".\r\nVDD and VPP were switched off as far as the port still allows. " +
                           (writes ? "The chip may be partly written: erase it and program it "
                                     "again once the port works."
                                   : "What was read is incomplete and was not used; run " + name +
                                         " again once the port works."),
                       core::msg_error, "");
        return operation_outcome::port_failed;
    }
    }
    return std::nullopt;
}

// A verify whose differences read 00h may have met a code-protected chip: its
// configuration is read, and when it protects memory the chip is verified again with 00h
// taken as a match there, and the report names each protected area and the setting that
// protects it before the differences that remain.
void explain_protected_reads(operation_result& result) {
    const auto& model = devices::selected_model().values;
    const auto section = configuration_section(model.verify_list);
    // With every bit 0 every protection setting the model has is on.
    if (!section || read_protected_areas({}).empty())
        return;
    const std::int32_t found = algorithm_run.failure_count;
    const std::string report = algorithm_run.failure_report;
    const std::vector<check_difference> differences = algorithm_run.differences;
    auto run_again = [&result](const devices::instruction_list& list) {
        start_run(list);
        reset_report();
        run_instructions(kind::verify, false, result);
        Module94::ensure_lines_safe();
        note_lost_port();
        return algorithm_run.stop == run_stop::none;
    };
    if (!run_again(*section))
        return;
    const auto areas = read_protected_areas(algorithm_run.config_read);
    if (areas.empty()) {
        algorithm_run.failure_count = found;
        algorithm_run.failure_report = report;
        algorithm_run.differences = differences;
        return;
    }
    for (const protected_area& area : areas)
        algorithm_run.zero_read_areas.push_back({area.eeprom, area.first, area.last});
    const bool ran = run_again(model.verify_list);
    algorithm_run.zero_read_areas.clear();
    if (!ran)
        return;
    std::string explained;
    for (const protected_area& area : areas)
        explained += area_text(area) + " reads as zero: " + area.setting + " in " +
                     area.config_byte + " protects it.\r\n";
    explained += "Protected memory cannot be read back; to prove such a chip, program and verify "
                 "it in one run (pinwright-cli program --verify), which checks code and data "
                 "before the protection is written.\r\n";
    if (algorithm_run.failure_count == 0)
        explained += "Everything else matches the image.\r\n";
    else
        explained += "\r\n" + algorithm_run.failure_report;
    algorithm_run.failure_count += static_cast<std::int32_t>(areas.size());
    algorithm_run.failure_report = explained;
}

operation_result run_operation(kind k, const devices::instruction_list& list, bool check_identity) {
    const auto& texts = texts_of(k);
    operation_result result;
    if (!may_start(k, list)) {
        // A port that failed before the start (after its opening) is a port failure, not
        // a run that could not begin.
        const bool lost =
            hardware::current_line_driver().status().code == hardware::port_error::port_lost;
        result.outcome = lost ? operation_outcome::port_failed : operation_outcome::not_started;
        return result;
    }
    cancel_requested.store(false);
    start_run(list);
    const std::int64_t started = core::monotonic_us();
    const bool reports = k == kind::blank || k == kind::verify || k == kind::config_verify;
    if (reports)
        reset_report();
    core::notify(core::host_event::operation_started);
    core::set_status(texts.start);
    core::host_yield();

    run_instructions(k, check_identity, result);
    // Whatever the algorithm did, and however the run ended, the supplies end off and the
    // lines idle (a run that ended normally has done so already: no port access then).
    Module94::ensure_lines_safe();
    note_lost_port();
    if (k == kind::verify && algorithm_run.stop == run_stop::none && algorithm_run.zero_reads > 0)
        explain_protected_reads(result);
    core::notify(core::host_event::operation_ended);
    result.elapsed_us = core::monotonic_us() - started;
    result.counts = algorithm_run.counts;
    if (reports)
        result.differences = algorithm_run.differences;

    if (const auto stopped = stopped_outcome(k, result)) {
        result.outcome = *stopped;
        return result;
    }
    const std::string seconds = elapsed_text(result.elapsed_us) + " seconds elapsed...";
    if (reports && algorithm_run.failure_count > 0) {
        result.outcome = operation_outcome::differences;
        result.caption = texts.failed + seconds;
        finish_caption(result.caption);
        // After the table, the configuration settings that differ, by name.
        const std::string named = config_difference_lines(algorithm_run.differences);
        core::mymsgbox(std::string(texts.report_lead) + "\r\n\r\n" + algorithm_run.failure_report +
                           (named.empty() ? "" : "\r\n" + named),
                       core::msg_error, "");
        core::host_yield();
        return result;
    }
    result.caption = texts.finish + seconds;
    finish_caption(result.caption);
    if (k == kind::read) {
        core::notify(core::host_event::image_changed);
        core::host_yield();
    }
    return result;
}

} // namespace

std::string elapsed_text(std::int64_t microseconds) {
    if (microseconds < 0)
        microseconds = 0;
    const std::int64_t whole = microseconds / 1'000'000;
    const std::int64_t hundredths = (microseconds % 1'000'000) / 10'000;
    return std::to_string(whole) + "." + (hundredths < 10 ? "0" : "") + std::to_string(hundredths);
}

std::string cancelled_caption(const std::string& operation_name) {
    return operation_name + " cancelled; VDD and VPP are off.";
}

operation_result program_all(bool check_identity) {
    return run_operation(kind::program, list_of(kind::program), check_identity);
}
operation_result read_all(bool check_identity) {
    return run_operation(kind::read, list_of(kind::read), check_identity);
}
operation_result erase_all(bool check_identity) {
    return run_operation(kind::erase, list_of(kind::erase), check_identity);
}
operation_result blank_check(bool check_identity) {
    return run_operation(kind::blank, list_of(kind::blank), check_identity);
}
operation_result verify_all(bool check_identity) {
    return run_operation(kind::verify, list_of(kind::verify), check_identity);
}

namespace {

// The configuration section of kind `k`'s algorithm run as an operation of its own.
operation_result run_configuration_section(kind k) {
    const auto section = configuration_section(list_of(k));
    if (!section) {
        operation_result result;
        result.outcome = operation_outcome::not_started;
        result.caption = std::string(texts_of(k).name) + " not started: the algorithm of " +
                         devices::selected_model().values.name +
                         " has no configuration section of its own.";
        finish_caption(result.caption);
        return result;
    }
    return run_operation(k, *section, false);
}

} // namespace

operation_result write_configuration() {
    return run_configuration_section(kind::config_write);
}
operation_result verify_configuration() {
    return run_configuration_section(kind::config_verify);
}

} // namespace Module1
