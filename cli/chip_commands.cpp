// The chip commands of pinwright-cli: the same chip operations the window's buttons run,
// on a real port or on the simulated adapter with a virtual chip.
#include "cli/progress_display.h"
#include "cli/session.h"
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_selection.h"
#include "hardware/port_trace.h"
#include "hardware/simulated_adapter.h"
#include "hardware/stored_port_settings.h"
#include "image/hex_load.h"
#include "image/hex_writer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_operations.h"
#include "settings/settings_store.h"
#include "sim/chip_file.h"
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

int run_chip_command(session& s) {
    const std::string& command = s.options.command;
    const bool takes_file = command == "program" || command == "verify" || command == "read";
    if (s.options.arguments.size() != (takes_file ? 1u : 0u)) {
        s.err << "pinwright-cli: " << command
              << (takes_file ? " needs exactly one HEX file" : " takes no arguments")
              << " (see --help)\n";
        return exit_bad_input;
    }
    if (!s.options.simulate && (s.options.chip || s.options.sim_part || s.options.real_time)) {
        s.err << "pinwright-cli: --chip, --sim-part and --real-time need --simulate\n";
        return exit_bad_input;
    }
    if (!load_database(s) || !select_requested_model(s))
        return exit_bad_input;

    command_scope scope;
    Module1::selected_model() = s.model;
    image::erase_image(Module1::memory_buffer(), s.model);

    // Wiring and port as the window has them.
    Module94::restore_port_settings();
    if (s.options.port) {
        const std::string& choice = *s.options.port;
        const std::int32_t base = choice.size() == 1 ? hardware::lpt_base(choice[0] - '0') : 0;
        if (base == 0) {
            s.err << "pinwright-cli: --port must be 1, 2 or 3, not \"" << *s.options.port << "\"\n";
            return exit_bad_input;
        }
        Module94::port_settings.port_base = base;
    }

    // The image to program or verify.
    if (command == "program" || command == "verify") {
        const auto loaded =
            image::load_hex_file(s.options.arguments[0], Module1::memory_buffer(), s.model);
        show_hex_read(loaded);
        if (!loaded.accepted())
            return exit_bad_input;
        if (!s.options.quiet)
            s.err << loaded.status << '\n';
    }

    // Hooks: progress on the terminal, a virtual clock for simulated runs.
    progress_display progress(s.err, s.err_is_terminal, s.options.quiet);
    core::host_hooks hooks = core::hooks();
    core::virtual_clock clock;
    const bool virtual_time = s.options.simulate && !s.options.real_time;
    if (virtual_time)
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

    // The port.
    std::shared_ptr<sim::virtual_chip> chip;
    std::unique_ptr<hardware::port_backend> backend;
    const std::int32_t base = Module94::port_settings.port_base;
    if (s.options.simulate) {
        const std::string part_name =
            s.options.sim_part ? *s.options.sim_part : sim::part_of_model(s.model.name);
        const sim::part_info* part = sim::find_part(part_name);
        if (!part) {
            s.err << "pinwright-cli: the simulator does not know the part \"" << part_name
                  << "\" (use --sim-part; known parts: " << sim::known_part_names() << ")\n";
            return exit_bad_input;
        }
        chip = std::make_shared<sim::virtual_chip>(*part);
        if (s.options.chip) {
            const auto read = sim::load_chip_file(*s.options.chip, *chip);
            show_hex_read(read);
            if (!read.accepted())
                return exit_bad_input;
        }
        auto adapter = std::make_unique<hardware::simulated_adapter>(
            base, hardware::socket_virtual_chip(chip));
        if (!virtual_time)
            adapter->set_access_cost_us(0);
        backend = std::move(adapter);
        backend->open();
    } else {
        backend = hardware::open_port_backend(base, hardware::port_mode::automatic);
    }
    if (!backend->is_ready()) {
        s.err << "pinwright-cli: " << hardware::failure_text(backend->status()) << '\n';
        return exit_hardware;
    }
    if (s.options.trace) {
        auto traced = hardware::trace_port_to_file(std::move(backend), *s.options.trace);
        if (!traced.failure.ok()) {
            s.err << "pinwright-cli: " << hardware::failure_text(traced.failure) << '\n';
            return exit_bad_input;
        }
        backend = std::move(traced.backend);
    }
    hardware::install_port_backend(std::move(backend));
    Module94::set_lines_idle();

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
    progress.finish_line();

    int code = exit_code_of(result.outcome);
    if (!result.caption.empty() && !s.options.quiet) {
        s.out << result.caption;
        if (virtual_time && result.outcome != Module1::operation_outcome::not_started)
            s.out << " (simulated: the time a real port would take)";
        s.out << '\n';
    }
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
    if (command == "read" && result.outcome == Module1::operation_outcome::completed) {
        const auto failure =
            image::save_hex_file(s.options.arguments[0], Module1::memory_buffer(), s.model);
        if (!failure.ok()) {
            s.err << "pinwright-cli: " << image::failure_text(failure) << '\n';
            code = exit_bad_input;
        }
    }
    if (chip && s.options.chip) {
        const auto failure = sim::save_chip_file(*s.options.chip, *chip);
        if (!failure.ok()) {
            s.err << "pinwright-cli: " << image::failure_text(failure) << '\n';
            if (code == exit_success)
                code = exit_bad_input;
        }
    }
    return code;
}

} // namespace cli
