// The byte stream of an FTDI chip in synchronous bit-bang mode, without any USB: the
// wiring turns each staged state of the five lines into one output byte of D0-D7, a
// sample of DATA IN becomes the index of a read-back byte, holds become repeated bytes
// where the byte clock makes that exact, and a flush is cut into chunks that the chip's
// FIFOs can take while the host drains the read-back.
//
// In sync mode the chip reads its pins just before it applies each byte it clocks out, so
// the read-back byte of byte n+1 shows the pins while state n is on them: a sample taken
// after state n reads the byte that follows it. When nothing follows, the flush appends a
// repeat of the current byte. A stalled chip only lengthens the state on its pins, so
// padding a minimum hold with repeats is safe whatever the USB does.
#pragma once

#include "hardware/line_driver.h"
#include "settings/stored_wiring.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hardware {

// The FTDI chips by what their bit-bang stream needs.
enum class ftdi_chip_kind { ft232am, ft232bm, ft2232c, ft232r, ft2232h, ft4232h, ft232h, ft_x };

struct ftdi_chip {
    ftdi_chip_kind kind;
    const char* name;  // "FT232R"
    int channels;      // bit-bang channels A, B, ...
    bool sync_bitbang; // whether the chip has synchronous bit-bang at all
    bool high_speed;   // USB 2.0 high speed (125 us micro-frames, 512-byte packets)
    // Bytes that may be written and not yet read back: beyond the TX and RX FIFOs the
    // chip stops clocking and a blocking write never completes.
    std::size_t max_outstanding;
    // The shortest time one byte stays on the pins at the rate the driver sets; 0 where
    // that rate is not known, so holds are never padded.
    std::int64_t step_ns;
};

// The chip behind libftdi's chip type (its ftdi_chip_type value), or bcdDevice of the USB
// device descriptor, as libftdi itself tells them apart.
const ftdi_chip& ftdi_chip_from_bcd_device(std::uint16_t bcd_device);
const ftdi_chip& ftdi_chip_info(ftdi_chip_kind kind);

// The USB side of a flush, for the estimate of how long queued work takes on the wire
// and for the simulated board's timing model: a host transfer whose answer is awaited
// costs one round trip (the latency timer at 1 ms, which a partial IN packet waits for),
// and every byte travels once in an OUT packet and once (its read-back) in an IN packet
// whose first two bytes are the chip's status.
struct ftdi_usb_timing {
    std::int64_t round_trip_ns;
    std::int64_t packet_ns;       // bus time of one full bulk transaction
    std::size_t out_packet_bytes; // data bytes per OUT packet
    std::size_t in_packet_bytes;  // data bytes per IN packet (status bytes excluded)
};
ftdi_usb_timing ftdi_timing(const ftdi_chip& chip);
// The bus time of `bytes` written and read back, without the round trip.
std::int64_t ftdi_bus_ns(const ftdi_usb_timing& timing, std::size_t bytes);

// Holds longer than this many bytes of repeats are slept on the host instead. One FIFO
// window (384 bytes on an FT232R, 128 us at 3 MHz) costs about 0.6 ms of full-speed bus
// time, less than the round trip a host sleep adds; beyond it the repeats would cost more
// bus time than the flush they avoid.
std::size_t ftdi_padding_limit(const ftdi_chip& chip);

// A bit-bang pin by its bit and UART name: "D0 (TXD)" ... "D7 (RI)"; "not connected" for
// -1, "D<n>" for any other bit.
std::string ftdi_pin_name(std::int32_t bit);

// "" when the wiring can drive the lines, otherwise what is wrong with it ("DATA IN and
// CLOCK are both on D0").
std::string ftdi_wiring_problem(const settings::ftdi_wiring& wiring);

class ftdi_stream {
  public:
    ftdi_stream(const settings::ftdi_wiring& wiring, const ftdi_chip& chip);

    // D0-D7 directions for set_bitmode: 1 for the pins of the four output lines.
    std::uint8_t direction() const { return direction_; }
    // The output byte of a state, inversion applied; unconnected and input pins at 0.
    std::uint8_t pins(const line_levels& levels) const;
    // DATA IN's logical level in a read-back byte.
    bool data_in(std::uint8_t read_back) const;

    void stage(const line_levels& levels);
    const line_levels& staged() const { return staged_; }
    sample_ticket sample();
    // Queues repeats of the current byte so that it lasts at least `microseconds`; false
    // (nothing queued) when the byte clock is unknown or the repeats would exceed the
    // padding limit, and the caller flushes and sleeps instead.
    bool pad(std::int64_t microseconds);

    std::size_t queued_bytes() const { return bytes_.size(); }
    // What the queued bytes take on the wire, at the byte clock or the USB bus, whichever
    // is slower.
    std::int64_t queued_ns() const;

    // The queued bytes (with a repeat of the last one appended when a sample reads past
    // them), taken for sending; the queue is empty afterwards and the samples wait for
    // `resolve` or `fail`.
    std::vector<std::uint8_t> take();
    // The read-back of the bytes last taken, one byte each: settles their samples.
    void resolve(std::span<const std::uint8_t> read_back);
    // The taken and queued bytes never ran: their samples read false from now on.
    void fail();

    // Chunk sizes for sending `total` bytes with the next chunk written while the previous
    // one's read-back is drained: any two neighbours fit in the chip's FIFOs.
    std::vector<std::size_t> chunks(std::size_t total) const;

    // The last ticket handed out (0: none yet).
    sample_ticket last_ticket() const { return values_.size(); }
    bool ready(sample_ticket ticket) const;
    // False for a ticket never handed out or not yet resolved.
    bool value(sample_ticket ticket) const;
    const ftdi_chip& chip() const { return chip_; }

  private:
    struct line_bit {
        std::uint8_t mask = 0; // 0 for a line not connected
        bool inverted = false;
    };
    struct pending_sample {
        sample_ticket ticket;
        std::size_t index; // of the read-back byte in the batch
    };

    const ftdi_chip& chip_;
    line_bit vdd_, vpp_, clock_, data_out_, data_in_;
    std::uint8_t direction_ = 0;
    line_levels staged_;
    std::uint8_t current_ = 0; // the byte of the staged state
    std::vector<std::uint8_t> bytes_;
    std::vector<pending_sample> queued_samples_;
    std::vector<pending_sample> taken_samples_;
    std::vector<std::uint8_t> values_; // per ticket - 1: 0 pending, 1 low, 2 high
};

} // namespace hardware
