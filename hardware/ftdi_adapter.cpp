// Selecting, listing and opening FTDI boards through libusb and libftdi1.
#include "hardware/ftdi_adapter.h"

#include "hardware/ftdi_line_driver.h"
#include "hardware/ftdi_usb_transport.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace hardware {

namespace {

constexpr const char* accepted_specs =
    "use ftdi for the first FTDI board, ftdi:INDEX (0, 1, ...), ftdi:BUS:DEV (1:5), "
    "ftdi:VID:PID (0403:6014) or ftdi:SERIAL, optionally followed by /A to /D for the "
    "channel";
constexpr const char* list_hint = "`pinwright-cli ports` lists what is seen";
constexpr const char* access_fix =
    "install the package's udev rule (60-pinwright-ftdi.rules), add yourself to the plugdev "
    "group (sudo adduser $USER plugdev), then log out and in and plug the board in again";

bool all_of(std::string_view text, int (*test)(int)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [test](char c) {
        return test(static_cast<unsigned char>(c)) != 0;
    });
}

// A decimal number of at most `digits` digits within 0..limit.
std::optional<int> decimal(std::string_view text, std::size_t digits, int limit) {
    if (text.size() > digits || !all_of(text, isdigit))
        return std::nullopt;
    const int value = std::stoi(std::string(text));
    return value <= limit ? std::optional<int>(value) : std::nullopt;
}

bool is_ftdi_product(std::uint16_t product) {
    return std::find(std::begin(ftdi_products), std::end(ftdi_products), product) !=
           std::end(ftdi_products);
}

std::string three_digits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", value);
    return text;
}

// The string descriptor of a device this user may open; empty otherwise.
std::string serial_number(libusb_device* device, const libusb_device_descriptor& descriptor) {
    libusb_device_handle* handle = nullptr;
    if (descriptor.iSerialNumber == 0 || libusb_open(device, &handle) != 0)
        return {};
    unsigned char text[128] = {};
    const int length =
        libusb_get_string_descriptor_ascii(handle, descriptor.iSerialNumber, text, sizeof text - 1);
    libusb_close(handle);
    return length > 0
               ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length))
               : std::string();
}

// Whether ftdi_sio holds the device's first interface, and its tty.
void find_serial_driver(libusb_device* device, ftdi_device_info& info) {
    std::uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    if (depth <= 0)
        return;
    std::string name = std::to_string(info.bus) + "-";
    for (int k = 0; k < depth; ++k)
        name += (k > 0 ? "." : "") + std::to_string(ports[k]);
    namespace fs = std::filesystem;
    const fs::path interface = fs::path("/sys/bus/usb/devices") / (name + ":1.0");
    std::error_code error;
    const fs::path driver = fs::read_symlink(interface / "driver", error);
    if (error || driver.filename() != "ftdi_sio")
        return;
    info.serial_driver_bound = true;
    for (const auto& entry : fs::directory_iterator(interface, error))
        if (entry.path().filename().string().rfind("ttyUSB", 0) == 0)
            info.tty = entry.path().filename().string();
}

struct listed_device {
    ftdi_device_info info;
    libusb_device* device;
};

// The FTDI devices of `context` (or, for a VID:PID selector, the devices with those IDs);
// `list` must be freed with libusb_free_device_list.
std::vector<listed_device> list_devices(libusb_context* context, libusb_device*** list,
                                        const ftdi_selector* selector) {
    std::vector<listed_device> found;
    const ssize_t count = libusb_get_device_list(context, list);
    for (ssize_t k = 0; k < count; ++k) {
        libusb_device* device = (*list)[k];
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != 0)
            continue;
        const bool wanted =
            selector != nullptr && selector->kind == ftdi_selector::by::vid_pid
                ? descriptor.idVendor == selector->vendor &&
                      descriptor.idProduct == selector->product
                : descriptor.idVendor == ftdi_vendor && is_ftdi_product(descriptor.idProduct);
        if (!wanted)
            continue;
        ftdi_device_info info;
        const ftdi_chip& chip = ftdi_chip_from_bcd_device(descriptor.bcdDevice);
        info.chip = chip.name;
        info.channels = chip.channels;
        info.vendor = descriptor.idVendor;
        info.product = descriptor.idProduct;
        info.bus = libusb_get_bus_number(device);
        info.device = libusb_get_device_address(device);
        info.node = "/dev/bus/usb/" + three_digits(info.bus) + "/" + three_digits(info.device);
        if (::access(info.node.c_str(), R_OK | W_OK) == 0) {
            info.accessible = true;
        } else {
            const int reason = errno;
            info.access_problem =
                reason == ENOENT
                    ? "its device file " + info.node + " is missing (is /dev/bus/usb mounted?)"
                    : "no read and write access to " + info.node + " (" + std::strerror(reason) +
                          "): " + access_fix;
        }
        info.serial = info.accessible ? serial_number(device, descriptor) : std::string();
        find_serial_driver(device, info);
        found.push_back({info, device});
    }
    std::sort(found.begin(), found.end(), [](const listed_device& a, const listed_device& b) {
        return std::pair(a.info.bus, a.info.device) < std::pair(b.info.bus, b.info.device);
    });
    return found;
}

