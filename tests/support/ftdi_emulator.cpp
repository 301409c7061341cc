// The FTDI board emulation: USB descriptors, the usbdevfs calls, the FTDI vendor requests
// and the bit-bang FIFOs in front of the pin board.
#include "ftdi_emulator.h"

#include "umockdev_support.h"

#include <umockdev.h>

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace test_support {

namespace {

// What differs between the two chips.
struct chip_profile {
    std::uint16_t product_id;
    std::uint16_t bcd_device; // libftdi tells the chip type from it
    std::uint16_t packet_size;
    int speed_mbps;
    std::size_t tx_fifo;
    std::size_t rx_fifo;
    const char* product;
    bool h_series; // baud divisor layout and the 120 MHz clock
};

// By ftdi_chip_kind.
constexpr chip_profile profiles[] = {
    {0x6001, 0x0600, 64, 12, 128, 256, "FT232R USB UART", false},
    {0x6014, 0x0900, 512, 480, 1024, 1024, "Single RS232-HS", true},
};

// FTDI vendor requests (bRequest) and bit modes.
enum : std::uint8_t { request_reset = 0x00, request_set_baud = 0x03, request_poll_modem = 0x05 };
enum : std::uint8_t { request_set_latency = 0x09, request_get_latency = 0x0A };
enum : std::uint8_t { request_set_bitmode = 0x0B, request_read_pins = 0x0C, request_eeprom = 0x90 };
enum : std::uint8_t { mode_uart = 0x00, mode_async_bitbang = 0x01, mode_sync_bitbang = 0x04 };
// The pins the UART drives (TXD, RTS#, DTR#), all idle high.
constexpr std::uint8_t uart_outputs = 0x15;
// Modem and line status at the head of every IN packet: CTS/DSR clear, transmitter empty.
constexpr std::uint8_t status_bytes[2] = {0x01, 0x60};

constexpr std::uint8_t lo(unsigned value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
constexpr std::uint8_t hi(unsigned value) {
    return static_cast<std::uint8_t>(value >> 8);
}

// Device, configuration, interface and the two bulk endpoint descriptors, as sysfs keeps
// them in "descriptors".
std::vector<std::uint8_t> descriptors(const chip_profile& chip) {
    const std::uint16_t id = chip.product_id, bcd = chip.bcd_device, size = chip.packet_size;
    const std::uint8_t ep0 = chip.h_series ? 64 : 8;
    std::vector<std::uint8_t> d{18, 1, 0x00, 0x02, 0, 0, 0, ep0, 0x03, 0x04}; // USB 2.0, FTDI
    d.insert(d.end(), {lo(id), hi(id), lo(bcd), hi(bcd), 1, 2, 3, 1}); // strings, 1 configuration
    d.insert(d.end(), {9, 2, 32, 0, 1, 1, 0, 0xA0, 0x2D});   // one interface, bus powered, 90 mA
    d.insert(d.end(), {9, 4, 0, 0, 2, 0xFF, 0xFF, 0xFF, 2}); // vendor class, two endpoints
    for (const std::uint8_t endpoint : {std::uint8_t{0x81}, std::uint8_t{0x02}})
        d.insert(d.end(), {7, 5, endpoint, 2, lo(size), hi(size), 0}); // bulk
    return d;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (const std::uint8_t b : bytes)
        text += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
    return text;
}

std::vector<std::uint8_t> string_descriptor(const std::string& text) {
    std::vector<std::uint8_t> d{static_cast<std::uint8_t>(2 + 2 * text.size()), 3};
    for (const char c : text)
        d.insert(d.end(), {static_cast<std::uint8_t>(c), 0}); // UTF-16LE
    return d;
}

// The chip's baud rate from the divisor libftdi encodes into wValue and wIndex: 14 bits of
// whole divisor, 3 bits of eighths in a scrambled order, on H-series chips a bit that
// switches the 120 MHz clock (12 MHz base) on; 0 and 1 are the two fastest rates.
std::int64_t chip_baud(std::uint16_t value, std::uint16_t index, bool h_series) {
    std::uint32_t encoded = value;
    encoded |= h_series ? (static_cast<std::uint32_t>(index & 0xFF00) << 8)
                        : (static_cast<std::uint32_t>(index) << 16);
    const std::int64_t base = (h_series && (encoded & 0x20000) != 0) ? 12'000'000 : 3'000'000;
    encoded &= 0x1FFFF;
    if (encoded == 0)
        return base;
    if (encoded == 1)
        return base * 2 / 3;
    static constexpr int eighths_of_code[8] = {0, 4, 2, 1, 3, 5, 6, 7};
    const std::int64_t eighths = (encoded & 0x3FFF) * 8 + eighths_of_code[(encoded >> 14) & 7];
    return base * 8 / eighths;
}

// One bit-bang byte is four baud clocks (libftdi's multiplier undone).
std::int64_t byte_time_ns(std::int64_t baud) {
    return baud > 0 ? 4'000'000'000LL / baud : 0;
}

} // namespace

struct ftdi_emulator::impl {
    struct urb_entry {
        UMockdevIoctlData* urb = nullptr;    // the client's usbdevfs_urb
        UMockdevIoctlData* buffer = nullptr; // its data buffer
        std::size_t done = 0;                // bytes taken (OUT) so far
        bool stalled = false;                // had to wait for FIFO room
        usbdevfs_urb* view() const { return reinterpret_cast<usbdevfs_urb*>(urb->data); }
        std::size_t length() const { return static_cast<std::size_t>(view()->buffer_length); }
    };

    explicit impl(const ftdi_board_setup& setup)
        : chip(profiles[static_cast<int>(setup.kind)]), serial(setup.serial),
          board(nullptr, setup.wiring, byte_time_ns(9600)) {
        board.set_direction(uart_outputs);
        board.set_latch(uart_outputs);
    }

    ~impl() {
        for (auto* list : {&pending_out, &pending_in, &completed})
            for (urb_entry& e : *list)
                release(e);
    }

    static void release(urb_entry& e) {
        g_clear_object(&e.buffer);
        g_clear_object(&e.urb);
    }

    void finish(urb_entry e, int status, std::size_t length) {
        e.view()->status = status;
        e.view()->actual_length = static_cast<int>(length);
        completed.push_back(e);
    }

    // --- bit-bang FIFOs ---

    // TX bytes to the pins while their read-back has room.
    bool clock_tx() {
        std::size_t n = tx.size();
        if (now.bit_mode == mode_sync_bitbang)
            n = std::min(n, chip.rx_fifo - std::min(chip.rx_fifo, rx.size()));
        if (n == 0)
            return false;
        const std::vector<std::uint8_t> bytes(tx.begin(), tx.begin() + static_cast<long>(n));
        tx.erase(tx.begin(), tx.begin() + static_cast<long>(n));
        if (now.bit_mode != mode_sync_bitbang && now.bit_mode != mode_async_bitbang)
            return true; // the UART sends them as serial characters
        const std::vector<std::uint8_t> back = board.clock_out(bytes, host_now_ns());
        if (now.bit_mode == mode_sync_bitbang) {
            rx.insert(rx.end(), back.begin(), back.end());
            // Byte i was sampled as it went to the pins: step i of the batch.
            const std::int64_t first =
                board.batch_end_ns() - static_cast<std::int64_t>(n) * board.step_ns();
            for (std::size_t i = 0; i < n; ++i)
                rx_at.push_back(first + static_cast<std::int64_t>(i) * board.step_ns());
        }
        return true;
    }

    // Bulk OUT data into the TX FIFO as far as it has room and the faults allow.
    bool accept_out() {
        bool moved = false;
        while (!pending_out.empty() && !gone) {
            urb_entry& e = pending_out.front();
            std::size_t take = std::min(e.length() - e.done, chip.tx_fifo - tx.size());
            for (const auto& limit : {fail_after, unplug_after})
                take = std::min(take, static_cast<std::size_t>(limit.value_or(INT64_MAX)));
            tx.insert(tx.end(), e.buffer->data + e.done, e.buffer->data + e.done + take);
            e.done += take;
            now.most_unread = std::max(now.most_unread, rx.size() + tx.size());
            for (auto* limit : {&fail_after, &unplug_after})
                if (*limit)
                    **limit -= static_cast<std::int64_t>(take);
            if (unplug_after == 0 && e.done < e.length()) {
                unplug();
                return true;
            }
            const bool failed = fail_after == 0 && e.done < e.length();
            if (!failed && e.done < e.length())
                return moved || take > 0; // waits for room
            if (failed)
                fail_after.reset();
            finish(e, failed ? fail_status : 0, e.done);
            pending_out.pop_front();
            moved = true;
        }
        return moved;
    }

    // One IN URB: packets of status bytes and read-back, up to the first short packet.
    void serve_in(urb_entry e) {
        const std::size_t length = e.length();
        std::size_t used = 0;
        std::int64_t ready_ns = 0;
        while (length - used >= 2) {
            clock_tx();
            accept_out();
            const std::size_t data =
                std::min({rx.size(), std::size_t{chip.packet_size} - 2u, length - used - 2});
            std::memcpy(e.buffer->data + used, status_bytes, 2);
            std::copy(rx.begin(), rx.begin() + static_cast<long>(data), e.buffer->data + used + 2);
            if (data > 0)
                ready_ns = std::max(ready_ns, rx_at[data - 1]);
            rx.erase(rx.begin(), rx.begin() + static_cast<long>(data));
            rx_at.erase(rx_at.begin(), rx_at.begin() + static_cast<long>(data));
            used += 2 + data;
            if (2 + data < chip.packet_size)
                break;
        }
        // Read-back leaves the chip only once its byte has reached the pins, so a host
        // that has it knows the state is on them (bounded by the FIFO's bytes).
        if (const std::int64_t ahead = ready_ns - host_now_ns(); ahead > 0)
            std::this_thread::sleep_for(std::chrono::nanoseconds(ahead));
        finish(e, 0, used);
    }

    void pump() {
        while (clock_tx() | accept_out()) // both, every round
            ;
        if (!pending_out.empty() && !pending_out.front().stalled) {
            pending_out.front().stalled = true; // the FIFOs are full until the host reads
            ++now.stalls;
        }
        while (!pending_in.empty() && !gone) {
            serve_in(pending_in.front());
            pending_in.pop_front();
        }
    }

    void unplug() {
        gone = true;
        unplug_after.reset();
        board.set_direction(0, host_now_ns()); // the chip lost its supply: every pin floats
        for (auto* list : {&pending_out, &pending_in}) {
            for (urb_entry& e : *list)
                finish(e, -ENODEV, e.done);
            list->clear();
        }
    }

    // --- control transfers ---

    // Answers a control request; the reply (IN) goes after the 8 setup bytes.
    int control(const std::uint8_t* setup, std::uint8_t* reply, std::size_t room,
                std::size_t& reply_length) {
        const std::uint8_t type = setup[0];
        const std::uint8_t request = setup[1];
        const std::uint16_t value = static_cast<std::uint16_t>(setup[2] | (setup[3] << 8));
        const std::uint16_t index = static_cast<std::uint16_t>(setup[4] | (setup[5] << 8));
        const std::size_t wanted = std::min<std::size_t>(room, setup[6] | (setup[7] << 8));
        std::vector<std::uint8_t> answer;
        if ((type & 0x60) == 0x40) { // vendor
            switch (request) {
            case request_reset:
                tx.clear(); // reset and both purges empty the FIFOs
                rx.clear();
                rx_at.clear();
                break;
            case request_set_baud:
                board.set_step_ns(byte_time_ns(chip_baud(value, index, chip.h_series)));
                break;
            case request_set_latency:
                now.latency_ms = value & 0xFF;
                break;
            case request_get_latency:
                answer.push_back(static_cast<std::uint8_t>(now.latency_ms));
                break;
            case request_set_bitmode:
                set_bitmode(static_cast<std::uint8_t>(value >> 8),
                            static_cast<std::uint8_t>(value & 0xFF));
                break;
            case request_read_pins:
                answer.push_back(board.read_pins(host_now_ns()));
                break;
            case request_poll_modem:
                answer.assign(std::begin(status_bytes), std::end(status_bytes));
                break;
            case request_eeprom:
                answer = {0xFF, 0xFF}; // a blank EEPROM
                break;
            default:
                break; // flow control, modem lines, characters: accepted
            }
        } else if (type == 0x80 && request == 6 && (value >> 8) == 3) { // string descriptor
            const std::string strings[] = {"", "FTDI", chip.product, serial};
            if ((value & 0xFF) >= std::size(strings))
                return -EPIPE; // the device stalls on an unknown string
            answer = (value & 0xFF) == 0 ? std::vector<std::uint8_t>{4, 3, 0x09, 0x04} // US English
                                         : string_descriptor(strings[value & 0xFF]);
        } else if (type == 0x80 && request == 6 && (value >> 8) <= 2) {
            answer = descriptors(chip);
            if ((value >> 8) == 2)
                answer.erase(answer.begin(), answer.begin() + 18);
        }
        if ((type & 0x80) != 0 && answer.empty())
            answer.assign(wanted, 0);
        reply_length = std::min(wanted, answer.size());
        std::copy_n(answer.begin(), reply_length, reply);
        return 0;
    }

    void set_bitmode(std::uint8_t mode, std::uint8_t mask) {
        const std::int64_t t = host_now_ns();
        if (mode == mode_uart) {
            board.set_direction(uart_outputs, t);
            board.set_latch(uart_outputs, t);
        } else {
            if (now.bit_mode == mode_uart)
                board.set_latch(0, t);
            board.set_direction(mask, t);
        }
        now.bit_mode = mode;
    }

    // --- usbdevfs ---

    gboolean handle(UMockdevIoctlClient* client) {
        std::lock_guard lock(mutex);
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            const guint32 caps = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                 USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof caps, nullptr);
            std::memcpy(d->data, &caps, sizeof caps);
            g_object_unref(d);
            return complete(client);
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_SETCONFIGURATION:
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESET:
        case USBDEVFS_RESETEP:
            return complete(client, gone ? ENODEV : 0);
        case USBDEVFS_GETDRIVER:
        case USBDEVFS_IOCTL:
            return complete(client, gone ? ENODEV : ENODATA); // no driver
        case USBDEVFS_SUBMITURB:
            return submit(client, arg);
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            return reap(client, arg);
        case USBDEVFS_DISCARDURB:
            return discard(client, arg);
        default:
            return FALSE;
        }
    }

    gboolean submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        if (gone)
            return complete(client, ENODEV);
        urb_entry e;
        e.urb = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
        const usbdevfs_urb* urb = e.view();
        e.buffer = umockdev_ioctl_data_resolve(e.urb, offsetof(usbdevfs_urb, buffer),
                                               static_cast<gsize>(urb->buffer_length), nullptr);
        if (urb->type == USBDEVFS_URB_TYPE_CONTROL && e.length() >= 8) {
            std::size_t reply = 0;
            const int status = control(e.buffer->data, e.buffer->data + 8, e.length() - 8, reply);
            finish(e, status, reply);
        } else if (urb->type == USBDEVFS_URB_TYPE_BULK &&
                   (urb->endpoint == 0x02 || urb->endpoint == 0x81)) {
            (urb->endpoint == 0x02 ? pending_out : pending_in).push_back(e);
        } else {
            release(e);
            return complete(client, EINVAL);
        }
        pump();
        return complete(client);
    }

    gboolean reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        pump();
        if (completed.empty())
            return complete(client, gone ? ENODEV : EAGAIN);
        urb_entry e = completed.front();
        completed.pop_front();
        UMockdevIoctlData* where = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
        umockdev_ioctl_data_set_ptr(where, 0, e.urb);
        g_object_unref(where);
        release(e);
        return complete(client);
    }

    gboolean discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        gulong address = 0;
        std::memcpy(&address, arg->data, sizeof address);
        for (auto* list : {&pending_out, &pending_in}) {
            const auto it = std::find_if(list->begin(), list->end(), [&](const urb_entry& e) {
                return e.urb->client_addr == address;
            });
            if (it != list->end()) {
                finish(*it, -ENOENT, it->done);
                list->erase(it);
                return complete(client);
            }
        }
        return complete(client, EINVAL);
    }

    const chip_profile& chip;
    std::string serial;
    mutable std::mutex mutex;
    hardware::ftdi_pin_board board;
    state now;
    std::deque<std::uint8_t> tx, rx;
    std::deque<std::int64_t> rx_at; // when each read-back byte was sampled (host clock, ns)
    std::deque<urb_entry> pending_out, pending_in, completed;
    std::optional<std::int64_t> fail_after, unplug_after;
    int fail_status = -EIO;
    bool gone = false;
    UMockdevTestbed* testbed = nullptr;
    UMockdevIoctlBase* handler = nullptr;
};

