// FTDI boards as adapters: the selector of `--port ftdi[:SPEC]`, the list of the FTDI
// chips on the USB with whether this user may open them, and the opening of one as a
// line driver through libftdi1.
//
// SPEC: empty for the first FTDI device; a decimal index ("0", "1") into the list; a USB
// bus and device number "BUS:DEV" in decimal ("1:5", "001:005"); a vendor and product ID
// as two fields of four hex digits ("0403:6014"); anything else is a serial number. A
// suffix "/A" to "/D" picks the channel of a multi-channel chip (default A).
#pragma once

#include "hardware/ftdi_stream.h"
#include "hardware/line_driver.h"
#include "settings/stored_wiring.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hardware {

struct ftdi_selector {
    enum class by { first, index, bus_device, vid_pid, serial };
    by kind = by::first;
    int index = 0;
    int bus = 0, device = 0;
    std::uint16_t vendor = 0, product = 0;
    std::string serial{};
    int channel = 0; // 0 = A ... 3 = D
    bool operator==(const ftdi_selector&) const = default;
};

// The selector, or nothing with `error` saying what is wrong and what is accepted.
std::optional<ftdi_selector> parse_ftdi_spec(std::string_view spec, std::string& error);

// The USB product IDs of FTDI chips with a bit-bang mode (vendor 0x0403).
inline constexpr std::uint16_t ftdi_vendor = 0x0403;
inline constexpr std::uint16_t ftdi_products[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};

struct ftdi_device_info {
    std::string chip; // "FT232R"
    int channels = 1;
    std::uint16_t vendor = 0, product = 0;
    int bus = 0, device = 0;
    std::string node;   // "/dev/bus/usb/001/005"
    std::string serial; // empty when it cannot be read (no access) or there is none
    bool accessible = false;
    // Why it may not be opened and the fix; empty when accessible.
    std::string access_problem;
    // The kernel's serial driver holds it (as `tty`, "ttyUSB0" when known); libftdi
    // detaches it while the program uses the board, so this is no obstacle.
    bool serial_driver_bound = false;
    std::string tty;
};

// FTDI devices on the USB in bus and device order; `error` says why none could be listed
// (libusb could not start).
std::vector<ftdi_device_info> enumerate_ftdi_devices(std::string& error);
// One line for a listing: "FT232R serial A1B2C3, bus 1 device 5, 1 channel: can be
// opened (ftdi_sio holds it as ttyUSB0; it is detached while in use)".
std::string ftdi_device_text(const ftdi_device_info& device);

// A driver for the board `spec` selects, opened; its status tells why it could not be
// (no board: no_such_port; no access: permission_denied; each with the fix).
std::unique_ptr<line_driver> open_ftdi_adapter(std::string_view spec,
                                               const settings::ftdi_wiring& wiring);

} // namespace hardware
