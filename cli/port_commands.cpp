// The ports command and the reading of --port. Both take the ports from the hardware
// layer's list, so that the CLI, the window's port dialog and any diagnosis judge access
// the same way and say the same fixes.
#include "cli/port_commands.h"

#include "core/hex_text.h"
#include "hardware/port_backend.h"
#include "hardware/port_list.h"
#include "settings/setting_names.h"

#include <algorithm>
#include <iomanip>

namespace cli {

namespace {

constexpr std::int32_t lowest_base = 0x100;   // below: the PC's own devices, never a port
constexpr std::int32_t highest_base = 0xFFFD; // the three registers end at 0xFFFF

std::string accepted_forms(const std::string& text) {
    return "--port must be 1, 2 or 3 (LPT1-LPT3), a base address in hex from 0x100 to 0xFFFD "
           "(0x378, 0xD010), or a device (/dev/parport0), not \"" +
           text + "\"";
}

// The value of "0x" and one to four hex digits, else -1.
std::int32_t hex_address(const std::string& text) {
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return -1;
    const std::string digits = std::string(6 - text.size(), '0') + text.substr(2);
    return core::hex4_value(core::upper_case(digits));
}

std::string listed_devices(const std::vector<hardware::parport_info>& ports) {
    std::string text;
    for (const hardware::parport_info& port : ports)
        text +=
            (text.empty() ? "" : ", ") + port.device + " at " + hardware::address_text(port.base);
    return text;
}

void print_verdict(std::ostream& out, const std::string& what,
                   const hardware::access_verdict& verdict) {
    if (verdict.usable()) {
        out << "  " << what << "permitted\n";
        return;
    }
    out << "  " << what << verdict.reason << '\n';
    if (!verdict.fix.empty())
        out << "  fix: " << verdict.fix << '\n';
}

} // namespace

port_choice resolve_port_choice(const std::string& text, const hardware::ppdev_roots& roots) {
    port_choice choice;
    if (text.size() == 1 && hardware::lpt_base(text[0] - '0') != 0) {
        choice.base = hardware::lpt_base(text[0] - '0');
        return choice;
    }
    if (text.find('/') != std::string::npos) {
        const auto ports = hardware::list_parports(roots);
        if (const hardware::parport_info* port = hardware::find_parport_device(ports, text)) {
            choice.base = port->base;
            return choice;
        }
        choice.code = exit_hardware;
        if (ports.empty()) {
            const hardware::access_verdict none = hardware::no_parport_verdict(roots);
            choice.error =
                "--port " + text + ": no parallel port is listed: " + none.reason + "; " + none.fix;
        } else {
            choice.error = "--port " + text + ": not a parallel port the kernel lists (it lists " +
                           listed_devices(ports) + "; see pinwright-cli ports)";
        }
        return choice;
    }
    const std::int32_t base = hex_address(text);
    if (base >= lowest_base && base <= highest_base) {
        choice.base = base;
        return choice;
    }
    choice.code = exit_bad_input;
    choice.error = accepted_forms(text);
    return choice;
}

int command_ports(session& s, const hardware::ppdev_roots& roots,
                  const hardware::io_permission_function& io_permission) {
    if (!s.options.arguments.empty()) {
        s.err << "pinwright-cli: ports takes no arguments\n";
        return exit_bad_input;
    }
    const auto ports = hardware::list_parports(roots, io_permission);
    if (ports.empty()) {
        const hardware::access_verdict none = hardware::no_parport_verdict(roots);
        s.err << "pinwright-cli: no parallel port: " << none.reason << '\n'
              << "  fix: " << none.fix << '\n';
        // A port the driver does not know may still answer at the stored address.
        const std::int32_t stored = settings::port_address_setting.read();
        print_verdict(s.err,
                      "raw port I/O at the stored address " + hardware::address_text(stored) + ": ",
                      hardware::raw_io_access(stored, io_permission));
        return exit_hardware;
    }

    std::size_t device_width = std::string("Device").size();
    std::size_t modes_width = std::string("Modes").size();
    for (const hardware::parport_info& port : ports) {
        device_width = std::max(device_width, port.device.size());
        modes_width = std::max(modes_width, port.modes.size());
    }
    const auto row = [&](const std::string& device, const std::string& address,
                         const std::string& modes, const std::string& access) {
        s.out << std::left << std::setw(static_cast<int>(device_width)) << device << "  "
              << std::setw(7) << address << "  " << std::setw(static_cast<int>(modes_width))
              << modes << "  " << access << std::right << '\n';
    };
    row("Device", "Address", "Modes", "Usable");
    bool any_usable = false;
    for (const hardware::parport_info& port : ports) {
        row(port.device, hardware::address_text(port.base), port.modes.empty() ? "-" : port.modes,
            hardware::access_summary(port));
        any_usable = any_usable || hardware::port_usable(port);
        if (port.ppdev.usable())
            continue;
        print_verdict(s.out, "", port.ppdev);
        if (port.raw_io)
            print_verdict(s.out, "raw port I/O: ", *port.raw_io);
    }
    if (!any_usable)
        s.err << "pinwright-cli: this user can use none of these ports (see the fixes above)\n";
    return any_usable ? exit_success : exit_hardware;
}

} // namespace cli
