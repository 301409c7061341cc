// What the FTDI line driver needs from the USB side, and nothing more: enter synchronous
// bit-bang mode safely, exchange a batch of pin bytes for their read-back, release the
// chip with the idle byte on its pins. libftdi1 implements it on a real board, the
// simulated board transport on a modelled one.
#pragma once

#include "hardware/ftdi_stream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace hardware {

class ftdi_transport {
  public:
    virtual ~ftdi_transport() = default;

    // Synchronous bit-bang mode in the order that never switches a line on: every pin an
    // input, the idle byte latched, then the output directions. "" on success, otherwise
    // what failed ("setting the latency timer: usb control transfer failed").
    virtual std::string start(std::uint8_t idle, std::uint8_t directions) = 0;
    // Writes `bytes` chunk by chunk (`chunks` are their sizes), the next chunk in flight
    // while the previous one's read-back is drained, and gives one read-back byte per byte
    // written. False when the board failed: `failure()` says how, and from then on
    // nothing is sent.
    virtual bool exchange(std::span<const std::uint8_t> bytes, std::span<const std::size_t> chunks,
                          std::vector<std::uint8_t>& read_back) = 0;
    // Drives `idle` (as far as the board still answers) and releases the board, which
    // stays in bit-bang mode with those levels on its pins.
    virtual void close(std::uint8_t idle) = 0;
    virtual std::string failure() const = 0;
};

// An opened board: its transport, its chip and what status texts call it.
struct ftdi_connection {
    std::unique_ptr<ftdi_transport> transport;
    const ftdi_chip* chip = nullptr;
    std::string description; // "FT232R A1B2C3 (bus 1 device 5)"
};

} // namespace hardware
