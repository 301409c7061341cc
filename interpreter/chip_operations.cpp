// Chip operations around the interpreter: preparation, the run, and the report.
#include "interpreter/chip_operations.h"

#include "core/host_hooks.h"
#include "devices/algorithm_check.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/serial_transfer.h"
#include "interpreter/algorithm_run.h"

namespace Module1 {

namespace {

enum class kind { program, read, erase, blank, verify };

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
    case kind::verify:
        break;
    }
    return model.verify_list;
}

// Checks that the operation can start; tells the user why not.
bool may_start(kind k) {
    const auto& texts = texts_of(k);
    if (!hardware::port_ready()) {
        const std::string why = hardware::failure_text(hardware::current_port_backend().status());
        core::set_status(std::string(texts.name) + " not started: the port is not ready.");
        core::mymsgbox(std::string(texts.name) +
                           " cannot start: " + (why.empty() ? "no parallel port is open." : why),
                       core::msg_error, "");
        return false;
    }
    // An algorithm the interpreter cannot finish (including one with an instruction it
    // does not know, which would end the program half-way) never starts.
    const auto fault = devices::run_fault(list_of(k), devices::selected_model().values.page_size);
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

operation_result run_operation(kind k) {
    const auto& texts = texts_of(k);
    operation_result result;
    if (!may_start(k)) {
        result.outcome = operation_outcome::not_started;
        return result;
    }
    cancel_requested.store(false);
    start_run(list_of(k));
    const std::int64_t started = core::monotonic_us();
    const bool reports = k == kind::blank || k == kind::verify;
    if (reports)
        reset_report();
    core::notify(core::host_event::operation_started);
    core::set_status(texts.start);
    core::host_yield();
    if (k == kind::read) {
        image::erase_image(image::program_image(), devices::selected_model().values);
        core::notify(core::host_event::image_changed);
        core::host_yield();
    }

    algorithm_run.ip = 1;
    while (run_continues()) {
        if (cancel_requested.load()) {
            algorithm_run.stop = run_stop::cancelled;
            break;
        }
        run_step();
    }

    const run_stop stop = algorithm_run.stop;
    if (stop == run_stop::write_timeout || stop == run_stop::cancelled)
        Module94::power_down();
    core::notify(core::host_event::operation_ended);
    result.elapsed_us = core::monotonic_us() - started;
    const std::string seconds = elapsed_text(result.elapsed_us) + " seconds elapsed...";

    switch (stop) {
    case run_stop::unrecognised:
        result.outcome = operation_outcome::terminated;
        return result;
    case run_stop::write_timeout:
        result.outcome = operation_outcome::write_timeout;
        result.caption = std::string(texts.name) + " stopped: the chip never finished its write.";
        finish_caption(result.caption);
        core::mymsgbox(std::string(texts.name) +
                           " stopped: the chip never finished its write (no end of write within "
                           "1 second).\r\nVDD and VPP are off. Check the adapter, the wiring and "
                           "the pin settings.",
                       core::msg_error, "");
        return result;
    case run_stop::runaway_loop: {
        Module94::power_down();
        const auto ip = static_cast<std::size_t>(algorithm_run.ip);
        result.outcome = operation_outcome::runaway_loop;
        result.caption =
            std::string(texts.name) + " stopped: a loop never ended; VDD and VPP are off.";
        finish_caption(result.caption);
        core::mymsgbox(std::string(texts.name) + " of " + devices::selected_model().values.name +
                           " stopped: the loop that ends at instruction " + std::to_string(ip) +
                           " ('" + algorithm_run.instructions[ip] +
                           "') of its algorithm went round " +
                           std::to_string(algorithm_run.loop_passes) +
                           " times, more than the model's memory sizes explain.\r\nVDD and VPP "
                           "are off. Check the algorithm in the device database (pinwright-cli "
                           "check-devices).",
                       core::msg_error, "");
        return result;
    }
    case run_stop::cancelled:
        result.outcome = operation_outcome::cancelled;
        result.caption = std::string(texts.name) + " cancelled; VDD and VPP are off.";
        finish_caption(result.caption);
        return result;
    case run_stop::none:
        break;
    }

    if (reports && algorithm_run.failure_count > 0) {
        result.outcome = operation_outcome::differences;
        result.caption = texts.failed + seconds;
        finish_caption(result.caption);
        core::mymsgbox(std::string(texts.report_lead) + "\r\n\r\n" + algorithm_run.failure_report,
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

operation_result program_all() {
    return run_operation(kind::program);
}
operation_result read_all() {
    return run_operation(kind::read);
}
operation_result erase_all() {
    return run_operation(kind::erase);
}
operation_result blank_check() {
    return run_operation(kind::blank);
}
operation_result verify_all() {
    return run_operation(kind::verify);
}

} // namespace Module1
