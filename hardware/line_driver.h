// The seam under the line procedures: the programmer's five lines, driven in batches. A
// driver takes the four outputs as logical levels, queues samples of DATA IN and hands out
// a ticket for each, holds the current state for a minimum time and executes what it has
// queued on flush. An immediate driver (the parallel port, a GPIO chip) executes every call
// at once, so its tickets are ready as soon as they are handed out; a queued driver (an
// FTDI board) turns the calls into a byte stream and sends it in as few host transfers as
// its limits allow. One driver is current at a time; the line procedures reach the lines
// only through it.
#pragma once

#include "hardware/port_backend.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace hardware {

// The four outputs, as logical levels: true is the line's active state (supply on, CLOCK
// or DATA OUT at 1), whatever pin and inversion carry it.
struct line_levels {
    bool vdd = false;
    bool vpp = false;
    bool clock = false;
    bool data_out = false;
    bool operator==(const line_levels&) const = default;
};

// A queued sample of DATA IN; tickets of one driver count up from 1.
using sample_ticket = std::uint64_t;

struct driver_capabilities {
    bool queued = false;       // false: every call executes at once
    std::size_t max_batch = 0; // queued states after which the driver flushes (0: none)
    std::int64_t step_ns = 0;  // how long one queued state lasts on the wire (0: unknown)
    // A bit is two states (data with the rising CLOCK edge, then the falling edge) rather
    // than three line changes with DATA OUT back to 0 after each field.
    bool fast_clocking = false;
};

class line_driver {
  public:
    virtual ~line_driver() = default;

    // Opens the adapter (an immediate driver over an opened port only checks it) and
    // drives the idle state: supplies off, CLOCK and DATA OUT low.
    virtual port_status open() = 0;
    // Ends with the idle state and releases the adapter so that it stays in it.
    virtual void close() = 0;
    // The outcome of open, or port_lost once the adapter failed in use.
    virtual port_status status() const = 0;
    bool is_ready() const { return status().ok(); }
    // What this driver drives, for status texts ("/dev/parport0 (0x378)", "FT232R A1B2C3").
    virtual std::string description() const = 0;
    virtual driver_capabilities capabilities() const = 0;

    // The four outputs from now on.
    virtual void stage(const line_levels& levels) = 0;
    // What the last stage asked for.
    virtual line_levels staged() const = 0;
    // DATA IN (its logical level) as the lines are after the last stage.
    virtual sample_ticket sample() = 0;
    // The current state lasts at least this long.
    virtual void hold_ms(std::int64_t milliseconds) = 0;
    virtual void hold_us(std::int64_t microseconds) = 0;
    // Executes everything queued; a no-op on an immediate driver.
    virtual void flush() = 0;
    // Whether a ticket's value is known without a flush.
    virtual bool ready(sample_ticket ticket) const = 0;
    // A ticket's value (flushing first when it is still queued); false for a ticket that
    // never got one because the adapter failed.
    virtual bool value(sample_ticket ticket) = 0;
};

// Installs `driver` as the current one (null installs the parallel-port driver over the
// current port backend and the stored wiring and pacing) and returns the previous one.
std::unique_ptr<line_driver> install_line_driver(std::unique_ptr<line_driver> driver);
line_driver& current_line_driver();

} // namespace hardware