std::string board_name(const ftdi_device_info& info, int channel) {
    std::string name = info.chip;
    if (!info.serial.empty())
        name += " " + info.serial;
    name += " (bus " + std::to_string(info.bus) + " device " + std::to_string(info.device) + ")";
    if (info.channels > 1)
        name += std::string(" channel ") + static_cast<char>('A' + channel);
    return name;
}

// libftdi's name for the chip it opened; the same as ftdi_chip_from_bcd_device except
// that it tells an FT232BM without a serial number for the older FT232AM.
const ftdi_chip& chip_of_type(ftdi_chip_type type) {
    switch (type) {
    case TYPE_AM:
        return ftdi_chip_info(ftdi_chip_kind::ft232am);
    case TYPE_BM:
        return ftdi_chip_info(ftdi_chip_kind::ft232bm);
    case TYPE_2232C:
        return ftdi_chip_info(ftdi_chip_kind::ft2232c);
    case TYPE_R:
        return ftdi_chip_info(ftdi_chip_kind::ft232r);
    case TYPE_2232H:
        return ftdi_chip_info(ftdi_chip_kind::ft2232h);
    case TYPE_4232H:
        return ftdi_chip_info(ftdi_chip_kind::ft4232h);
    case TYPE_232H:
        return ftdi_chip_info(ftdi_chip_kind::ft232h);
    case TYPE_230X:
        return ftdi_chip_info(ftdi_chip_kind::ft_x);
    }
    return ftdi_chip_info(ftdi_chip_kind::ft232bm);
}

// Finds the selected board and opens it through libftdi.
port_status connect(const std::string& spec, ftdi_connection& connection) {
    const std::string path = spec.empty() ? "ftdi" : "ftdi:" + spec;
    std::string error;
    const auto selector = parse_ftdi_spec(spec, error);
    if (!selector)
        return port_failure(port_error::no_such_port, path, error);
    ftdi_context* context = ftdi_new();
    if (context == nullptr)
        return port_failure(port_error::not_supported, path, "libftdi could not start");
    libusb_device** list = nullptr;
    const auto devices = list_devices(context->usb_ctx, &list, &*selector);
    const auto give_up = [&](port_status status) {
        libusb_free_device_list(list, 1);
        ftdi_free(context);
        return status;
    };
    if (devices.empty())
        return give_up(
            port_failure(port_error::no_such_port, path,
                         selector->kind == ftdi_selector::by::vid_pid
                             ? std::string("no USB device with that ID: plug it in; ") + list_hint
                             : std::string("no FTDI adapter found: plug it in; ") + list_hint));
    const listed_device* chosen = nullptr;
    bool unreadable = false; // a device whose serial number could not be read
    for (std::size_t k = 0; k < devices.size() && chosen == nullptr; ++k) {
        const ftdi_device_info& info = devices[k].info;
        unreadable = unreadable || !info.accessible;
        switch (selector->kind) {
        case ftdi_selector::by::first:
        case ftdi_selector::by::vid_pid:
            chosen = &devices[k];
            break;
        case ftdi_selector::by::index:
            if (static_cast<int>(k) == selector->index)
                chosen = &devices[k];
            break;
        case ftdi_selector::by::bus_device:
            if (info.bus == selector->bus && info.device == selector->device)
                chosen = &devices[k];
            break;
        case ftdi_selector::by::serial:
            if (info.serial == selector->serial)
                chosen = &devices[k];
            break;
        }
    }
    if (chosen == nullptr) {
        std::string reason = "no FTDI adapter matches " + path + " among the " +
                             std::to_string(devices.size()) + " seen; " + list_hint;
        if (selector->kind == ftdi_selector::by::serial && unreadable)
            return give_up(port_failure(port_error::permission_denied, path,
                                        reason +
                                            "; some could not be asked for their serial "
                                            "number: " +
                                            access_fix));
        return give_up(port_failure(port_error::no_such_port, path, reason));
    }
    const ftdi_device_info& info = chosen->info;
    const std::string name = board_name(info, selector->channel);
    if (!info.accessible)
        return give_up(port_failure(port_error::permission_denied, name, info.access_problem));
    if (selector->channel >= info.channels) {
        const char last = static_cast<char>('A' + info.channels - 1);
        return give_up(
            port_failure(port_error::no_such_port, name,
                         "the " + info.chip + " has " +
                             (info.channels == 1 ? std::string("channel A only")
                                                 : std::string("channels A to ") + last)));
    }
    // libftdi detaches ftdi_sio from the interface it claims and does not give it back, so
    // that nothing resets the pins to their UART levels after the run.
    context->module_detach_mode = AUTO_DETACH_SIO_MODULE;
    ftdi_set_interface(context, static_cast<ftdi_interface>(INTERFACE_A + selector->channel));
    if (const int result = ftdi_usb_open_dev(context, chosen->device); result < 0) {
        const std::string why = ftdi_get_error_string(context);
        // -5: the interface could not be claimed, so another program has it.
        return give_up(result == -5
                           ? port_failure(port_error::port_busy, name,
                                          why + ": another program is using the board; close it")
                           : port_failure(port_error::io_failure, name, why));
    }
    libusb_free_device_list(list, 1);
    connection.chip = &chip_of_type(context->type);
    connection.description = name;
    connection.transport = make_ftdi_usb_transport(context);
    port_status ok;
    ok.code = port_error::none;
    ok.path = name;
    return ok;
}

} // namespace

