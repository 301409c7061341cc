// What the umockdev emulations of adapters share: the host clock their chips are timed by,
// ending an ioctl, and turning a failed testbed call into an exception that names it.
#pragma once

#include "core/host_hooks.h"

#include <umockdev.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace test_support {

inline std::int64_t host_now_ns() {
    return core::monotonic_us() * 1000;
}

// Ends an ioctl: 0 or the errno it fails with.
inline gboolean complete(UMockdevIoctlClient* client, int error = 0) {
    umockdev_ioctl_client_complete(client, error != 0 ? -1 : 0, error);
    return TRUE;
}

inline void check(gboolean ok, GError* error, const std::string& what) {
    if (ok)
        return;
    const std::string why = error != nullptr ? error->message : "unknown error";
    g_clear_error(&error);
    throw std::runtime_error("umockdev cannot " + what + ": " + why);
}

} // namespace test_support
