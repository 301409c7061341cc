// Raw port I/O backend. Accesses are limited to the three registers granted by ioperm:
// any other address would fault the process.
#include "hardware/direct_port.h"

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PINWRIGHT_RAW_PORT_IO 1
#else
#define PINWRIGHT_RAW_PORT_IO 0
#endif

namespace hardware {

namespace {

constexpr unsigned long register_count = 3;

std::string range_text(std::int32_t base) {
    return "I/O ports " + address_text(base) + "-" + address_text(base + 2);
}

} // namespace

bool direct_port_supported() {
    return PINWRIGHT_RAW_PORT_IO != 0;
}

direct_port::direct_port(std::int32_t base, io_permission_function io_permission)
    : base_(base), io_permission_(std::move(io_permission)) {
#if PINWRIGHT_RAW_PORT_IO
    if (!io_permission_)
        io_permission_ = [](unsigned long from, unsigned long count, int turn_on) {
            return ::ioperm(from, count, turn_on);
        };
#endif
}

direct_port::~direct_port() {
    release();
}

void direct_port::release() {
    if (granted_ && io_permission_)
        io_permission_(static_cast<unsigned long>(base_), register_count, 0);
    granted_ = false;
}

port_status direct_port::open() {
    release();
    status_ = {};
    status_.path = range_text(base_);
    if (!direct_port_supported() || !io_permission_) {
        status_.code = port_error::not_supported;
        status_.reason = "raw port I/O exists only on x86";
        return status_;
    }
    if (base_ <= 0 || base_ + 2 > 0xFFFF) {
        status_.code = port_error::no_such_port;
        status_.reason = "not a parallel port base address";
        return status_;
    }
    if (io_permission_(static_cast<unsigned long>(base_), register_count, 1) != 0) {
        const int error = errno;
        status_.code = error == EPERM || error == EACCES ? port_error::no_io_privilege
                                                         : port_error::io_failure;
        status_.reason = std::string(std::strerror(error)) +
                         "; raw port access needs root or the CAP_SYS_RAWIO capability";
        return status_;
    }
    granted_ = true;
    status_.code = port_error::none;
    return status_;
}

std::string direct_port::description() const {
    return "raw " + range_text(base_);
}

bool direct_port::owns(std::uint16_t address) const {
    return granted_ && address >= base_ && address <= base_ + 2;
}

void direct_port::out32(std::uint16_t address, std::uint8_t value) {
    if (!owns(address))
        return;
#if PINWRIGHT_RAW_PORT_IO
    ::outb(value, address);
#else
    (void)value;
#endif
}

std::uint8_t direct_port::inp32(std::uint16_t address) {
    if (!owns(address))
        return 0xFF;
#if PINWRIGHT_RAW_PORT_IO
    return ::inb(address);
#else
    return 0xFF;
#endif
}

} // namespace hardware
