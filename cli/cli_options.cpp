// Parsing of pinwright-cli's command line.
#include "cli/cli_options.h"

namespace cli {

namespace {

struct value_option {
    const char* name;
    std::optional<std::string> cli_options::*target;
};

constexpr value_option value_options[] = {
    {"--devices", &cli_options::devices}, {"--model", &cli_options::model},
    {"--port", &cli_options::port},       {"--sim-part", &cli_options::sim_part},
    {"--chip", &cli_options::chip},       {"--trace", &cli_options::trace},
};

struct flag_option {
    const char* name;
    bool cli_options::*target;
};

constexpr flag_option flag_options[] = {
    {"--help", &cli_options::help},
    {"-h", &cli_options::help},
    {"--version", &cli_options::version},
    {"--simulate", &cli_options::simulate},
    {"--real-time", &cli_options::real_time},
    {"--quiet", &cli_options::quiet},
    {"-q", &cli_options::quiet},
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
            bool known = false;
            for (const auto& flag : flag_options) {
                if (arg == flag.name) {
                    options.*flag.target = true;
                    known = true;
                }
            }
            if (known)
                continue;
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
  program FILE.hex          Load FILE.hex and run Program All on the chip.
  verify FILE.hex           Load FILE.hex and run Verify: exit 1 and the report when the
                            chip differs.
  read OUT.hex              Run Read All and save what was read as OUT.hex.
  erase                     Run Erase All.
  blankcheck                Run Blank Check: exit 1 and the report when not blank.

Options (before or after the command):
  --devices FILE            Device database to use (default: pinwrightdevices.txt
                            beside this program).
  --model N|NAME            Model by number, or by name without regard to case: an exact
                            name first, else the one model whose name ends with NAME
                            (18f452 selects PIC18F452). Default: the model stored by
                            the window ("Microcontroller Model").
  --port 1|2|3              Parallel port LPT1 (0x378), LPT2 (0x278) or LPT3 (0x3BC).
                            Default: the stored "Parallel Port Address". Pins and
                            inversions are the stored ones, as the window uses them.
                            The port is reached through /dev/parportN (ppdev; the user
                            needs access to it, for example through the lp group), else
                            through raw port I/O when the process may do it.
  --simulate                Use the simulated adapter with a virtual PIC18 instead of a
                            real port. Runs on a virtual clock: waits cost no wall time,
                            and the elapsed time printed is what a real port would take.
  --sim-part NAME           Part in the simulated socket (default: the part number in
                            the selected model's name, such as 18F4520).
  --chip FILE.hex           With --simulate: load the virtual chip's memory from FILE.hex
                            (a blank chip when it does not exist) and save it back after
                            the command, so a later command sees the same chip.
  --real-time               With --simulate: wait for real instead of on a virtual clock.
  --trace FILE              Log every port access to FILE: "W <address> <value>" for a
                            write, "R <address> <value>" for a read, "S <ms>" for a wait.
  --quiet, -q               No progress and no finish line; errors and reports only.
  --help                    Show this text.
  --version                 Show the version.

Exit codes:
  0  success
  1  the chip or file check found differences
  2  bad input or usage
  3  hardware or port error (also a chip that never finishes a write)
  130 interrupted (Ctrl-C); VDD and VPP are switched off first
)";
}

} // namespace cli
