// Host time on a simulated board whose calls cost parts of a microsecond: the monotonic
// clock plus what was charged but not yet slept, so that costs below a microsecond add up
// from call to call and the chip's timestamps never go back.
#pragma once

#include "core/host_hooks.h"

#include <cstdint>

namespace hardware {

class board_clock {
  public:
    std::int64_t now_ns() const { return core::monotonic_us() * 1000 + pending_ns_; }

    // Sleeps the whole microseconds of `nanoseconds` and keeps the rest for next time.
    void charge_ns(std::int64_t nanoseconds) {
        pending_ns_ += nanoseconds;
        if (pending_ns_ >= 1000) {
            core::hooks().sleep_us(pending_ns_ / 1000);
            pending_ns_ %= 1000;
        }
    }

  private:
    std::int64_t pending_ns_ = 0; // charged, not yet slept: 0..999
};

} // namespace hardware