ftdi_emulator::ftdi_emulator(ftdi_board_setup setup)
    : setup_(std::move(setup)), impl_(std::make_unique<impl>(setup_)) {
    if (!in_mock_environment())
        throw std::runtime_error(
            "run this test under umockdev-wrapper (umockdev's preload library)");
    const chip_profile& chip = impl_->chip;
    char node[32];
    std::snprintf(node, sizeof node, "bus/usb/%03d/%03d", setup_.bus, setup_.device);
    impl_->testbed = umockdev_testbed_new();
    impl_->handler = umockdev_ioctl_base_new();
    const auto on_ioctl = +[](UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        return static_cast<impl*>(self)->handle(client);
    };
    g_signal_connect_after(impl_->handler, "handle-ioctl", G_CALLBACK(on_ioctl), impl_.get());
    // The handler first, so that the device answers from the moment it appears.
    const std::string dev = std::string("/dev/") + node;
    GError* error = nullptr;
    check(umockdev_testbed_attach_ioctl(impl_->testbed, dev.c_str(), impl_->handler, &error), error,
          "emulate " + dev);
    const std::string port = std::to_string(setup_.bus) + "-" + std::to_string(setup_.device);
    const std::string record =
        "P: /devices/pci0000:00/0000:00:14.0/usb" + std::to_string(setup_.bus) + "/" + port +
        "\nN: " + node + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb" +
        "\nE: DEVNAME=" + dev + "\nE: BUSNUM=" + std::string(node + 8, 3) +
        "\nE: DEVNUM=" + std::string(node + 12, 3) + "\nA: busnum=" + std::to_string(setup_.bus) +
        "\\n\nA: devnum=" + std::to_string(setup_.device) +
        "\\n\nA: bConfigurationValue=1\\n\nA: speed=" + std::to_string(chip.speed_mbps) +
        "\\n\nA: serial=" + setup_.serial + "\\n\nH: descriptors=" + hex(descriptors(chip)) + "\n";
    check(umockdev_testbed_add_from_string(impl_->testbed, record.c_str(), &error), error,
          "add the FTDI device");
}

