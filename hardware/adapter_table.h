// The adapter kinds as one table, which every front end reads: the CLI's --port and
// `ports`, the window's adapter selection, the doctor's port step and the bash
// completion. A row opens an adapter of its kind for a spec and lists what it finds.
//
// A register-level kind (the parallel port through ppdev or raw I/O, the simulated
// adapter) opens a port backend, which the port session installs under the parallel line
// driver, with a trace around it on request. A line-level kind (an FTDI board) installs
// its own line driver.
#pragma once

#include "hardware/adapter_choice.h"
#include "hardware/direct_port.h"
#include "hardware/port_backend.h"
#include "hardware/ppdev_port.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sim {
class virtual_chip;
}

namespace hardware {

// What the simulated adapter is built with.
struct simulated_socket {
    std::shared_ptr<sim::virtual_chip> chip;     // null: an empty socket
    std::int64_t access_cost_ns = 0;             // host time charged per register access
    std::optional<std::int64_t> lose_port_after; // register accesses until the port fails
};

// Where and how the rows look for their adapters.
struct adapter_environment {
    // The stored "Parallel Port Address": the parallel port's base when its spec names
    // none, and where the simulated adapter sits.
    std::int32_t stored_base = 888;
    ppdev_roots ppdev;
    io_permission_function io_permission; // empty: the system's ioperm
    simulated_socket socket;
};

struct adapter_opening {
    // Of the adapter; on failure the device tried and the reason.
    port_status status;
    // Register-level kinds: the port backend, always one (not ready on failure), and the
    // base address the line procedures address it at. Null for a line-level kind, which
    // has installed its line driver when `status` is ok.
    std::unique_ptr<port_backend> port;
    std::int32_t base = 0;
};

// One adapter a row found, for `ports` and the adapter selection.
struct adapter_listing {
    std::string spec;        // as --port takes it: "ftdi:A1B2C3", "/dev/parport0"
    std::string description; // "FT232R, serial A1B2C3, USB 001/004"
    bool usable = false;     // this user may open it
    std::string reason;      // when not usable: what stands in the way
    std::string fix;         // and what to do about it; may be empty
};

struct adapter_enumeration {
    std::vector<adapter_listing> adapters;
    std::string none_found; // when none: why, and the fix ("no FTDI device on the USB")
};

struct adapter_backend {
    adapter_kind kind;
    const char* name;        // as --port spells the kind
    const char* forms;       // "ppdev:/dev/parportN"
    const char* description; // one line for the help, the selection and `ports`
    // A spec the kind cannot take, in words ("" when it can), beyond what parse_adapter
    // checks; null: parse_adapter checks everything.
    std::string (*check)(const std::string& spec);
    adapter_opening (*open)(const adapter_spec& adapter, const adapter_environment& environment);
    // Null for a kind whose adapters another row lists (ppdev and direct: the parallel
    // row) or that has nothing to find (the simulated adapter).
    adapter_enumeration (*enumerate)(const adapter_environment& environment);
    // How this user reaches the adapter, link by link with the fixes, for the doctor's
    // port step and a failed opening (lines separated by CR LF; empty: nothing to say).
    std::string (*access)(const adapter_spec& adapter, const adapter_environment& environment);
};

std::span<const adapter_backend> adapter_backends();
const adapter_backend& adapter_backend_of(adapter_kind kind);

// The base address of a register-level adapter: the address it names, the device's base
// as the kernel lists it, or `environment.stored_base` for the parallel port without a
// spec and the simulated adapter. nullopt, with `failure` set (no_such_port), for a device
// the kernel does not list; for a line-level kind as well.
std::optional<std::int32_t> adapter_base(const adapter_spec& adapter,
                                         const adapter_environment& environment,
                                         port_status* failure = nullptr);

// What is wrong with the adapter for its kind, in words ("" when nothing): parse_adapter's and
// the row's own check.
std::string check_adapter_spec(const adapter_spec& adapter);

// Builds the simulated adapter: the one place it is made.
std::unique_ptr<port_backend> make_simulated_adapter(std::int32_t base,
                                                     const simulated_socket& socket);

} // namespace hardware
