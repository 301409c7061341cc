// The FTDI row of the adapter table, over the FTDI backend: the board selector's check,
// the opening with the stored FTDI wiring, and the boards on the USB as `ports` lists them.
#include "hardware/adapter_ftdi_row.h"

#include "hardware/ftdi_adapter.h"
#include "settings/stored_wiring.h"

namespace hardware {

namespace {

// The selector `ports` offers for a board: its serial number when that selects it, else its
// bus and device ("1:5"), which hold until the board is plugged in again.
std::string board_spec(const ftdi_device_info& device) {
    std::string error;
    const auto by_serial = parse_ftdi_spec(device.serial, error);
    if (!device.serial.empty() && by_serial && by_serial->kind == ftdi_selector::by::serial)
        return "ftdi:" + device.serial;
    return "ftdi:" + std::to_string(device.bus) + ":" + std::to_string(device.device);
}

std::string board_description(const ftdi_device_info& device) {
    std::string text = device.chip + (device.serial.empty() ? "" : " serial " + device.serial) +
                       ", bus " + std::to_string(device.bus) + " device " +
                       std::to_string(device.device);
    if (device.channels > 1)
        text += ", channels A-" + std::string(1, static_cast<char>('A' + device.channels - 1));
    if (device.serial_driver_bound)
        text += " (ftdi_sio holds it" + (device.tty.empty() ? "" : " as " + device.tty) +
                "; detached while in use)";
    return text;
}

} // namespace

std::string check_ftdi_spec(const std::string& spec) {
    std::string error;
    return parse_ftdi_spec(spec, error) ? std::string() : error;
}

adapter_opening open_ftdi_row(const adapter_spec& adapter, const adapter_environment&) {
    adapter_opening opening;
    std::unique_ptr<line_driver> driver =
        open_ftdi_adapter(adapter.spec, settings::read_stored_ftdi_wiring());
    opening.status = driver->status();
    if (opening.status.ok())
        install_line_driver(std::move(driver));
    return opening;
}

adapter_enumeration enumerate_ftdi_row(const adapter_environment&) {
    adapter_enumeration found;
    std::string error;
    for (const ftdi_device_info& device : enumerate_ftdi_devices(error)) {
        adapter_listing listing;
        listing.spec = board_spec(device);
        listing.description = board_description(device);
        listing.usable = device.accessible;
        listing.reason = device.access_problem;
        found.adapters.push_back(std::move(listing));
    }
    if (found.adapters.empty())
        found.none_found = error.empty()
                               ? "no FTDI device on the USB (lsusb lists one as ID 0403:6001, "
                                 "6010, 6011, 6014 or 6015 once it is plugged in)"
                               : "the USB devices cannot be listed: " + error;
    return found;
}

} // namespace hardware