ftdi_emulator::~ftdi_emulator() {
    g_clear_object(&impl_->testbed); // removes the device and stops serving it
    g_clear_object(&impl_->handler);
}

bool ftdi_emulator::in_mock_environment() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

std::uint16_t ftdi_emulator::product_id() const {
    return impl_->chip.product_id;
}

void ftdi_emulator::insert_chip(std::unique_ptr<hardware::target_chip> chip) {
    std::lock_guard lock(impl_->mutex);
    impl_->board.insert_chip(std::move(chip));
}

hardware::ftdi_pin_board::chip_levels ftdi_emulator::levels() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->board.levels();
}

void ftdi_emulator::fail_transfer_after(std::int64_t bytes, int urb_status) {
    std::lock_guard lock(impl_->mutex);
    impl_->fail_after = bytes;
    impl_->fail_status = urb_status;
}

void ftdi_emulator::unplug_after(std::int64_t bytes) {
    std::lock_guard lock(impl_->mutex);
    if (bytes <= 0)
        impl_->unplug();
    else
        impl_->unplug_after = bytes;
}

bool ftdi_emulator::unplugged() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->gone;
}

ftdi_emulator::state ftdi_emulator::snapshot() const {
    std::lock_guard lock(impl_->mutex);
    state now = impl_->now;
    now.direction = impl_->board.direction();
    now.step_ns = impl_->board.step_ns();
    return now;
}

} // namespace test_support
