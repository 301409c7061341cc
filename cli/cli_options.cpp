// Parsing of pinwright-cli's command line.
#include "cli/cli_options.h"

namespace cli {

namespace {

struct value_option {
    const char* name;
    std::optional<std::string> cli_options::*target;
};

constexpr value_option value_options[] = {
    {"--devices", &cli_options::devices},
    {"--model", &cli_options::model},
};

} // namespace

parse_outcome parse_command_line(const std::vector<std::string>& args) {
    parse_outcome outcome;
    cli_options& options = outcome.options;
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!options_ended && arg == "--") {
            options_ended = true;
            continue;
        }
        if (!options_ended && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--help" || arg == "-h") {
                options.help = true;
                continue;
            }
            if (arg == "--version") {
                options.version = true;
                continue;
            }
            bool known = false;
            for (const auto& option : value_options) {
                const std::string name = option.name;
                std::optional<std::string> value;
                if (arg == name) {
                    if (i + 1 >= args.size()) {
                        outcome.error = name + " needs a value";
                        return outcome;
                    }
                    value = args[++i];
                } else if (arg.rfind(name + "=", 0) == 0) {
                    value = arg.substr(name.size() + 1);
                } else {
                    continue;
                }
                known = true;
                options.*option.target = *value;
                break;
            }
            if (!known) {
                outcome.error = "unknown option " + arg;
                return outcome;
            }
            continue;
        }
        if (options.command.empty())
            options.command = arg;
        else
            options.arguments.push_back(arg);
    }
    return outcome;
}

std::string usage_text() {
    return R"(Usage: pinwright-cli [OPTIONS] COMMAND [ARGUMENTS]

Tarvellic Pinwright, the PIC18 programmer, without its window.

Commands:
  models                    List the models of the device database: number, name,
                            FLASH and EEPROM sizes in bytes.
  convert IN.hex OUT.hex    Load IN.hex into the program image of the selected model,
                            exactly as the window's Open HEX File does (same errors and
                            warnings, on standard error), and save the image as OUT.hex
                            as Save Buffer As does. A rejected file writes nothing.
  check-devices [FILE]      Check a device database (default: the one in use) and list
                            every problem with its file name and line number.

Options (before or after the command):
  --devices FILE            Device database to use (default: pinwrightdevices.txt
                            beside this program).
  --model N|NAME            Model by number, or by name without regard to case: an exact
                            name first, else the one model whose name ends with NAME
                            (18f452 selects PIC18F452). Default: the model stored by
                            the window ("Microcontroller Model").
  --help                    Show this text.
  --version                 Show the version.

Exit codes:
  0  success
  1  the chip or file check found differences
  2  bad input or usage
  3  hardware or port error
)";
}

} // namespace cli
