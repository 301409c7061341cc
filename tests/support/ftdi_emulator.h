// An FTDI USB board emulated in-process under umockdev, for running the real libftdi1 and
// libusb against it: an FT232R or an FT232H with a programming adapter whose bit-bang pins
// drive a chip in the adapter's socket (hardware::ftdi_pin_board).
//
// Constructing one adds the USB device (sysfs attributes, descriptors, a /dev/bus/usb node)
// to a fresh umockdev testbed and answers the usbdevfs calls libusb makes on that node:
// capabilities, claim/release/reset, the kernel driver query (none bound), control
// transfers (the FTDI vendor requests and string descriptors), bulk transfers and the
// reaping and discarding of URBs. The process must run with umockdev's preload library
// (umockdev-wrapper; the constructor throws otherwise); umockdev serves the calls on a
// thread of its own, so every accessor here locks. One emulator at a time: each has a
// testbed of its own, and umockdev serves one testbed per process.
//
// What the chip does with the bytes:
// - Synchronous bit-bang (mode 0x04): each byte goes to the pins; the pins as read just
//   before it make one read-back byte. A bulk OUT is taken into the TX FIFO only as far as
//   it has room, and TX bytes reach the pins only while the RX FIFO has room for their
//   read-back (FT232R: 128 TX, 256 RX; FT232H: 1024 each), so a host that writes more than
//   the FIFOs hold without reading stalls, and its write times out as on the chip.
//   Asynchronous bit-bang (0x01) drives the pins without read-back; UART mode discards.
// - A bulk IN returns packets of two status bytes and up to packet size - 2 read-back
//   bytes, ending with the first short packet; with nothing queued, at once the two status
//   bytes alone (the latency timer is not modelled: a partial packet never waits). A
//   read-back byte leaves the chip no earlier than its byte reaches the pins: the bulk IN
//   that carries it waits until then, so a host sleep after a flush is a hold at the pins.
// - Byte time: the chip's baud rate decoded from the divisor the host set, divided by 4.
//   libftdi multiplies the rate it is given by 4 once a bit-bang mode is on, so a rate set
//   after ftdi_set_bitmode is the byte rate; one set before is a quarter of it.
// - Time at the pins is the later of the emulator's own byte clock and the host clock
//   (core::monotonic_us), so host sleeps, virtual ones included, reach the chip.
// - Mode changes: the UART drives D0, D2 and D4 high and leaves the rest inputs; entering a
//   bit-bang mode from it clears the latch (the worst case the chips allow) and sets the
//   direction mask.
// - The reset request and both purges empty both FIFOs.
// - Faults, counted in bulk OUT bytes the chip took: a transfer fails (URB status -EPIPE or
//   -EIO), or the board disappears: its pins float (the adapter's supplies go off), pending
//   transfers end with -ENODEV and every later call fails with ENODEV, as after unplugging.
//
// Use: construct one (an FT232R with serial PW1A2B3C at bus 1, device 2 unless told
// otherwise), put a chip into its socket (hardware::socket_virtual_chip), run the code under
// test in the same process, then look at the chip, levels() and snapshot().
#pragma once

#include "hardware/ftdi_pin_board.h"
#include "settings/stored_wiring.h"

#include <cstdint>
#include <memory>
#include <string>

namespace test_support {

enum class ftdi_chip_kind { ft232r, ft232h };
// Both, for tests run on each, and the name libftdi and the program give each.
constexpr ftdi_chip_kind ftdi_chip_kinds[] = {ftdi_chip_kind::ft232r, ftdi_chip_kind::ft232h};
inline std::string chip_name(ftdi_chip_kind kind) {
    return kind == ftdi_chip_kind::ft232h ? "FT232H" : "FT232R";
}

struct ftdi_board_setup {
    ftdi_chip_kind kind = ftdi_chip_kind::ft232r;
    std::string serial = "PW1A2B3C";
    int bus = 1;
    int device = 2;
    settings::ftdi_wiring wiring{};
};

class ftdi_emulator {
  public:
    explicit ftdi_emulator(ftdi_board_setup setup = {});
    ~ftdi_emulator();
    ftdi_emulator(const ftdi_emulator&) = delete;
    ftdi_emulator& operator=(const ftdi_emulator&) = delete;

    // Whether the process runs with umockdev's preload library; without it nothing here
    // reaches libusb.
    static bool in_mock_environment();

    const ftdi_board_setup& setup() const { return setup_; }
    std::uint16_t product_id() const;

    // Puts a chip into the adapter's socket (null empties it).
    void insert_chip(std::unique_ptr<hardware::target_chip> chip);
    hardware::ftdi_pin_board::chip_levels levels() const;

    // The bulk OUT that would take the chip past `bytes` more bytes ends after them with URB
    // status `urb_status` (-EPIPE, -EIO); later transfers work again.
    void fail_transfer_after(std::int64_t bytes, int urb_status);
    // The board disappears once the chip took `bytes` more bytes (0: now).
    void unplug_after(std::int64_t bytes);
    bool unplugged() const;

    // What the host has set and sent.
    struct state {
        std::uint8_t bit_mode = 0;  // 0x00 UART, 0x01 async, 0x04 sync bit-bang
        std::uint8_t direction = 0; // pin directions, bit = 1 output (0 once unplugged)
        std::int64_t step_ns = 0;   // one bit-bang byte time
        int latency_ms = 16;
        std::size_t most_unread = 0; // the largest read-back backlog seen
        std::int64_t stalls = 0;     // times a bulk OUT had to wait for room
    };
    state snapshot() const;

    struct impl;

  private:
    ftdi_board_setup setup_;
    std::unique_ptr<impl> impl_;
};

} // namespace test_support
