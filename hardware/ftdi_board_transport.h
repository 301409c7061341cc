// An FTDI board that exists only in simulation: the FTDI transport over an ftdi_pin_board
// (the chip's pins wired to a chip in a socket), with a model of the USB's timing charged
// through the host hooks' sleep, so that on a virtual clock a run takes the time it would
// take on a real board. Every host transfer whose answer is awaited costs one round trip
// (1 ms: the latency timer that the last, partial IN packet waits for), and a batch
// occupies the full-speed bus for its OUT packets of 64 bytes and its IN packets of 62
// data bytes, or the chip's byte clock if that is slower; the next chunk is in flight
// while the previous one is drained, so chunks add no round trips of their own.
#pragma once

#include "hardware/ftdi_line_driver.h"
#include "hardware/simulated_adapter.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace hardware {

struct simulated_ftdi_board {
    ftdi_chip_kind chip = ftdi_chip_kind::ft232r;
    // How the board's pins reach the socket (the program's settings may differ).
    settings::ftdi_wiring wiring{};
    // A fault for tests: the board disappears after this many more bytes.
    std::optional<std::int64_t> lost_after_bytes{};
};

// Opens a driver on a simulated board with `chip` in its socket (null: empty), driven
// through `program_wiring`.
std::unique_ptr<line_driver> open_simulated_ftdi_adapter(std::unique_ptr<target_chip> chip,
                                                         settings::ftdi_wiring program_wiring,
                                                         simulated_ftdi_board board = {});

} // namespace hardware
