// A virtual clock for tests and simulated runs: sleeping advances it instantly, so a
// four-second programming run takes no wall time while every wait is still accounted.
#pragma once

#include "core/host_hooks.h"

#include <cstdint>

namespace core {

class virtual_clock {
  public:
    std::int64_t now_us() const { return now_; }
    void advance_us(std::int64_t microseconds) {
        if (microseconds > 0)
            now_ += microseconds;
    }

    // Points the sleep and clock members of the hooks at this clock. The clock must
    // outlive the hooks' use.
    void attach(host_hooks& target);

  private:
    std::int64_t now_ = 0;
};

} // namespace core
