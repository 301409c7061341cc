// Command-line parsing for pinwright-cli: one command, its positional arguments, and the
// common options, which may stand before or after the command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// Exit codes shared by every command.
enum exit_code : int {
    exit_success = 0,
    exit_differences = 1, // the chip or file check found differences
    exit_bad_input = 2,   // bad input or usage
    exit_hardware = 3,    // hardware or port error, or no chip answers
    exit_wrong_chip = 4,  // the chip in the socket is not the selected model
};

// The limits of --sim-access-ns: a nanosecond to a millisecond per register access.
inline constexpr std::int64_t fewest_access_ns = 1;
inline constexpr std::int64_t most_access_ns = 1000000;

struct cli_options {
    std::string command;                       // empty when none was given
    std::vector<std::string> arguments;        // positional arguments after the command
    std::optional<std::string> devices;        // --devices FILE
    std::optional<std::string> presets;        // --presets FILE
    std::optional<std::string> preset;         // --preset NAME: its wiring for this command
    std::optional<std::string> model;          // --model N|NAME
    std::optional<std::string> port;           // --port ADAPTER
    std::optional<std::string> sim_part;       // --sim-part NAME
    std::optional<std::string> chip;           // --chip FILE.hex
    std::optional<std::string> trace;          // --trace FILE
    std::optional<std::string> sim_fault;      // --sim-fault FAULT
    std::optional<std::string> vdd;            // --vdd VOLTS: the adapter's VDD for this command
    std::optional<std::string> vpp;            // --vpp VOLTS: its VPP
    std::optional<std::int32_t> delay_us;      // --delay-us N: "Port Delay" for this command
    std::optional<std::int64_t> sim_access_ns; // --sim-access-ns N: simulated access cost
    bool fast = false;                         // --fast: fast port access for this command
    bool no_fast = false;                      // --no-fast: the default pacing for it
    bool simulate = false;                     // --simulate
    bool real_time = false;                    // --real-time
    bool quiet = false;                        // --quiet
    bool no_id_check = false;                  // --no-id-check
    bool verify = false;                       // --verify (with program)
    bool json = false;                         // --json: one JSON document on standard output
    bool help = false;
    bool version = false;
};

struct parse_outcome {
    cli_options options;
    std::string error; // empty when the command line is well formed
};

parse_outcome parse_command_line(const std::vector<std::string>& args);

// The --help text.
std::string usage_text();

} // namespace cli
