// The programmer's lines on an FTDI board in synchronous bit-bang mode: the line seam over
// the byte stream (ftdi_stream.h) and a USB transport (ftdi_transport.h). Everything is
// queued; the queue goes out when a value is needed, when a hold is too long to pad, when
// it holds `max_batch` bytes or 100 ms of wire time (so that a window's progress and
// Cancel stay live), and on close. After a USB failure the driver is port_lost: nothing is
// sent any more, holds no longer wait (nothing is on the pins to hold) and every sample
// reads false.
#pragma once

#include "hardware/ftdi_transport.h"
#include "hardware/line_driver.h"

#include <functional>
#include <optional>

namespace hardware {

// Opens the board: fills the connection, or returns why it cannot.
using ftdi_connector = std::function<port_status(ftdi_connection&)>;

class ftdi_line_driver final : public line_driver {
  public:
    // `name` describes the adapter until it is open ("FTDI adapter ftdi:A1B2C3").
    ftdi_line_driver(ftdi_connector connect, settings::ftdi_wiring wiring, std::string name);
    ~ftdi_line_driver() override;

    port_status open() override;
    void close() override;
    port_status status() const override { return status_; }
    std::string description() const override;
    driver_capabilities capabilities() const override;

    // The wiring this driver drives the board through.
    const settings::ftdi_wiring& wiring() const { return wiring_; }
    // A driver for the same board through another wiring, not yet open. The board takes one
    // driver at a time: this one must be closed while the other is open.
    std::unique_ptr<ftdi_line_driver> rewired(const settings::ftdi_wiring& wiring) const;

    void stage(const line_levels& levels) override;
    line_levels staged() const override { return staged_; }
    sample_ticket sample() override;
    void hold_ms(std::int64_t milliseconds) override;
    void hold_us(std::int64_t microseconds) override;
    void flush() override;
    bool ready(sample_ticket ticket) const override;
    bool value(sample_ticket ticket) override;

    // Queued bytes after which a flush follows.
    static constexpr std::size_t max_batch = 65536;
    // Queued wire time after which a flush follows.
    static constexpr std::int64_t max_queued_ns = 100'000'000;

  private:
    void flush_when_full();
    void lose(const std::string& reason);
    // Whether a ticket belongs to the current (or last) stream.
    bool in_stream(sample_ticket ticket) const;

    ftdi_connector connect_;
    settings::ftdi_wiring wiring_;
    std::string name_;
    ftdi_connection connection_;
    std::optional<ftdi_stream> stream_;
    line_levels staged_;
    port_status status_;
    // Tickets count on across opens: those of earlier streams, and those handed out while
    // no stream ran, which read false.
    sample_ticket tickets_before_ = 0;
    sample_ticket issued_ = 0;
};

} // namespace hardware