std::optional<ftdi_selector> parse_ftdi_spec(std::string_view spec, std::string& error) {
    ftdi_selector selector;
    const auto bad = [&](const std::string& what) {
        error =
            "bad FTDI adapter \"ftdi:" + std::string(spec) + "\": " + what + "; " + accepted_specs;
        return std::nullopt;
    };
    std::string_view rest = spec;
    if (const auto slash = rest.rfind('/'); slash != std::string_view::npos) {
        const std::string_view channel = rest.substr(slash + 1);
        if (channel.size() != 1 || std::toupper(static_cast<unsigned char>(channel[0])) < 'A' ||
            std::toupper(static_cast<unsigned char>(channel[0])) > 'D')
            return bad("the channel after / must be A, B, C or D");
        selector.channel = std::toupper(static_cast<unsigned char>(channel[0])) - 'A';
        rest = rest.substr(0, slash);
    }
    if (rest.empty()) {
        selector.kind = ftdi_selector::by::first;
    } else if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
        const std::string_view left = rest.substr(0, colon), right = rest.substr(colon + 1);
        if (left.size() == 4 && right.size() == 4 && all_of(left, isxdigit) &&
            all_of(right, isxdigit)) {
            selector.kind = ftdi_selector::by::vid_pid;
            selector.vendor = static_cast<std::uint16_t>(std::stoi(std::string(left), nullptr, 16));
            selector.product =
                static_cast<std::uint16_t>(std::stoi(std::string(right), nullptr, 16));
        } else if (const auto bus = decimal(left, 3, 255), device = decimal(right, 3, 127);
                   bus && device && *bus > 0 && *device > 0) {
            selector.kind = ftdi_selector::by::bus_device;
            selector.bus = *bus;
            selector.device = *device;
        } else {
            return bad("\"" + std::string(rest) +
                       "\" is neither a bus and device number (1:5, both decimal, bus "
                       "1-255, device 1-127) nor a vendor and product ID (0403:6014)");
        }
    } else if (all_of(rest, isdigit)) {
        const auto index = decimal(rest, 3, 127);
        if (!index)
            return bad("the index " + std::string(rest) + " is too large");
        selector.kind = ftdi_selector::by::index;
        selector.index = *index;
    } else {
        selector.kind = ftdi_selector::by::serial;
        selector.serial = std::string(rest);
    }
    return selector;
}

std::vector<ftdi_device_info> enumerate_ftdi_devices(std::string& error) {
    libusb_context* context = nullptr;
    if (const int result = libusb_init(&context); result != 0) {
        error = std::string("cannot list USB devices: ") + libusb_strerror(result);
        return {};
    }
    libusb_device** list = nullptr;
    std::vector<ftdi_device_info> devices;
    for (auto& listed : list_devices(context, &list, nullptr))
        devices.push_back(std::move(listed.info));
    libusb_free_device_list(list, 1);
    libusb_exit(context);
    return devices;
}

std::string ftdi_device_text(const ftdi_device_info& device) {
    std::string text = device.chip;
    text += device.serial.empty() ? std::string(" (serial number unknown)")
                                  : " serial " + device.serial;
    text += ", bus " + std::to_string(device.bus) + " device " + std::to_string(device.device);
    text +=
        ", " + std::to_string(device.channels) + (device.channels == 1 ? " channel" : " channels");
    if (!device.accessible)
        return text + ": cannot be opened: " + device.access_problem;
    text += ": can be opened";
    if (device.serial_driver_bound)
        text += " (ftdi_sio holds it" + (device.tty.empty() ? "" : " as " + device.tty) +
                "; it is detached while in use)";
    return text;
}

std::unique_ptr<line_driver> open_ftdi_adapter(std::string_view spec,
                                               const settings::ftdi_wiring& wiring) {
    const std::string text(spec);
    auto driver = std::make_unique<ftdi_line_driver>(
        [text](ftdi_connection& connection) { return connect(text, connection); }, wiring,
        text.empty() ? "FTDI adapter" : "FTDI adapter ftdi:" + text);
    driver->open();
    return driver;
}

} // namespace hardware
