// Port backend with raw x86 port I/O (ioperm, outb, inb): the fallback when no ppdev
// device serves the port and the process may access I/O ports itself (root or the
// CAP_SYS_RAWIO capability). On other architectures it reports itself unsupported.
#pragma once

#include "hardware/port_backend.h"

#include <functional>

namespace hardware {

// ioperm(from, count, turn_on); returns 0 or -1 with errno set. Replaceable so that the
// refusal can be tested without touching real ports (a replacement that grants access
// makes the backend use the real ports).
using io_permission_function = std::function<int(unsigned long, unsigned long, int)>;

class direct_port final : public port_backend {
  public:
    // An empty `io_permission` uses the system's ioperm.
    explicit direct_port(std::int32_t base, io_permission_function io_permission = {});
    ~direct_port() override;
    direct_port(const direct_port&) = delete;
    direct_port& operator=(const direct_port&) = delete;

    port_status open() override;
    port_status status() const override { return status_; }
    std::string description() const override;
    void out32(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t inp32(std::uint16_t address) override;

  private:
    bool owns(std::uint16_t address) const;
    void release();

    std::int32_t base_;
    io_permission_function io_permission_;
    bool granted_ = false;
    port_status status_;
};

// Whether this build can do raw port I/O at all.
bool direct_port_supported();

} // namespace hardware
