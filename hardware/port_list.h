// The parallel ports this machine offers, as the kernel lists them under
// /proc/sys/dev/parport (device, base address, modes), and whether this process may use
// each: through its /dev/parportN (ppdev), or else through raw port I/O. Every verdict
// that says no carries the reason and a one-line fix, for the CLI's port list, the
// window's port dialog and any diagnosis built on them.
#pragma once

#include "hardware/direct_port.h"
#include "hardware/port_backend.h"
#include "hardware/ppdev_port.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hardware {

// Whether one way of reaching a port can be used by this process.
struct access_verdict {
    port_error code = port_error::not_opened; // none: it can be used
    std::string reason; // what stands in the way ("/dev/parport1: permission denied ...")
    std::string fix;    // one line saying what to do about it; may be empty

    bool usable() const { return code == port_error::none; }
};

struct parport_info {
    int number = 0;     // N of parportN
    std::string device; // "/dev/parport1" (under ppdev_roots::dev), whether it exists or not
    std::int32_t base = 0;
    std::string modes;                    // "PCSPP,TRISTATE,EPP"; empty when not listed
    access_verdict ppdev;                 // opening the device file
    std::optional<access_verdict> raw_io; // judged only when ppdev cannot be used
};

// Every port the kernel lists under `roots.proc_parport`, by number, with both verdicts.
// `io_permission` as for direct_port (empty: the system's ioperm).
std::vector<parport_info> list_parports(const ppdev_roots& roots = {},
                                        const io_permission_function& io_permission = {});

// Whether the port can be used one way or the other, and that as a short text: "yes",
// "raw port I/O only" or "no".
bool port_usable(const parport_info& port);
std::string access_summary(const parport_info& port);

// Why the list is empty (the parport driver is not loaded, or found no port) and the fix.
access_verdict no_parport_verdict(const ppdev_roots& roots = {});

// Whether this process may open `device` for reading and writing.
access_verdict device_access(const std::string& device);

// Whether this process may do raw port I/O on the three registers at `base`.
access_verdict raw_io_access(std::int32_t base, const io_permission_function& io_permission = {});

// "WAY: usable." or "WAY: REASON. Fix: FIX." (without the fix when there is none).
std::string verdict_line(const std::string& way, const access_verdict& verdict);

// The listed port whose device is `device` (the same file, also through a link), or null.
const parport_info* find_parport_device(const std::vector<parport_info>& ports,
                                        const std::string& device);

// Port access for the port at `base`, link by link: the parport driver and the port the
// kernel lists there, its device file (ppdev), then raw port I/O, each with the reason it
// cannot be used and the fix. `usable` tells whether one of the two ways works.
struct port_access_report {
    bool usable = false;
    std::string text; // lines separated by CR LF
};
port_access_report port_access_for(std::int32_t base, const ppdev_roots& roots = {},
                                   const io_permission_function& io_permission = {});

} // namespace hardware
