// Port trace decorator: one text line per register access or wait.
#include "hardware/port_trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>

namespace hardware {

namespace {

// "W 0378 03": put together by hand, as a run traces millions of accesses.
void put_access(std::ostream& out, char kind, std::uint16_t address, std::uint8_t value) {
    constexpr char hex[] = "0123456789ABCDEF";
    const char line[] = {kind,
                         ' ',
                         hex[(address >> 12) & 0xF],
                         hex[(address >> 8) & 0xF],
                         hex[(address >> 4) & 0xF],
                         hex[address & 0xF],
                         ' ',
                         hex[(value >> 4) & 0xF],
                         hex[value & 0xF],
                         '\n'};
    out.write(line, sizeof line);
}

// The stream of an owning trace; a missing one becomes a discarding stream.
std::ostream& owned_stream(std::unique_ptr<std::ostream>& owned) {
    if (!owned)
        owned = std::make_unique<std::ostream>(nullptr);
    return *owned;
}

} // namespace

port_trace::port_trace(std::unique_ptr<port_backend> inner, std::ostream& out)
    : inner_(std::move(inner)), out_(&out) {
    if (!inner_)
        inner_ = std::make_unique<unavailable_port>(port_status{});
}

port_trace::port_trace(std::unique_ptr<port_backend> inner, std::unique_ptr<std::ostream> owned)
    : port_trace(std::move(inner), owned_stream(owned)) {
    owned_ = std::move(owned);
}

port_trace::~port_trace() {
    out_->flush();
}

std::string port_trace::description() const {
    return inner_->description() + ", traced";
}

void port_trace::out32(std::uint16_t address, std::uint8_t value) {
    put_access(*out_, 'W', address, value);
    inner_->out32(address, value);
}

std::uint8_t port_trace::inp32(std::uint16_t address) {
    const std::uint8_t value = inner_->inp32(address);
    put_access(*out_, 'R', address, value);
    return value;
}

void port_trace::note_wait(std::int64_t milliseconds) {
    *out_ << "S " << milliseconds << '\n';
    // A wait is a natural point to get the lines so far onto the disk.
    out_->flush();
    inner_->note_wait(milliseconds);
}

void port_trace::note_wait_us(std::int64_t microseconds) {
    *out_ << "U " << microseconds << '\n';
    inner_->note_wait_us(microseconds);
}

trace_file_result trace_port_to_file(std::unique_ptr<port_backend> backend,
                                     const std::string& path) {
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
    port_status failure;
    if (!file->is_open()) {
        const int error = errno;
        failure.code = port_error::trace_not_writable;
        failure.path = path;
        failure.reason = error != 0 ? std::strerror(error) : "open failed";
        return {std::move(backend), failure};
    }
    failure.code = port_error::none;
    return {std::make_unique<port_trace>(std::move(backend), std::move(file)), failure};
}

} // namespace hardware
