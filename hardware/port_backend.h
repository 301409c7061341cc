// The seam under the parallel-port line procedures. A port backend carries exactly the two
// register operations the program needs, write a byte to an I/O address (Out32) and read
// one (Inp32), plus opening, readiness and a description for status texts. One backend is
// installed at a time; the line procedures reach the port only through Out32/Inp32.
#pragma once

#include "core/failure.h"

#include <cstdint>
#include <memory>
#include <string>

namespace hardware {

// Why a port, or the trace file of one, cannot be used.
enum class port_error {
    none,
    not_opened,         // nothing has opened a port yet
    no_such_port,       // no parallel port with the configured base address
    no_device_node,     // the port exists but its device file does not
    permission_denied,  // the device file exists but may not be opened
    port_busy,          // another driver holds the port
    no_io_privilege,    // raw port I/O is not permitted to this process
    not_supported,      // this build or machine cannot use this kind of access
    io_failure,         // the port could not be set up for use
    port_lost,          // the port failed while in use (device gone, driver error)
    trace_not_writable, // the port trace file cannot be created (path, reason)
};

// The failure type of the port layer, and the outcome of opening a port, which the backend
// keeps for status texts. `path` is what was tried ("/dev/parport0", "I/O ports
// 0x378-0x37A"), `reason` the reason in more words and what to do about it (may be empty).
struct port_status : core::failure<port_error> {
    port_status() { code = port_error::not_opened; }

    std::string also; // the message of another attempt that failed as well, may be empty
};

// "cannot open /dev/parport0: permission denied (the user needs access ...)", followed by
// "; " and `also` when set; "/dev/parport0 failed while in use (PPWDATA failed: ...)" for a
// port lost during a run; "cannot write the port trace /x: No such file or directory" for
// a trace file; empty when ok.
std::string failure_text(const port_status& status);

// A failure of `path`: its code and the reason in words.
port_status port_failure(port_error code, std::string path, std::string reason);

class port_backend {
  public:
    virtual ~port_backend() = default;

    // Opens the port; on failure the status names the device tried and the reason.
    virtual port_status open() = 0;
    // The outcome of the last open (or of a failure while in use).
    virtual port_status status() const = 0;
    bool is_ready() const { return status().ok(); }

    // What this backend drives, for status texts ("/dev/parport0 (0x378)").
    virtual std::string description() const = 0;

    // Register access. A backend that is not ready, or an address outside the three
    // registers of its port, writes nothing and reads 0xFF.
    virtual void out32(std::uint16_t address, std::uint8_t value) = 0;
    virtual std::uint8_t inp32(std::uint16_t address) = 0;

    // Told before every timed wait of the line procedures (power steps, programming hold),
    // so that a decorator can record it. Backends themselves ignore it.
    virtual void note_wait(std::int64_t /*milliseconds*/) {}
    // The same for a wait given in microseconds.
    virtual void note_wait_us(std::int64_t /*microseconds*/) {}
};

// A backend that reaches no port: the placeholder before any port is opened, and what the
// port selection installs when no real backend can reach the port.
class unavailable_port final : public port_backend {
  public:
    explicit unavailable_port(port_status why);
    port_status open() override { return why_; }
    port_status status() const override { return why_; }
    std::string description() const override;
    void out32(std::uint16_t, std::uint8_t) override {}
    std::uint8_t inp32(std::uint16_t) override { return 0xFF; }

  private:
    port_status why_;
};

// Installs `backend` as the current one (a null pointer installs the not-opened
// placeholder) and returns the previous one.
std::unique_ptr<port_backend> install_port_backend(std::unique_ptr<port_backend> backend);
port_backend& current_port_backend();
// Whether chip operations may run: the current line driver (over this backend, on the
// parallel port) is ready.
bool port_ready();

// The port I/O operations of the line procedures, through the current backend. Addresses
// and values are taken as 16-bit quantities; only the low byte of a value reaches the
// register, and a read returns the register in the low eight bits.
void Out32(std::int32_t address, std::int32_t value);
std::int32_t Inp32(std::int32_t address);

// The three standard ports: LPT1 at 888 (0x378), LPT2 at 632 (0x278), LPT3 at 956 (0x3BC).
// lpt_base gives 0 for a number other than 1-3, lpt_number 0 for any other address.
std::int32_t lpt_base(int number);
int lpt_number(std::int32_t port_base);

// "Parallel port 1 ready" for base 888, "... 2 ..." for 632, "... 3 ..." for 956. Any other
// base is named by its address and `device`, what reaches it: "Parallel port D010h
// (/dev/parport1) ready"; empty without a device.
std::string ready_caption(std::int32_t port_base, const std::string& device = {});

// "0x378"
std::string address_text(std::int32_t address);

} // namespace hardware
