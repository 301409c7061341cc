// Parsing of pinwright-cli's command line with QCommandLineParser, as the window parses
// its own. Two things sit around the parser so that the command line keeps its rules:
// the arguments travel as Latin-1, which maps every byte to one character and back, so a
// file name reaches the command byte for byte whatever its encoding; and a walk over the
// arguments beforehand reports the first one that is not an option of this program, in
// this program's words. QCommandLineParser would also take "--h", "--q" and "-hq", and it
// words its errors itself after reading the whole line.
#include "cli/cli_options.h"

#include "core/hex_text.h"
#include "interpreter/voltage_check.h"
#include "settings/stored_wiring.h"

#include <QCommandLineParser>

namespace cli {

namespace {

struct value_option {
    const char* name;                                // without the leading "--"
    std::optional<std::string> cli_options::*target; // nullptr: a number, read apart
};

constexpr value_option value_options[] = {
    {"devices", &cli_options::devices},
    {"presets", &cli_options::presets},
    {"preset", &cli_options::preset},
    {"model", &cli_options::model},
    {"port", &cli_options::port},
    {"sim-part", &cli_options::sim_part},
    {"chip", &cli_options::chip},
    {"trace", &cli_options::trace},
    {"sim-fault", &cli_options::sim_fault},
    {"vdd", &cli_options::vdd},
    {"vpp", &cli_options::vpp},
    {"delay-us", nullptr},
    {"sim-access-ns", nullptr},
};

struct flag_option {
    const char* name;       // without the leading "--"
    const char* short_name; // without the leading "-", or nullptr
    bool cli_options::*target;
};

constexpr flag_option flag_options[] = {
    {"help", "h", &cli_options::help},
    {"version", nullptr, &cli_options::version},
    {"simulate", nullptr, &cli_options::simulate},
    {"real-time", nullptr, &cli_options::real_time},
    {"quiet", "q", &cli_options::quiet},
    {"no-id-check", nullptr, &cli_options::no_id_check},
    {"verify", nullptr, &cli_options::verify},
    {"json", nullptr, &cli_options::json},
    {"fast", nullptr, &cli_options::fast},
    {"no-fast", nullptr, &cli_options::no_fast},
};

bool is_flag(const std::string& arg) {
    for (const auto& flag : flag_options)
        if (arg == std::string("--") + flag.name ||
            (flag.short_name && arg == std::string("-") + flag.short_name))
            return true;
    return false;
}

// 0 for no value option, 1 for "--name" (the value follows), 2 for "--name=value".
int value_form(const std::string& arg) {
    for (const auto& option : value_options) {
        const std::string spelt = std::string("--") + option.name;
        if (arg == spelt)
            return 1;
        if (arg.rfind(spelt + "=", 0) == 0)
            return 2;
    }
    return 0;
}

// The first argument, in order, that is no option of this program, or a value option
// with nothing after it; empty when every option is well formed. Options end at "--".
std::string first_problem(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--")
            break;
        if (arg.size() < 2 || arg[0] != '-' || is_flag(arg))
            continue;
        switch (value_form(arg)) {
        case 1:
            if (i + 1 >= args.size())
                return arg + " needs a value";
            ++i;
            continue;
        case 2:
            continue;
        default:
            return "unknown option " + arg;
        }
    }
    return {};
}

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace

parse_outcome parse_command_line(const std::vector<std::string>& args) {
    parse_outcome outcome;
    outcome.error = first_problem(args);
    if (!outcome.error.empty())
        return outcome;

    QCommandLineParser parser;
    std::vector<QCommandLineOption> values, flags;
    for (const auto& option : value_options)
        values.emplace_back(QString::fromLatin1(option.name), QString(), QStringLiteral("VALUE"));
    for (const auto& flag : flag_options) {
        QStringList names{QString::fromLatin1(flag.name)};
        if (flag.short_name)
            names.prepend(QString::fromLatin1(flag.short_name));
        flags.emplace_back(names);
    }
    for (const auto& option : values)
        parser.addOption(option);
    for (const auto& flag : flags)
        parser.addOption(flag);

    QStringList line{QStringLiteral("pinwright-cli")};
    for (const auto& arg : args)
        line.append(latin1(arg));
    if (!parser.parse(line)) { // the walk above leaves nothing for the parser to reject
        outcome.error = parser.errorText().toStdString();
        return outcome;
    }

    cli_options& options = outcome.options;
    for (std::size_t k = 0; k < values.size(); ++k)
        if (parser.isSet(values[k]) && value_options[k].target)
            options.*value_options[k].target = bytes(parser.value(values[k]));
    // The two numeric options.
    const auto number_of = [&](const char* name, std::int64_t lowest, std::int64_t highest,
                               const char* what) -> std::optional<std::int64_t> {
        const QString key = QString::fromLatin1(name);
        if (!parser.isSet(key))
            return std::nullopt;
        const std::string text = bytes(parser.value(key));
        const auto number = core::whole_number(text, lowest, highest);
        if (!number && outcome.error.empty())
            outcome.error = "--" + std::string(name) + " needs " + what + ", a whole number from " +
                            std::to_string(lowest) + " to " + std::to_string(highest) + ", not \"" +
                            text + "\"";
        return number;
    };
    if (const auto delay = number_of("delay-us", 0, settings::largest_port_delay_us,
                                     "the wait after every port write in microseconds"))
        options.delay_us = static_cast<std::int32_t>(*delay);
    options.sim_access_ns = number_of("sim-access-ns", fewest_access_ns, most_access_ns,
                                      "the simulated port's time per register access in "
                                      "nanoseconds");
    for (std::size_t k = 0; k < flags.size(); ++k)
        options.*flag_options[k].target = parser.isSet(flags[k]);
    if (options.fast && options.no_fast && outcome.error.empty())
        outcome.error = "--fast and --no-fast cannot be used together";
    if (!outcome.error.empty())
        return outcome;
    // An adapter voltage that could not be stated in the window is refused here too.
    for (const auto& [value, option] : {std::pair{&options.vdd, "--vdd"}, {&options.vpp, "--vpp"}})
        if (*value && !Module1::adapter_volts(**value)) {
            outcome.error =
                std::string(option) + " needs the adapter's voltage in volts, a number above 0 " +
                "and at most " + std::to_string(static_cast<int>(Module1::highest_adapter_volts)) +
                " with at most two decimals (such as 3.3), not \"" + **value + "\"";
            return outcome;
        }
    // The first positional argument that is not empty is the command.
    for (const auto& positional : parser.positionalArguments()) {
        if (options.command.empty())
            options.command = bytes(positional);
        else
            options.arguments.push_back(bytes(positional));
    }
    return outcome;
}

std::string usage_text() {
    return R"(Usage: pinwright-cli [OPTIONS] COMMAND [ARGUMENTS]

Tarvellic Pinwright, the PIC18 programmer, without its window.

Commands:
  models                    List the models of the device database: number, name,
                            FLASH and EEPROM sizes in bytes, and the VDD and VPP
                            ranges in volts where the database gives them.
  convert IN.hex OUT.hex    Load IN.hex into the program image of the selected model,
                            exactly as the window's Open HEX File does (same errors and
                            warnings, on standard error), and save the image as OUT.hex
                            as Save Buffer As does. A rejected file writes nothing.
  config FILE.hex           Load FILE.hex as convert does and show its configuration
                            bytes with their settings by name ("OSC = HS"), and warn of
                            settings to notice before programming: code or data
                            protection on, the configuration write-protected, values
                            the model does not define.
  check-devices [FILE]      Check a device database (default: the one in use) and list
                            every problem with its file name and line number.
  presets [NAME]            List the adapter presets: the wirings of well-known
                            adapters by name, each with its kind (parallel, ftdi,
                            gpio), its five lines (pin, "inverted" where the adapter
                            inverts the line), its nominal voltages and whether it
                            works, works with care (and what to take care of) or
                            cannot be driven with five lines (and why). With NAME,
                            that preset with its extra lines, sources and notes.
  check-presets [FILE]      Check an adapter presets file (default: the one in use)
                            and list every problem with its file name and line.
  program FILE.hex          Load FILE.hex and run Program All on the chip. With
                            --verify, Verify follows on the same port and chip: exit 1
                            and the report when the chip differs from FILE.hex.
                            A file with code protection on is warned about; with
                            --verify its code and data are verified before the
                            protection is written.
  verify FILE.hex           Load FILE.hex and run Verify: exit 1 and the report when the
                            chip differs.
  read OUT.hex              Run Read All and save what was read as OUT.hex.
  erase                     Run Erase All.
  blankcheck                Run Blank Check: exit 1 and the report when not blank.
  identify                  Read the chip's device ID and name the model(s) it belongs
                            to, with the silicon revision (the revision ID word of an
                            8-bit-command part): exit 0; exit 3 when no chip answers,
                            exit 1 when no model of the database has the ID. The chip
                            is powered the way the selected model enters programming
                            mode: MCLR raised to VPP, or the key with MCLR back at VDD
                            (the J parts; where none answers, the key with MCLR held
                            low of the 8-bit-command parts is tried) or held low.
  doctor                    Diagnose the adapter step by step (port access, the lines
                            with VDD and VPP off, the chip's device ID) and stop at the
                            first broken link, naming the fix: exit 0 when every step
                            passed, else 3.
  ports                     List the adapters this machine offers: the parallel ports
                            the kernel lists (device, base address, modes), then the
                            FTDI boards on the USB (--port spec, chip, serial, bus and
                            device); whether this user can use each and, for one that
                            cannot, why and what to do about it. Exit 0 when one at
                            least can be used, else 3.

Before a chip command touches the chip, it reads the chip's device ID (when the model
has one in the database) and stops, writing nothing, when no chip answers (exit 3) or
the chip is not the selected model (exit 4). program and verify refuse a FILE.hex with
no data record, one that ends without its end-of-file record (it may be cut short) and
one with data beyond the model's memories (naming the models it fits): exit 2, before the
port is opened. read first checks that OUT.hex can be created.

Options (before or after the command):
  --devices FILE            Device database to use (default: pinwrightdevices.txt
                            beside this program, else in ../share/pinwright from it).
  --presets FILE            Adapter presets file to use (default: pinwrightpresets.txt,
                            found as the device database is).
  --preset NAME             Run the chip command with the wiring of the adapter preset
                            NAME (see presets; quote a name with blanks, case does not
                            count) in place of the stored wiring, storing nothing. A
                            preset for another kind of adapter than the one in use, or
                            one that cannot be driven, is refused: exit 2. With the
                            adapter's voltages not stated, the preset's nominal VDD
                            and VPP are the voltages checked; so is the nominal of the
                            preset last applied in the window while the stored wiring
                            still equals it.
  --model N|NAME            Model by number, or by name without regard to case: an exact
                            name first, else the one model whose name ends with NAME
                            (18f452 selects PIC18F452). Default: the model stored by
                            the window ("Microcontroller Model"). "auto" chooses the
                            model whose device ID the chip in the socket gives, powering
                            it the way the stored model enters programming mode.
  --port ADAPTER            The adapter that drives the programmer's lines (see ports):
                            1, 2, 3        parallel port LPT1 (0x378), LPT2 (0x278) or
                                           LPT3 (0x3BC)
                            0xADDR         a parallel port's base address in hex, from
                                           0x100 to 0xFFFD (0xD010, say, for a PCI
                                           card; plain decimal is not taken)
                            /dev/parportN  a parallel port the kernel lists
                            These reach the port through /dev/parportN (ppdev; the
                            user needs access to it, for example through the lp
                            group), else through raw port I/O when the process may.
                            ppdev:/dev/parportN  that port through ppdev only
                            direct:0xADDR  raw port I/O at that base address only
                            ftdi[:SPEC]    an FTDI USB board in bit-bang mode (FT232R,
                                           FT230X, FT232H, FT2232H, FT4232H): the
                                           first one found, or the one SPEC names by
                                           serial number, bus:device, VID:PID or index,
                                           and /A to /D for a channel of a multi-channel
                                           chip (ftdi:1:5/B); the user needs access to
                                           it, for example through the plugdev group
                            gpio:CHIP      lines of a Linux GPIO chip (a Raspberry Pi's
                                           header), by its device (gpio:/dev/gpiochip0)
                                           or label (gpio:pinctrl-bcm2711); the user
                                           needs access to it, for example through the
                                           gpio group
                            sim            the simulated adapter, as --simulate
                            Default: the stored "Adapter", else the parallel port at
                            the stored "Parallel Port Address". Pins and inversions
                            are the stored ones for the adapter's kind, as the window
                            uses them. An adapter that cannot be opened: exit 3.
  --simulate                Use the simulated adapter with a virtual PIC18 instead of a
                            real parallel port (at the base --port names; --port sim
                            does the same). Runs on a virtual clock: waits cost no wall
                            time, and the elapsed time printed is what a real port would
                            take.
  --sim-part NAME           Part in the simulated socket (default: the part number in
                            the selected model's name, such as 18F4520); "none" leaves
                            the socket empty.
  --sim-fault port-lost=N   With --simulate: the simulated port fails after N register
                            accesses, as an unplugged USB adapter would.
  --chip FILE.hex           With --simulate: load the virtual chip's memory from FILE.hex
                            (a blank chip when it does not exist) and save it back after
                            the command, so a later command sees the same chip.
  --real-time               With --simulate: wait for real instead of on a virtual clock.
  --sim-access-ns N         With --simulate on the virtual clock: the time one register
                            access of the simulated port takes, in nanoseconds (1 to
                            1000000, default 1000). The virtual chip checks the clock
                            and data timing against it, as a real chip would.
  --trace FILE              Log every port access to FILE: "W <address> <value>" for a
                            write, "R <address> <value>" for a read, "S <ms>" for a wait,
                            "U <us>" for a wait below a millisecond (with --fast).
  --fast, --no-fast         Fast port access for this command, or the default pacing,
                            whatever Options > Fast Port Access in the window has stored.
                            Fast: a line change writes only the register that changed,
                            a data bit goes out with its rising clock edge, and the
                            waits are the part's documented times. About a third of the
                            port time of the default.
  --delay-us N              Wait N microseconds (0 to 10000) after every port write, for
                            adapters with slow buffers or opto-couplers (default: the
                            stored "Port Delay", 0).
  --vdd VOLTS, --vpp VOLTS  What the adapter applies on VDD and on VPP, in volts (such
                            as --vdd 3.3 --vpp 9), for this command instead of the
                            stored "Adapter VDD" and "Adapter VPP". One not stated is
                            taken to be a classic adapter's 5 V on VDD, 13 V on VPP.
                            Before the chip is powered both are checked against the
                            model's ranges and its absolute maximum on MCLR in the
                            device database: above the limit, the command stops with
                            exit 2 before any line moves; VPP above the programming
                            range but within the absolute maximum (13 V on the
                            PIC18F4520), or below the minimum, a warning. identify and
                            --model auto, with a voltage only assumed, stop with exit 2
                            while some model of the database would be above its limit.
  --no-id-check             Run the chip command without checking the chip's device ID
                            (a part the database has no ID for, a remarked chip).
  --verify                  With program: verify the chip once it is programmed (a
                            failed Program All does not go on to verify).
  --json                    Print one JSON document on standard output and nothing
                            else there, also when the command fails: the command, its
                            exit code and outcome, the lines it wrote to standard
                            error, and its results (the README shows each command's
                            document). Progress and messages still go to standard
                            error. --help and --version print text.
  --quiet, -q               No progress and no finish line; errors and reports only.
                            Progress on a terminal is one line per phase, updated in
                            place; elsewhere a line per tenth of FLASH and EEPROM.
  --help                    Show this text.
  --version                 Show the version.

Environment:
  PINWRIGHT_ALL_PROBLEMS    When set (to anything), a simulated run lists every
                            protocol problem the virtual chip saw, not the first ten.

Exit codes:
  0  success
  1  the chip or file check found differences
  2  bad input or usage
  3  hardware or port error (also a chip that never finishes a write, a port that
     fails during a run, no chip answering, or an algorithm loop that never ends)
  4  the chip in the socket is not the selected model
  130 interrupted (Ctrl-C); VDD and VPP are switched off first
)";
}

} // namespace cli
