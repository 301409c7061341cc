// The chip commands of pinwright-cli: the same chip operations the window's buttons run,
// on a real port or on the simulated adapter with a virtual chip. `program --verify` runs
// Verify after Program All in the same session. Every command that powers a chip first
// checks the adapter's voltages against the model's ranges, before the port is opened
// (against every model for a chip not named yet).
#include "cli/chip_commands.h"

#include "cli/json_output.h"
#include "cli/port_commands.h"
#include "cli/preset_commands.h"
#include "cli/progress_display.h"
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "core/whole_file.h"
#include "devices/selected_model.h"
#include "hardware/line_driver.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_list.h"
#include "hardware/port_selection.h"
#include "hardware/port_session.h"
#include "image/hex_fit.h"
#include "image/hex_load.h"
#include "image/hex_writer.h"
#include "image/memory_buffer.h"
#include "interpreter/adapter_diagnosis.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_identity.h"
#include "interpreter/chip_operations.h"
#include "interpreter/code_protection.h"
#include "interpreter/voltage_check.h"
#include "settings/stored_wiring.h"
#include "sim/virtual_chip.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iterator>
#include <memory>

namespace cli {

namespace {

constexpr int stop_signals[] = {SIGINT, SIGTERM, SIGHUP};

void on_stop_signal(int number) {
    // The run stops at the next instruction and powers the chip down; a second signal
    // ends the program at once.
    Module1::cancel_requested.store(true);
    std::signal(number, SIG_DFL);
}

void catch_stop_signals(bool enable) {
    for (const int number : stop_signals)
        std::signal(number, enable ? on_stop_signal : SIG_DFL);
    // A closed output pipe must not kill the process with the supplies on: writes then
    // fail instead, and the run goes on to its end.
    std::signal(SIGPIPE, enable ? SIG_IGN : SIG_DFL);
}

// Restores what the command changed in the process-wide state, whatever way it ends.
struct command_scope {
    core::host_hooks saved_hooks = core::hooks();
    ~command_scope() {
        // An adapter that drives its own lines (an FTDI board) is closed with its driver.
        hardware::install_line_driver(nullptr);
        hardware::install_port_backend(nullptr);
        hardware::configure_port_session({});
        core::install_hooks(saved_hooks);
        catch_stop_signals(false);
    }
};

int exit_code_of(Module1::operation_outcome outcome) {
    using Module1::operation_outcome;
    switch (outcome) {
    case operation_outcome::completed:
        return exit_success;
    case operation_outcome::differences:
        return exit_differences;
    case operation_outcome::not_started:
        return exit_bad_input; // the port was checked before: the algorithm cannot run
    case operation_outcome::write_timeout:
    case operation_outcome::runaway_loop:
        return exit_hardware;
    case operation_outcome::cancelled:
        return 130;
    case operation_outcome::terminated:
        return exit_bad_input;
    case operation_outcome::no_chip:
    case operation_outcome::port_failed:
        return exit_hardware;
    case operation_outcome::wrong_chip:
        return exit_wrong_chip;
    }
    return exit_bad_input;
}

} // namespace

bool is_chip_command(const std::string& command) {
    return command == "program" || command == "verify" || command == "read" || command == "erase" ||
           command == "blankcheck" || command == "identify" || command == "doctor";
}

namespace {

bool takes_file(const std::string& command) {
    return command == "program" || command == "verify" || command == "read";
}

// Refuses a file that program or verify cannot have been meant to use: one without any
// data record (programming it only erases the chip), one without its end-of-file record
// (a cut-off copy), and one with data beyond the model's memories, which would be
// dropped. `model_known` is false while the chip has still to name the model: the range
// is judged once it has.
int check_command_file(session& s, const image::hex_load_outcome& loaded, bool model_known) {
    const std::string& file = s.options.arguments[0];
    const image::hex_file_facts& facts = loaded.facts;
    if (!facts.data_record) {
        s.err << "pinwright-cli: " << file << " has no data record: "
              << (s.options.command == "program"
                      ? "programming it would leave the chip erased (to clear a chip, use erase)"
                      : "there is nothing to verify")
              << "; check that it is the file you meant\n";
        return exit_bad_input;
    }
    if (!facts.end_of_file) {
        s.err << "pinwright-cli: " << file
              << " ends without an end-of-file record: it may be cut short (copy or build it "
                 "again; a whole file ends with the line :00000001FF)\n";
        return exit_bad_input;
    }
    const devices::model_values& model = devices::selected_model().values;
    const std::string fitting = image::models_holding_text(devices::device_database(), facts);
    if (model_known ? facts.highest_out_of_range >= 0 : fitting.empty()) {
        s.err << "pinwright-cli: " << file << " has data up to address "
              << image::address_text(facts.highest_out_of_range) << ", beyond the memories of ";
        if (model_known)
            s.err << "the " << model.name << " (" << image::memory_ends_text(model, facts) << ")";
        else
            s.err << "every model";
        if (fitting.empty())
            s.err << "; no model of the device database holds all of it (check that it is the "
                     "file you meant)\n";
        else
            s.err << "; it fits " << fitting << " (choose the chip's model with --model NAME)\n";
        return exit_bad_input;
    }
    return exit_success;
}

// The image program and verify work from, loaded once the model is final. Before that
// (`model_known` false: --model auto), the file is read for the stored model only to refuse
// it before the port is opened if it cannot be meant.
int load_command_image(session& s, bool model_known = true) {
    const devices::model_values& model = devices::selected_model().values;
    image::erase_image(image::program_image(), model);
    const std::string& command = s.options.command;
    if (command == "program" || command == "verify") {
        const auto loaded =
            image::load_hex_file(s.options.arguments[0], image::program_image(), model);
        if (model_known || !loaded.accepted())
            show_hex_read(loaded);
        if (!loaded.accepted())
            return exit_bad_input;
        if (const int code = check_command_file(s, loaded, model_known); code != exit_success)
            return code;
        if (model_known && !s.options.quiet)
            s.err << loaded.status << '\n';
    }
    return exit_success;
}

// read: the file the chip's content goes to must be possible to create before the chip is
// powered, or the whole read would be lost at its end.
int check_read_output(session& s) {
    const std::string& file = s.options.arguments[0];
    const core::file_failure trial = core::can_replace_whole_file(file);
    if (trial.ok())
        return exit_success;
    s.err << "pinwright-cli: cannot create " << file << ": " << trial.reason
          << " (nothing was read; choose a file in a folder you may write to)\n";
    return exit_bad_input;
}

// The adapter from --port (its form only: a device is looked up later) or the stored
// setting. The simulated adapter, by --port sim or stored, is run as --simulate runs it;
// --simulate itself stands in for a parallel port only, at its base address.
int choose_adapter(session& s) {
    if (s.options.port) {
        const hardware::adapter_parse parse = hardware::parse_adapter(*s.options.port);
        if (!parse.error.empty()) {
            s.err << "pinwright-cli: " << parse.error << '\n';
            return exit_bad_input;
        }
        s.adapter = parse.adapter;
        if (s.options.simulate && !hardware::register_level(s.adapter.kind)) {
            s.err << "pinwright-cli: --simulate puts the simulated adapter in place of a "
                     "parallel port; it cannot be used with --port "
                  << *s.options.port << " (use --port sim alone)\n";
            return exit_bad_input;
        }
    } else {
        std::string problem;
        s.adapter = hardware::stored_adapter(&problem);
        if (!problem.empty())
            s.err << "pinwright-cli: warning: " << problem << '\n';
    }
    if (s.options.trace && !hardware::register_level(s.adapter.kind) && !s.options.simulate) {
        s.err << "pinwright-cli: --trace records the port registers of a parallel port or the "
                 "simulated adapter; the adapter "
              << hardware::adapter_text(s.adapter) << " has none\n";
        return exit_bad_input;
    }
    if (s.adapter.kind == hardware::adapter_kind::sim)
        s.options.simulate = true;
    return exit_success;
}

// The command line, the database, the model, the port address and the image to program or
// verify; on success the program's model, image and port settings are ready for the run.
int check_chip_command(session& s) {
    const std::string& command = s.options.command;
    if (s.options.arguments.size() != (takes_file(command) ? 1u : 0u)) {
        s.err << "pinwright-cli: " << command
              << (takes_file(command) ? " needs exactly one HEX file" : " takes no arguments")
              << " (see --help)\n";
        return exit_bad_input;
    }
    if (const int code = choose_adapter(s); code != exit_success)
        return code;
    if (takes_file(command))
        record(s, "file", QString::fromStdString(s.options.arguments[0]));
    if (const int code = choose_preset(s); code != exit_success)
        return code;
    if (!s.options.simulate && (s.options.chip || s.options.sim_part || s.options.real_time ||
                                s.options.sim_fault || s.options.sim_access_ns)) {
        s.err << "pinwright-cli: --chip, --sim-part, --sim-fault, --sim-access-ns and "
                 "--real-time need --simulate\n";
        return exit_bad_input;
    }
    if (s.options.real_time && s.options.sim_access_ns) {
        s.err << "pinwright-cli: --sim-access-ns needs the virtual clock: it cannot be used "
                 "with --real-time\n";
        return exit_bad_input;
    }
    if (s.options.sim_fault && !hardware::port_lost_after(*s.options.sim_fault)) {
        s.err << "pinwright-cli: unknown simulated fault \"" << *s.options.sim_fault
              << "\"; accepted: " << hardware::accepted_sim_faults << '\n';
        return exit_bad_input;
    }
    if (!load_database(s) || !select_requested_model(s))
        return exit_bad_input;
    if (command != "identify") // identify names the chip's models instead
        record_model(s);

    // Wiring, port and pacing as the window has them.
    Module94::port_settings = settings::read_stored_wiring();
    Module94::port_pacing = settings::read_stored_pacing();
    if (s.options.fast || s.options.no_fast)
        Module94::port_pacing.fast = s.options.fast;
    if (s.options.delay_us)
        Module94::port_pacing.delay_us = *s.options.delay_us;
    if (s.options.port) {
        const port_choice choice = resolve_port_choice(*s.options.port);
        if (choice.code != exit_success) {
            s.err << "pinwright-cli: " << choice.error << '\n';
            if (choice.code == exit_hardware)
                record_outcome(s, "port_failed");
            return choice.code;
        }
        if (choice.base != 0)
            Module94::port_settings.port_base = choice.base;
    }
    record_adapter(s);
    if (command == "read")
        if (const int code = check_read_output(s); code != exit_success)
            return code;
    // With --model auto the image waits for the model the chip names.
    return load_command_image(s, !model_by_chip(s));
}

bool virtual_time(const session& s) {
    return s.options.simulate && !s.options.real_time;
}

std::string unix_lines(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

// The adapter's voltages for this command: --vdd and --vpp, else the stored settings.
Module1::adapter_voltages command_voltages(const session& s) {
    Module1::adapter_voltages voltages = Module1::stored_adapter_voltages();
    if (s.options.vdd)
        voltages.vdd = {*s.options.vdd, "--vdd"};
    if (s.options.vpp)
        voltages.vpp = {*s.options.vpp, "--vpp"};
    return Module1::with_preset_nominals(voltages, s.preset);
}

// A voltage verdict on the terminal: a warning is printed and the command goes on; a
// refusal, or an assumed voltage the window would ask about, ends it with exit 2 (there is
// no one to confirm). `powering` ends the hint to state the voltages ("this part").
int show_voltage_verdict(session& s, const Module1::voltage_verdict& verdict,
                         const char* powering) {
    switch (verdict.kind) {
    case Module1::voltage_verdict_kind::ok:
        return exit_success;
    case Module1::voltage_verdict_kind::warn:
    case Module1::voltage_verdict_kind::above_programming_range:
        s.err << "pinwright-cli: warning: " << unix_lines(verdict.message) << '\n';
        return exit_success;
    case Module1::voltage_verdict_kind::needs_confirmation:
        s.err << "pinwright-cli: " << unix_lines(verdict.message)
              << "\nState the adapter's voltages with --vdd VOLTS and --vpp VOLTS (or in the "
                 "window with Hardware > Adapter Voltages...) to power "
              << powering << ".\n";
        return exit_bad_input;
    case Module1::voltage_verdict_kind::refuse:
        s.err << "pinwright-cli: " << unix_lines(verdict.message) << '\n';
        return exit_bad_input;
    }
    return exit_bad_input;
}

// The voltage check against the selected model. A simulated adapter's lines then carry
// the voltages judged.
int check_voltages(session& s) {
    hardware::set_simulated_supply(Module1::applied_volts(command_voltages(s)));
    return show_voltage_verdict(
        s, Module1::judge_voltages(devices::selected_model().values, command_voltages(s)),
        "this part");
}

// Identify and --model auto power a chip whose model nobody has named: with a voltage only
// assumed, they are refused (exit 2) while some model of the database would be taken above
// its limit. Stated voltages are the user's word: the command goes on.
int check_voltages_for_any_model(session& s) {
    hardware::set_simulated_supply(Module1::applied_volts(command_voltages(s)));
    return show_voltage_verdict(s,
                                Module1::judge_voltages_for_any_model(
                                    devices::device_database(), command_voltages(s),
                                    s.options.command == "identify" ? "identify" : "--model auto"),
                                "a chip whose model is not known");
}

// After an ID read: says when the part it names was powered above its limits or, unless
// `only_above_limits`, above its programming range.
void tell_powered_beyond_limits(session& s, const Module1::chip_identity& identity,
                                bool only_above_limits) {
    const std::string text = Module1::powered_beyond_limits_text(
        devices::device_database(), identity.models, command_voltages(s), only_above_limits);
    if (!text.empty())
        s.err << "pinwright-cli: warning: " << unix_lines(text) << '\n';
}

// The program's port session for this command: real port or simulated adapter, with the
// optional chip file and trace. A port that cannot be opened is reported and exit 3,
// unless `diagnosing`: the diagnosis reports it itself.
int open_chip_port(session& s, bool diagnosing = false) {
    hardware::port_session_options options;
    options.simulate = s.options.simulate;
    options.sim_part = s.options.sim_part.value_or("");
    options.chip_file = s.options.chip.value_or("");
    options.trace_file = s.options.trace.value_or("");
    options.access_cost = virtual_time(s);
    if (s.options.sim_access_ns)
        options.access_cost_ns = *s.options.sim_access_ns;
    if (s.options.sim_fault)
        options.lose_port_after = hardware::port_lost_after(*s.options.sim_fault);
    hardware::configure_port_session(options);
    const hardware::session_opening opening =
        hardware::open_port_session(s.adapter, devices::selected_model().values.name);
    show_hex_read(opening.chip_file_read);
    switch (opening.failure) {
    case hardware::session_failure::none:
        break;
    case hardware::session_failure::unknown_part:
        s.err << "pinwright-cli: the simulator does not know the part \"" << opening.part
              << "\" (use --sim-part; known parts: " << sim::known_part_names()
              << "; \"none\" for an empty socket)\n";
        return exit_bad_input;
    case hardware::session_failure::chip_file_rejected:
        return exit_bad_input;
    case hardware::session_failure::trace_not_opened:
        s.err << "pinwright-cli: " << hardware::failure_text(opening.trace_failure) << '\n';
        return exit_bad_input;
    }
    if (!opening.status.ok() && !diagnosing) {
        record_outcome(s, "port_failed");
        s.err << "pinwright-cli: " << hardware::failure_text(opening.status) << '\n';
        if (const std::string access = hardware::session_access_text(); !access.empty())
            s.err << "Port access, link by link:\n" << unix_lines(access) << '\n';
        return exit_hardware;
    }
    return exit_success;
}

// Where the doctor's fix goes without the window: the settings file and each key's line.
std::string settings_file_fix(const std::vector<Module1::setting_change>& fix) {
    std::string lines;
    for (const Module1::setting_change& change : fix)
        lines += (lines.empty() ? "" : " and ") + settings::settings_file_key(change.name) + "=" +
                 std::to_string(change.value) + " (the key \"" + change.name + "\")";
    return "To make the change without the window, edit the settings file " +
           settings::settings_file_path() + ": under [General], set " + lines + ".";
}

// The doctor command: the adapter diagnosis, its report on standard output, and where a
// setting it names is kept.
int diagnose(session& s) {
    if (const int code = open_chip_port(s, true); code != exit_success)
        return code;
    catch_stop_signals(true);
    const Module1::adapter_diagnosis diagnosis = Module1::diagnose_adapter();
    catch_stop_signals(false);
    std::string report = diagnosis.report();
    for (std::size_t at = report.find("\r\n"); at != std::string::npos;
         at = report.find("\r\n", at))
        report.erase(at, 1);
    s.out << report << '\n';
    if (!diagnosis.fix.empty())
        s.out << settings_file_fix(diagnosis.fix) << '\n';
    record_diagnosis(s, diagnosis, diagnosis.fix.empty() ? "" : settings_file_fix(diagnosis.fix));
    if (!diagnosis.passed())
        record_outcome(s, "diagnosis_failed");
    return diagnosis.passed() ? exit_success : exit_hardware;
}

// Reads the chip's device ID in a power cycle of its own and judges it; nullopt, with the
// port's failure printed, when the port failed.
std::optional<Module1::chip_identity> read_chip_identity(session& s) {
    catch_stop_signals(true);
    const auto identity = Module1::identify_socket();
    catch_stop_signals(false);
    if (!identity) {
        s.err << "pinwright-cli: "
              << hardware::failure_text(hardware::current_line_driver().status()) << '\n';
        record_outcome(s, "port_failed");
    } else {
        record_identity(s, *identity);
    }
    return identity;
}

// The identify command: the model(s) the chip's ID names, with the revision.
int identify_chip(session& s) {
    const auto read = read_chip_identity(s);
    if (!read)
        return exit_hardware;
    const Module1::chip_identity& identity = *read;
    switch (identity.verdict) {
    case Module1::identity_verdict::no_chip:
        core::mymsgbox(Module1::no_chip_text(identity.raw, false), core::msg_error, "");
        record_outcome(s, "no_chip");
        return exit_hardware;
    case Module1::identity_verdict::unknown_id:
        record_outcome(s, "unknown_id");
        s.err << "pinwright-cli: the chip answers with device ID " << Module1::id_text(identity.raw)
              << ", which no model of the device database " << devices::device_database().source
              << " has\n";
        return exit_differences;
    case Module1::identity_verdict::matches:
    case Module1::identity_verdict::other_model:
        break;
    }
    s.out << Module1::identified_parts(devices::device_database(), identity) << " (device ID "
          << Module1::id_text(identity.raw) << Module1::revision_id_text(identity) << ")\n";
    tell_powered_beyond_limits(s, identity, false);
    return exit_success;
}

// --model auto: selects the model the chip's ID names (the first, when several share it),
// then loads the image for that model.
int select_model_by_chip(session& s) {
    const auto read = read_chip_identity(s);
    if (!read)
        return exit_hardware;
    const Module1::chip_identity& identity = *read;
    if (identity.verdict == Module1::identity_verdict::no_chip) {
        core::mymsgbox("--model auto cannot choose a model. " + Module1::no_chip_text(identity.raw),
                       core::msg_error, "");
        record_outcome(s, "no_chip");
        return exit_hardware;
    }
    if (identity.verdict == Module1::identity_verdict::unknown_id) {
        s.err << "pinwright-cli: --model auto cannot choose a model: the chip answers with device "
              << "ID " << Module1::id_text(identity.raw)
              << ", which no model of the device database has (choose one with --model)\n";
        record_outcome(s, "unknown_id");
        return exit_differences;
    }
    const int number = identity.verdict == Module1::identity_verdict::matches
                           ? devices::selected_model().number
                           : identity.models.front();
    devices::select_program_model(devices::device_database(), number);
    record_model(s);
    if (!s.options.quiet)
        s.err << "Model chosen by the chip's device ID: "
              << Module1::part_and_revision(devices::selected_model().values, identity.raw) << '\n';
    tell_powered_beyond_limits(s, identity, true);
    return load_command_image(s);
}

Module1::operation_result run_operation(const session& s, const std::string& command) {
    const bool check = !s.options.no_id_check;
    catch_stop_signals(true);
    Module1::operation_result result;
    if (command == "program")
        result = Module1::program_all(check);
    else if (command == "verify")
        result = Module1::verify_all(check);
    else if (command == "read")
        result = Module1::read_all(check);
    else if (command == "erase")
        result = Module1::erase_all(check);
    else
        result = Module1::blank_check(check);
    catch_stop_signals(false);
    return result;
}

// The wrong chip, the chip named by its ID (unless `name_chip` is false: named already)
// and the finish line of one operation.
int report_operation(session& s, const Module1::operation_result& result, bool name_chip) {
    if (result.outcome == Module1::operation_outcome::wrong_chip) {
        s.err << "pinwright-cli: "
              << Module1::wrong_chip_text(devices::device_database(),
                                          devices::selected_model().values, *result.identity)
              << "\nChoose the chip's model (--model NAME, or --model auto), or add --no-id-check "
                 "if you are sure the chip is right.\n";
        tell_powered_beyond_limits(s, *result.identity, true);
    }
    if (name_chip && result.identity &&
        result.identity->verdict == Module1::identity_verdict::matches && !s.options.quiet)
        s.err << "Chip in the socket: "
              << Module1::part_and_revision(devices::selected_model().values, result.identity->raw)
              << '\n';
    if (!result.caption.empty() && !s.options.quiet) {
        s.out << result.caption;
        if (virtual_time(s) && result.outcome != Module1::operation_outcome::not_started)
            s.out << " (simulated: the time a real port would take)";
        s.out << '\n';
    }
    return exit_code_of(result.outcome);
}

// What the simulated chip objected to (a wrong sequence, or a voltage that would damage
// the part).
void tell_chip_problems(session& s) {
    const auto chip = hardware::session_chip();
    if (chip && !chip->protocol_errors().empty()) {
        // What the virtual chip saw that a real chip would not accept: the first few, so a
        // database author can find the faulty instruction.
        const auto& problems = chip->protocol_errors();
        s.err << "pinwright-cli: the simulated chip saw " << problems.size()
              << (problems.size() == 1 ? " protocol problem" : " protocol problems") << ":\n";
        for (std::size_t i = 0;
             i < problems.size() && (i < 10 || std::getenv("PINWRIGHT_ALL_PROBLEMS")); ++i)
            s.err << "  " << problems[i] << '\n';
        if (problems.size() > 10)
            s.err << "  ...\n";
    }
}

// After the last operation: what the simulated chip objected to, the image read, the chip
// file.
int finish_chip_command(session& s, const Module1::operation_result& result, int code) {
    tell_chip_problems(s);
    if (s.options.command == "read" && result.outcome == Module1::operation_outcome::completed) {
        const auto failure = image::save_hex_file(s.options.arguments[0], image::program_image(),
                                                  devices::selected_model().values);
        if (!failure.ok()) {
            s.err << "pinwright-cli: " << image::failure_text(failure) << '\n';
            record_outcome(s, "file_not_saved");
            code = exit_bad_input;
        }
    }
    if (const auto failure = hardware::save_session_chip(); !failure.ok()) {
        s.err << "pinwright-cli: " << image::failure_text(failure) << '\n';
        if (code == exit_success) {
            record_outcome(s, "file_not_saved");
            code = exit_bad_input;
        }
    }
    return code;
}

// Runs one operation, then ends its progress: its last phase is done only when it ran to
// its end (a verify stops early after too many differences).
Module1::operation_result run_with_progress(session& s, const std::string& command,
                                            progress_display& progress) {
    const Module1::operation_result result = run_operation(s, command);
    progress.operation_ended(result.outcome == Module1::operation_outcome::completed);
    record_operation(s, command, result);
    return result;
}

// program: an image with code protection on is warned about. With --verify, and when the
// model's algorithms allow it, it is proven in steps: Program All and Verify with the
// protection held off, then the configuration written and verified. Returns -1 when the
// command goes on as for any image.
int program_protected(session& s, progress_display& progress) {
    if (s.options.command != "program")
        return -1;
    const std::string warning = Module1::protection_warning();
    if (warning.empty())
        return -1;
    const bool provable = s.options.verify && Module1::protected_image_provable();
    s.err << "pinwright-cli: warning: " << warning
          << (provable ? " Code and data are verified before the protection is written."
              : s.options.verify
                  ? " The model's algorithms cannot write the configuration on its own, so the "
                    "verify will fail there."
                  : " Add --verify to check code and data before the protection is written.")
          << '\n';
    if (!provable)
        return -1;
    Module1::operation_result last;
    int code = exit_success;
    bool first = true;
    std::size_t done = 0;
    constexpr const char* step_names[] = {"program", "verify", "write_configuration",
                                          "verify_configuration"};
    catch_stop_signals(true);
    Module1::program_protected_image(
        !s.options.no_id_check, [&](const Module1::operation_result& step) {
            progress.operation_ended(step.outcome == Module1::operation_outcome::completed);
            record_operation(s, step_names[std::min(done++, std::size(step_names) - 1)], step);
            code = report_operation(s, step, first);
            first = false;
            last = step;
        });
    catch_stop_signals(false);
    return finish_chip_command(s, last, code);
}

} // namespace

int run_chip_command(session& s) {
    if (const int code = check_chip_command(s); code != exit_success)
        return code;
    // Against the selected model; a chip nobody has named yet (identify, --model auto)
    // against every model, the one the chip names being judged once it is known.
    const bool unnamed_chip = s.options.command == "identify" || model_by_chip(s);
    if (const int code = unnamed_chip ? check_voltages_for_any_model(s) : check_voltages(s);
        code != exit_success)
        return code;

    command_scope scope;
    // Hooks: progress on the terminal, a virtual clock for simulated runs.
    progress_display progress(progress_stream(s), s.err_is_terminal, s.options.quiet);
    core::host_hooks hooks = core::hooks();
    core::virtual_clock clock;
    if (virtual_time(s))
        clock.attach(hooks);
    hooks.set_status = [&progress](const std::string& caption) { progress.caption(caption); };
    auto print_message = hooks.message_box;
    hooks.message_box = [&progress, print_message](const std::string& text, int kind,
                                                   const std::string& title) {
        progress.finish_line();
        return print_message(text, kind, title);
    };
    hooks.terminate = [](int) {}; // the operation returns and the command ends with code 2
    core::install_hooks(hooks);

    if (s.options.command == "doctor") {
        const int code = diagnose(s);
        progress.finish_line();
        return code;
    }
    if (const int code = open_chip_port(s); code != exit_success)
        return code;
    if (s.options.command == "identify") {
        const int code = identify_chip(s);
        progress.finish_line();
        tell_chip_problems(s);
        return code;
    }
    if (model_by_chip(s)) {
        if (const int code = select_model_by_chip(s); code != exit_success)
            return code;
        if (const int code = check_voltages(s); code != exit_success)
            return code;
    }
    if (const int code = program_protected(s, progress); code >= 0)
        return code;
    Module1::operation_result result = run_with_progress(s, s.options.command, progress);
    int code = report_operation(s, result, true);
    // --verify: the image just programmed, checked on the same port and chip.
    if (s.options.verify && code == exit_success) {
        result = run_with_progress(s, "verify", progress);
        code = report_operation(s, result, false);
    }
    return finish_chip_command(s, result, code);
}

} // namespace cli
