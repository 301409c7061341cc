// The adapter a chip operation runs on, opened the same way for the window and the CLI:
// any row of the adapter table (the parallel port through ppdev or raw port I/O, an FTDI
// board), or on request the simulated adapter with a virtual PIC18 in its socket,
// optionally kept in a chip file; and, on request, a trace of every port access around a
// register-level one. The program has one session; a front end configures it once (the
// window at start, the CLI for each command) and opens the adapter through it.
#pragma once

#include "hardware/adapter_choice.h"
#include "hardware/port_backend.h"
#include "image/hex_failure.h"
#include "image/hex_reader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace sim {
class virtual_chip;
}

namespace hardware {

struct port_session_options {
    bool simulate = false;
    std::string sim_part;   // empty: the part in the selected model's name; "none": no chip
    std::string chip_file;  // the virtual chip's memory, read once and written on request
    std::string trace_file; // empty: no trace
    // The simulated adapter charges each register access the time a real port takes, so
    // that a virtual clock shows real-port times. Off: the chip sees the host's own timing.
    bool access_cost = false;
    // What one register access costs then, in nanoseconds.
    std::int64_t access_cost_ns = 1000;
    // A simulated fault: the port fails after this many register accesses.
    std::optional<std::int64_t> lose_port_after;
};

// The --sim-part value that leaves the simulated socket empty.
inline constexpr const char* empty_socket_part = "none";

// The simulated faults a front end may ask for, as --sim-fault lists them.
inline constexpr const char* accepted_sim_faults =
    "port-lost=N (the port fails after N register accesses)";
// The register accesses after which "port-lost=N" loses the port; nullopt for any other
// text.
std::optional<std::int64_t> port_lost_after(const std::string& fault);

// Why a session could not be opened as asked.
enum class session_failure {
    none,
    unknown_part,       // the simulator has no such part: the socket stays empty
    chip_file_rejected, // the chip file exists but was rejected (see chip_file_read)
    trace_not_opened,   // the trace file cannot be written (see trace_failure)
};

struct session_opening {
    port_status status; // of the port itself
    session_failure failure = session_failure::none;
    std::string part;                      // the part asked for in the simulated socket
    image::hex_read_result chip_file_read; // when the chip file was read: failure or warning
    port_status trace_failure;             // with trace_not_opened: the file and the reason
};

// Starts a new session with these options; the chip of an earlier one is dropped.
void configure_port_session(const port_session_options& options);
const port_session_options& port_session_settings();

// Opens `adapter` for the model named `model_name` through its row of the adapter table
// (with `simulate`, the simulated adapter instead). A register-level adapter is installed
// as the current backend at its base address, which becomes Module94::port_settings'
// port_base, and the lines are driven to idle; an adapter that failed to open leaves a
// backend that is not ready and says why. The simulated socket keeps its chip while it
// holds the part asked for (--sim-part, else the part in the model's name; fixed once a
// part is given or a chip file is used), else takes a blank one, read from the chip file
// the first time. A trace that cannot be opened leaves the port uninstalled.
session_opening open_port_session(const adapter_spec& adapter, const std::string& model_name);
// The same for the parallel port at `base`.
session_opening open_port_session(std::int32_t base, const std::string& model_name);

// The adapter the session opened last (the simulated one with `simulate`).
const adapter_spec& session_adapter();

// How this user reaches the session's adapter, link by link with the fixes (its row's
// access text; lines separated by CR LF), for the doctor's port step and a failed
// opening. Empty for the simulated adapter.
std::string session_access_text();

// True when a model change would put another chip into the simulated socket.
bool socket_follows(const std::string& model_name);

// With a chip file: writes the simulated chip's memory to it. Nothing (no failure)
// otherwise, and never over a file that was rejected when it was read.
image::hex_failure save_session_chip();

// The virtual chip in the simulated socket, or null (real port, or an empty socket).
std::shared_ptr<sim::virtual_chip> session_chip();

} // namespace hardware
