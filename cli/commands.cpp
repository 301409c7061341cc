// The commands of pinwright-cli. Each runs the same core code as the window: the device
// database reader, the HEX reader and writer, and the database checker.
#include "cli/commands.h"

#include "cli/chip_commands.h"
#include "cli/cli_options.h"
#include "cli/config_command.h"
#include "cli/json_output.h"
#include "cli/port_commands.h"
#include "cli/preset_commands.h"
#include "cli/session.h"
#include "core/host_hooks.h"
#include "core/whole_file.h"
#include "devices/database_lines.h"
#include "devices/device_check.h"
#include "devices/device_table.h"
#include "devices/model_select.h"
#include "devices/selected_model.h"
#include "hardware/adapter_presets.h"
#include "image/hex_load.h"
#include "image/hex_writer.h"
#include "image/memory_buffer.h"
#include "settings/program_values.h"
#include "settings/stored_wiring.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>

#ifndef PINWRIGHT_VERSION
#define PINWRIGHT_VERSION "0"
#endif

namespace cli {

namespace {

void install_terminal_hooks(std::ostream& err) {
    core::host_hooks hooks = core::default_hooks();
    hooks.message_box = [&err](const std::string& text, int kind, const std::string&) {
        std::string shown = text;
        // Messages carry CR LF line breaks for the window; a terminal wants LF.
        std::string::size_type at = 0;
        while ((at = shown.find("\r\n", at)) != std::string::npos)
            shown.erase(at, 1);
        while (!shown.empty() && shown.back() == '\n')
            shown.pop_back();
        err << shown << '\n';
        return kind == core::msg_yes_no ? int{core::result_no} : int{core::result_ok};
    };
    core::install_hooks(std::move(hooks));
}

} // namespace

namespace {

int command_models(session& s) {
    if (!s.options.arguments.empty()) {
        s.err << "pinwright-cli: models takes no arguments\n";
        return exit_bad_input;
    }
    if (!load_database(s))
        return exit_bad_input;
    std::size_t width = 4;
    for (int n = 1; n <= devices::device_database().model_count(); ++n)
        width = std::max(
            width, devices::device_database().models[static_cast<std::size_t>(n)].name.size());
    s.out << std::left << std::setw(4) << "No." << ' ' << std::setw(static_cast<int>(width))
          << "Model" << std::right << "  " << std::setw(7) << "FLASH"
          << "  " << std::setw(6) << "EEPROM" << '\n';
    QJsonArray listed;
    for (int n = 1; n <= devices::device_database().model_count(); ++n) {
        devices::model_values values;
        devices::select_model(devices::device_database(), n, values);
        const auto& model = devices::device_database().models[static_cast<std::size_t>(n)];
        s.out << std::left << std::setw(4) << n << ' ' << std::setw(static_cast<int>(width))
              << model.name << std::right;
        QJsonObject entry{{"number", n}, {"name", QString::fromStdString(model.name)}};
        if (const std::string problem = devices::model_problem(model); problem.empty()) {
            s.out << "  " << std::setw(7) << values.flash_size << "  " << std::setw(6)
                  << values.eeprom_size;
            if (const std::string ranges =
                    devices::voltage_ranges_text(values.vdd_range, values.vpp_range);
                !ranges.empty())
                s.out << "  " << ranges;
            s.out << '\n';
            entry.insert("flash_size", values.flash_size);
            entry.insert("eeprom_size", values.eeprom_size);
            for (const auto& [key, range] :
                 {std::pair{"vdd", &values.vdd_range}, {"vpp", &values.vpp_range}})
                if (*range)
                    entry.insert(key, QJsonArray{(*range)->min, (*range)->max});
        } else {
            s.out << "  cannot be selected: " << problem << '\n';
            entry.insert("problem", QString::fromStdString(problem));
        }
        listed.append(entry);
    }
    record(s, "models", listed);
    return exit_success;
}

int command_convert(session& s) {
    if (s.options.arguments.size() != 2) {
        s.err << "pinwright-cli: convert needs IN.hex and OUT.hex (see --help)\n";
        return exit_bad_input;
    }
    if (model_by_chip(s)) {
        s.err << "pinwright-cli: --model auto reads the chip in the socket, so it works with "
                 "the chip commands only; name the model for convert\n";
        return exit_bad_input;
    }
    if (!load_database(s) || !select_requested_model(s))
        return exit_bad_input;
    record_model(s);
    const std::string& input = s.options.arguments[0];
    const std::string& output = s.options.arguments[1];
    image::memory_buffer buffer;
    const auto loaded = image::load_hex_file(input, buffer, devices::selected_model().values);
    show_hex_read(loaded);
    if (!loaded.accepted())
        return exit_bad_input;
    const auto failure = image::save_hex_file(output, buffer, devices::selected_model().values);
    if (!failure.ok()) {
        s.err << "pinwright-cli: " << image::failure_text(failure) << '\n';
        return exit_bad_input;
    }
    s.out << loaded.status << " Saved " << output << " for "
          << devices::selected_model().values.name << ".\n";
    record(s, "input", QString::fromStdString(input));
    record(s, "output", QString::fromStdString(output));
    record(s, "status", QString::fromStdString(loaded.status));
    return exit_success;
}

int command_check_devices(session& s) {
    if (s.options.arguments.size() > 1) {
        s.err << "pinwright-cli: check-devices takes at most one FILE\n";
        return exit_bad_input;
    }
    const std::string path = s.options.arguments.empty() ? s.database_path : s.options.arguments[0];
    std::string bytes;
    // A file that cannot be opened or read (a folder) is reported as the loader words it.
    if (const auto read = core::read_whole_file(path, bytes); !read.ok()) {
        devices::database_failure failure;
        failure.code = read.code == core::file_error::cannot_open
                           ? devices::database_error::cannot_open
                           : devices::database_error::cannot_read;
        failure.path = path;
        failure.reason = read.reason;
        s.err << "pinwright-cli: " << devices::failure_text(failure) << '\n';
        return exit_bad_input;
    }
    // One reading of the file serves the check and the model count.
    const auto lines = devices::read_database_lines(bytes);
    const auto problems = devices::check_device_database(lines);
    record(s, "file", QString::fromStdString(path));
    QJsonArray listed;
    for (const auto& problem : problems) {
        s.out << devices::format_problem(path, problem) << '\n';
        listed.append(
            QJsonObject{{"line", problem.line}, {"text", QString::fromStdString(problem.text)}});
    }
    record(s, "problems", listed);
    if (problems.empty()) {
        devices::device_table table;
        devices::parse_device_table(lines, path, table);
        s.out << path << ": no problems (" << table.model_count() << " models)\n";
        record(s, "model_count", table.model_count());
        return exit_success;
    }
    record_outcome(s, "problems");
    s.out << path << ": " << problems.size() << (problems.size() == 1 ? " problem" : " problems")
          << '\n';
    return exit_differences;
}

} // namespace

namespace {

// The command of a parsed command line; `json` is the document to record in, or null.
int run_parsed(const parse_outcome& parsed, const std::string& program_folder, std::ostream& out,
               std::ostream& err, bool err_is_terminal, json_report* json) {
    if (!parsed.error.empty()) {
        err << "pinwright-cli: " << parsed.error << " (see --help)\n";
        return exit_bad_input;
    }
    if (parsed.options.help) {
        out << usage_text();
        return exit_success;
    }
    if (parsed.options.version) {
        out << "pinwright-cli " << PINWRIGHT_VERSION << '\n';
        return exit_success;
    }
    install_terminal_hooks(err);
    session s{out, err, parsed.options, {}, err_is_terminal};
    s.json = json;
    settings::program().app_folder = settings::with_trailing_separator(program_folder);
    s.database_path = s.options.devices
                          ? *s.options.devices
                          : devices::default_database_path(settings::program().app_folder);
    hardware::set_presets_path(s.options.presets.value_or(""));
    settings::set_run_wirings({});

    const std::string& command = s.options.command;
    if (command.empty()) {
        err << usage_text();
        return exit_bad_input;
    }
    if (s.options.verify && command != "program") {
        err << "pinwright-cli: --verify goes with program only (see --help)\n";
        return exit_bad_input;
    }
    if (s.options.preset && !is_chip_command(command)) {
        err << "pinwright-cli: --preset goes with the chip commands only (see --help)\n";
        return exit_bad_input;
    }
    if (command == "presets")
        return command_presets(s);
    if (command == "check-presets")
        return command_check_presets(s);
    if (command == "models")
        return command_models(s);
    if (command == "convert")
        return command_convert(s);
    if (command == "check-devices")
        return command_check_devices(s);
    if (command == "config")
        return command_config(s);
    if (command == "ports")
        return command_ports(s);
    if (is_chip_command(command))
        return run_chip_command(s);
    err << "pinwright-cli: unknown command \"" << command << "\" (see --help)\n";
    return exit_bad_input;
}

} // namespace

int run_cli(const std::vector<std::string>& args, const std::string& program_folder,
            std::ostream& out, std::ostream& err, bool err_is_terminal) {
    const auto parsed = parse_command_line(args);
    // A command line that cannot be parsed still gets its document when it asks for one.
    const bool json = parsed.error.empty()
                          ? parsed.options.json && !parsed.options.help && !parsed.options.version
                          : std::find(args.begin(), args.end(), "--json") != args.end();
    if (!json)
        return run_parsed(parsed, program_folder, out, err, err_is_terminal, nullptr);
    const core::host_hooks saved_hooks = core::hooks();
    json_report report(err);
    const int code = run_parsed(parsed, program_folder, report.discarded(), report.messages(),
                                err_is_terminal, &report);
    report.messages().flush();
    core::install_hooks(saved_hooks); // they print to the report's stream
    out << report.document(parsed.options.command, code) << std::flush;
    return code;
}

} // namespace cli
