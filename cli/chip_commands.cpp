// The chip commands of pinwright-cli: the same chip operations the window's buttons run,
// on a real port or on the simulated adapter with a virtual chip.
#include "cli/chip_commands.h"

#include "cli/progress_display.h"
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "devices/selected_model.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_selection.h"
#include "hardware/port_session.h"
#include "image/hex_load.h"
#include "image/hex_writer.h"
#include "image/memory_buffer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_operations.h"
#include "settings/stored_wiring.h"
#include "sim/virtual_chip.h"

#include <csignal>
#include <cstdlib>
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
    }
    return exit_bad_input;
}

} // namespace

bool is_chip_command(const std::string& command) {
    return command == "program" || command == "verify" || command == "read" || command == "erase" ||
           command == "blankcheck";
}

namespace {

bool takes_file(const std::string& command) {
    return command == "program" || command == "verify" || command == "read";
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
    if (!s.options.simulate && (s.options.chip || s.options.sim_part || s.options.real_time)) {
        s.err << "pinwright-cli: --chip, --sim-part and --real-time need --simulate\n";
        return exit_bad_input;
    }
    if (!load_database(s) || !select_requested_model(s))
        return exit_bad_input;
    const devices::model_values& model = devices::selected_model().values;
    image::erase_image(image::program_image(), model);

    // Wiring and port as the window has them.
    Module94::port_settings = settings::read_stored_wiring();
    if (s.options.port) {
        const std::string& choice = *s.options.port;
        const std::int32_t base = choice.size() == 1 ? hardware::lpt_base(choice[0] - '0') : 0;
        if (base == 0) {
            s.err << "pinwright-cli: --port must be 1, 2 or 3, not \"" << *s.options.port << "\"\n";
            return exit_bad_input;
        }
        Module94::port_settings.port_base = base;
    }

    if (command == "program" || command == "verify") {
        const auto loaded =
            image::load_hex_file(s.options.arguments[0], image::program_image(), model);
        show_hex_read(loaded);
        if (!loaded.accepted())
            return exit_bad_input;
        if (!s.options.quiet)
            s.err << loaded.status << '\n';
    }
    return exit_success;
}

bool virtual_time(const session& s) {
    return s.options.simulate && !s.options.real_time;
}

// The program's port session for this command: real port or simulated adapter, with the
// optional chip file and trace.
int open_chip_port(session& s) {
    hardware::port_session_options options;
    options.simulate = s.options.simulate;
    options.sim_part = s.options.sim_part.value_or("");
    options.chip_file = s.options.chip.value_or("");
    options.trace_file = s.options.trace.value_or("");
    options.access_cost = virtual_time(s);
    hardware::configure_port_session(options);
    const hardware::session_opening opening = hardware::open_port_session(
        Module94::port_settings.port_base, devices::selected_model().values.name);
    show_hex_read(opening.chip_file_read);
    switch (opening.failure) {
    case hardware::session_failure::none:
        break;
    case hardware::session_failure::unknown_part:
        s.err << "pinwright-cli: the simulator does not know the part \"" << opening.part
              << "\" (use --sim-part; known parts: " << sim::known_part_names() << ")\n";
        return exit_bad_input;
    case hardware::session_failure::chip_file_rejected:
        return exit_bad_input;
    case hardware::session_failure::trace_not_opened:
        s.err << "pinwright-cli: " << hardware::failure_text(opening.trace_failure) << '\n';
        return exit_bad_input;
    }
    if (!opening.status.ok()) {
        s.err << "pinwright-cli: " << hardware::failure_text(opening.status) << '\n';
        return exit_hardware;
    }
    return exit_success;
}

Module1::operation_result run_operation(const std::string& command) {
    catch_stop_signals(true);
    Module1::operation_result result;
    if (command == "program")
        result = Module1::program_all();
    else if (command == "verify")
        result = Module1::verify_all();
    else if (command == "read")
        result = Module1::read_all();
    else if (command == "erase")
        result = Module1::erase_all();
    else
        result = Module1::blank_check();
    catch_stop_signals(false);
    return result;
}

// The finish line, what the simulated chip objected to, the image read, the chip file.
int report_chip_command(session& s, const Module1::operation_result& result) {
    int code = exit_code_of(result.outcome);
    if (!result.caption.empty() && !s.options.quiet) {
        s.out << result.caption;
        if (virtual_time(s) && result.outcome != Module1::operation_outcome::not_started)
            s.out << " (simulated: the time a real port would take)";
        s.out << '\n';
    }
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
    if (s.options.command == "read" && result.outcome == Module1::operation_outcome::completed) {
        const auto failure = image::save_hex_file(s.options.arguments[0], image::program_image(),
                                                  devices::selected_model().values);
        if (!failure.ok()) {
            s.err << "pinwright-cli: " << image::failure_text(failure) << '\n';
            code = exit_bad_input;
        }
    }
    if (const auto failure = hardware::save_session_chip(); !failure.ok()) {
        s.err << "pinwright-cli: " << image::failure_text(failure) << '\n';
        if (code == exit_success)
            code = exit_bad_input;
    }
    return code;
}

} // namespace

int run_chip_command(session& s) {
    if (const int code = check_chip_command(s); code != exit_success)
        return code;

    command_scope scope;
    // Hooks: progress on the terminal, a virtual clock for simulated runs.
    progress_display progress(s.err, s.err_is_terminal, s.options.quiet);
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

    if (const int code = open_chip_port(s); code != exit_success)
        return code;
    const Module1::operation_result result = run_operation(s.options.command);
    progress.finish_line();
    return report_chip_command(s, result);
}

} // namespace cli
