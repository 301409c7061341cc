// pinwright-cli's adapter choices: the ports command, which lists every adapter the
// adapter table finds (the parallel ports the kernel lists, FTDI boards) and whether this
// user may drive it, and --port read as an adapter (an LPT number, a base address, a
// device, or a kind with its spec).
#pragma once

#include "cli/session.h"
#include "hardware/adapter_choice.h"
#include "hardware/direct_port.h"
#include "hardware/ppdev_port.h"

#include <cstdint>
#include <string>

namespace cli {

// What --port asks for: the adapter and, for a parallel port or raw port I/O, its base
// address (0: the stored one, or none), or why it cannot be had (an exit code other than
// exit_success, and the message without the program name).
struct port_choice {
    hardware::adapter_spec adapter;
    std::int32_t base = 0;
    int code = exit_success;
    std::string error;
};

// The adapter forms of hardware/adapter_choice.h. "1", "2", "3": LPT1-LPT3 (0x378, 0x278,
// 0x3BC). "0x" and hex digits: a base address from 0x100 to 0xFFFD. A path with a '/':
// a device the kernel lists ("/dev/parport1"), taken as its base address; so is the
// device of ppdev:. Anything else, plain decimal numbers included (378 would be read as
// 0x17A), is a usage error; a device the kernel does not list is a port error.
port_choice resolve_port_choice(const std::string& text, const hardware::ppdev_roots& roots = {});

// pinwright-cli ports: exit 0 when one listed port at least can be used, else 3.
int command_ports(session& s, const hardware::ppdev_roots& roots = {},
                  const hardware::io_permission_function& io_permission = {});

} // namespace cli
