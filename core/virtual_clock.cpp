// Virtual clock wiring into the host hooks.
#include "core/virtual_clock.h"

namespace core {

void virtual_clock::attach(host_hooks& target) {
    target.sleep_us = [this](std::int64_t microseconds) { advance_us(microseconds); };
    target.monotonic_us = [this] { return now_; };
}

} // namespace core
