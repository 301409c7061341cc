// Port trace: a decorator around any port backend that logs every register access and
// every timed wait of the line procedures, one line each:
//   W <address> <value>   a write    (e.g. "W 0378 03")
//   R <address> <value>   a read     (e.g. "R 0379 7F")
//   S <ms>                a wait     (e.g. "S 50")
//   U <us>                a wait below a millisecond (fast port access, e.g. "U 100")
// Addresses have four and values two upper-case hexadecimal digits.
#pragma once

#include "hardware/port_backend.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace hardware {

class port_trace final : public port_backend {
  public:
    // Logs to `out`, which must outlive the trace.
    port_trace(std::unique_ptr<port_backend> inner, std::ostream& out);
    // Logs to a stream the trace owns (a file, for example).
    port_trace(std::unique_ptr<port_backend> inner, std::unique_ptr<std::ostream> owned);
    ~port_trace() override;

    port_status open() override { return inner_->open(); }
    port_status status() const override { return inner_->status(); }
    std::string description() const override;
    void out32(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t inp32(std::uint16_t address) override;
    void note_wait(std::int64_t milliseconds) override;
    void note_wait_us(std::int64_t microseconds) override;

    port_backend& inner() { return *inner_; }

  private:
    std::unique_ptr<port_backend> inner_;
    std::unique_ptr<std::ostream> owned_;
    std::ostream* out_;
};

struct trace_file_result {
    std::unique_ptr<port_backend> backend; // traced, or the untouched backend on failure
    port_status failure;                   // trace_not_writable, or none on success
};

// Wraps `backend` in a trace written to the file at `path` (created or truncated).
trace_file_result trace_port_to_file(std::unique_ptr<port_backend> backend,
                                     const std::string& path);

} // namespace hardware
