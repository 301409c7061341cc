// The current port backend, Out32/Inp32 through it, and the message texts of the port
// layer's failures.
#include "hardware/port_backend.h"

#include <cstdio>

namespace hardware {

namespace {

// Short reason text of an error ("permission denied").
std::string port_error_text(port_error error) {
    switch (error) {
    case port_error::none:
        return "ready";
    case port_error::not_opened:
        return "no port opened";
    case port_error::no_such_port:
        return "no such port";
    case port_error::no_device_node:
        return "no device file";
    case port_error::permission_denied:
        return "permission denied";
    case port_error::port_busy:
        return "port busy";
    case port_error::no_io_privilege:
        return "raw port I/O not permitted";
    case port_error::not_supported:
        return "not supported";
    case port_error::io_failure:
        return "I/O failure";
    case port_error::port_lost:
        return "failed while in use";
    case port_error::trace_not_writable:
        return "cannot write";
    }
    return "unknown error";
}

} // namespace

std::string failure_text(const port_status& status) {
    if (status.ok())
        return {};
    if (status.code == port_error::trace_not_writable)
        return "cannot write the port trace " + status.path + ": " + status.reason;
    if (status.code == port_error::port_lost)
        return (status.path.empty() ? std::string("the parallel port") : status.path) +
               " failed while in use" + (status.reason.empty() ? "" : " (" + status.reason + ")");
    std::string text = "cannot open ";
    text += status.path.empty() ? std::string("the parallel port") : status.path;
    text += ": ";
    text += port_error_text(status.code);
    if (!status.reason.empty())
        text += " (" + status.reason + ")";
    if (!status.also.empty())
        text += "; " + status.also;
    return text;
}

unavailable_port::unavailable_port(port_status why) : why_(std::move(why)) {
    if (why_.ok())
        why_.code = port_error::not_opened;
}

std::string unavailable_port::description() const {
    return why_.code == port_error::not_opened && why_.path.empty() ? "no port"
                                                                    : failure_text(why_);
}

namespace {

std::unique_ptr<port_backend>& installed() {
    static std::unique_ptr<port_backend> current =
        std::make_unique<unavailable_port>(port_status{});
    return current;
}

} // namespace

std::unique_ptr<port_backend> install_port_backend(std::unique_ptr<port_backend> backend) {
    if (!backend)
        backend = std::make_unique<unavailable_port>(port_status{});
    std::unique_ptr<port_backend> previous = std::move(installed());
    installed() = std::move(backend);
    return previous;
}

port_backend& current_port_backend() {
    return *installed();
}

void Out32(std::int32_t address, std::int32_t value) {
    current_port_backend().out32(static_cast<std::uint16_t>(address & 0xFFFF),
                                 static_cast<std::uint8_t>(value & 0xFF));
}

std::int32_t Inp32(std::int32_t address) {
    return current_port_backend().inp32(static_cast<std::uint16_t>(address & 0xFFFF));
}

namespace {
constexpr std::int32_t lpt_bases[] = {888, 632, 956};
} // namespace

std::int32_t lpt_base(int number) {
    return number >= 1 && number <= 3 ? lpt_bases[number - 1] : 0;
}

int lpt_number(std::int32_t port_base) {
    for (int number = 1; number <= 3; ++number)
        if (lpt_bases[number - 1] == port_base)
            return number;
    return 0;
}

std::string ready_caption(std::int32_t port_base, const std::string& device) {
    const int number = lpt_number(port_base);
    if (number != 0)
        return "Parallel port " + std::to_string(number) + " ready";
    if (device.empty())
        return {};
    char address[16];
    std::snprintf(address, sizeof address, "%Xh", static_cast<unsigned>(port_base & 0xFFFF));
    return std::string("Parallel port ") + address + " (" + device + ") ready";
}

std::string address_text(std::int32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(address & 0xFFFF));
    return text;
}

port_status port_failure(port_error code, std::string path, std::string reason) {
    port_status status;
    status.code = code;
    status.path = std::move(path);
    status.reason = std::move(reason);
    return status;
}

} // namespace hardware
