// The FTDI line driver: the seam's calls turned into the byte stream, flushed through the
// transport by the rules in the header.
#include "hardware/ftdi_line_driver.h"

#include "core/host_hooks.h"

namespace hardware {

ftdi_line_driver::ftdi_line_driver(ftdi_connector connect, settings::ftdi_wiring wiring,
                                   std::string name)
    : connect_(std::move(connect)), wiring_(wiring), name_(std::move(name)) {}

ftdi_line_driver::~ftdi_line_driver() {
    close();
}

port_status ftdi_line_driver::open() {
    close();
    status_ = {};
    status_.path = name_;
    if (const std::string problem = ftdi_wiring_problem(wiring_); !problem.empty()) {
        status_.code = port_error::not_supported;
        status_.reason = "the FTDI wiring cannot drive the lines: " + problem +
                         "; correct it in Hardware Settings";
        return status_;
    }
    ftdi_connection connection;
    status_ = connect_(connection);
    if (!status_.ok())
        return status_;
    if (!connection.chip->sync_bitbang) {
        status_.code = port_error::not_supported;
        status_.path = connection.description;
        status_.reason = std::string("the ") + connection.chip->name +
                         " has no synchronous bit-bang mode; use a board with an FT232R, "
                         "FT-X or H-series chip";
        return status_;
    }
    connection_ = std::move(connection);
    tickets_before_ = issued_;
    stream_.emplace(wiring_, *connection_.chip);
    staged_ = {};
    stream_->stage(staged_);
    const std::uint8_t idle = stream_->take().front();
    if (const std::string failed = connection_.transport->start(idle, stream_->direction());
        !failed.empty()) {
        status_.code = port_error::io_failure;
        status_.path = connection_.description;
        status_.reason = failed;
        connection_ = {};
        stream_.reset();
        return status_;
    }
    status_.path = connection_.description;
    return status_;
}

void ftdi_line_driver::close() {
    if (!connection_.transport)
        return;
    flush();
    const line_levels idle{};
    connection_.transport->close(stream_->pins(idle));
    staged_ = idle;
    connection_ = {};
    if (status_.ok())
        status_.code = port_error::not_opened;
}

std::string ftdi_line_driver::description() const {
    return connection_.transport ? connection_.description : name_;
}

std::unique_ptr<ftdi_line_driver>
ftdi_line_driver::rewired(const settings::ftdi_wiring& wiring) const {
    return std::make_unique<ftdi_line_driver>(connect_, wiring, name_);
}

driver_capabilities ftdi_line_driver::capabilities() const {
    return {.queued = true,
            .max_batch = max_batch,
            .step_ns = stream_ ? stream_->chip().step_ns : 0,
            .fast_clocking = true};
}

void ftdi_line_driver::stage(const line_levels& levels) {
    staged_ = levels;
    if (!status_.ok() || !stream_)
        return;
    stream_->stage(levels);
    flush_when_full();
}

sample_ticket ftdi_line_driver::sample() {
    if (!stream_ || !connection_.transport)
        return ++issued_;
    const sample_ticket ticket = tickets_before_ + stream_->sample();
    issued_ = ticket;
    if (!status_.ok())
        stream_->fail();
    return ticket;
}

void ftdi_line_driver::hold_ms(std::int64_t milliseconds) {
    if (status_.ok() && stream_ && stream_->pad(milliseconds * 1000)) {
        flush_when_full();
        return;
    }
    flush();
    if (status_.code != port_error::port_lost)
        core::sleep_ms(milliseconds);
}

void ftdi_line_driver::hold_us(std::int64_t microseconds) {
    if (status_.ok() && stream_ && stream_->pad(microseconds)) {
        flush_when_full();
        return;
    }
    flush();
    if (microseconds > 0 && status_.code != port_error::port_lost)
        core::hooks().sleep_us(microseconds);
}

void ftdi_line_driver::flush() {
    if (!stream_ || !connection_.transport)
        return;
    if (!status_.ok()) {
        stream_->fail();
        return;
    }
    const std::vector<std::uint8_t> bytes = stream_->take();
    if (bytes.empty())
        return;
    std::vector<std::uint8_t> read_back;
    if (!connection_.transport->exchange(bytes, stream_->chunks(bytes.size()), read_back)) {
        lose(connection_.transport->failure());
        return;
    }
    stream_->resolve(read_back);
}

bool ftdi_line_driver::ready(sample_ticket ticket) const {
    if (in_stream(ticket))
        return stream_->ready(ticket - tickets_before_);
    return ticket >= 1 && ticket <= issued_;
}

bool ftdi_line_driver::value(sample_ticket ticket) {
    if (!in_stream(ticket))
        return false;
    if (!stream_->ready(ticket - tickets_before_))
        flush();
    return stream_->value(ticket - tickets_before_);
}

bool ftdi_line_driver::in_stream(sample_ticket ticket) const {
    return stream_ && ticket > tickets_before_ &&
           ticket - tickets_before_ <= stream_->last_ticket();
}

void ftdi_line_driver::flush_when_full() {
    if (stream_->queued_bytes() >= max_batch || stream_->queued_ns() >= max_queued_ns)
        flush();
}

void ftdi_line_driver::lose(const std::string& reason) {
    status_.code = port_error::port_lost;
    status_.path = connection_.description;
    status_.reason = reason;
    stream_->fail();
}

} // namespace hardware
