// Synchronous bit-bang through libftdi1: the safe start, the pipelined exchange of pin
// bytes for their read-back, and a release that leaves the idle levels on the pins.
#include "hardware/ftdi_usb_transport.h"

#include <ftdi.h>

#include <chrono>
#include <deque>
#include <sys/time.h>

namespace hardware {

namespace {

// The latency timer is the longest an IN packet that is not full waits in the chip; every
// batch ends with one, so it is set to its minimum.
constexpr unsigned char latency_timer_ms = 1;
// libftdi multiplies a rate set while a bit-bang mode is on by four, so this value, set
// after entering sync mode, programs the divisor of 3 MBd, the highest of full-speed chips
// (what FTDI's erratum on the FT232R's bit-bang timing recommends). The chip then clocks
// about 750 000 bytes a second (peers name 750000 the FT232R's maximum in this order), in
// any case no more than 3 million, which is what padding counts with. The full-speed bus
// carries only about 0.6 million bytes each way, so the chip also waits for the host
// between packets; a wait only lengthens the state on the pins.
constexpr int bitbang_rate = 750'000;
// A read-back that makes no progress for this long means the board stopped answering.
constexpr auto read_back_deadline = std::chrono::seconds(2);

class usb_transport final : public ftdi_transport {
  public:
    explicit usb_transport(ftdi_context* context) : context_(context) {}
    ~usb_transport() override {
        if (context_ != nullptr) {
            ftdi_usb_close(context_);
            ftdi_free(context_);
        }
    }

    std::string start(std::uint8_t idle, std::uint8_t directions) override {
        std::vector<std::uint8_t> read_back;
        const std::uint8_t idle_byte[] = {idle};
        const std::size_t one[] = {1};
        if (ftdi_set_latency_timer(context_, latency_timer_ms) < 0)
            return "setting the latency timer: " + library_error();
        if (ftdi_set_bitmode(context_, 0x00, BITMODE_SYNCBB) < 0)
            return "entering synchronous bit-bang mode: " + library_error();
        if (ftdi_set_baudrate(context_, bitbang_rate) < 0)
            return "setting the bit-bang rate: " + library_error();
        if (ftdi_tcioflush(context_) < 0)
            return "emptying the chip's buffers: " + library_error();
        if (!exchange(idle_byte, one, read_back))
            return failure_;
        if (ftdi_set_bitmode(context_, directions, BITMODE_SYNCBB) < 0)
            return "setting the pin directions: " + library_error();
        return {};
    }

    bool exchange(std::span<const std::uint8_t> bytes, std::span<const std::size_t> chunks,
                  std::vector<std::uint8_t>& read_back) override {
        read_back.assign(bytes.size(), 0);
        if (!failure_.empty())
            return false;
        // libftdi's submit takes a writable buffer that must live until the write is done.
        outgoing_.assign(bytes.begin(), bytes.end());
        std::deque<ftdi_transfer_control*> writes;
        std::size_t written = 0, read = 0;
        const auto submit = [&](std::size_t size) {
            ftdi_transfer_control* write = ftdi_write_data_submit(
                context_, outgoing_.data() + written, static_cast<int>(size));
            written += size;
            if (write == nullptr)
                return fail("writing the pin states", library_error());
            writes.push_back(write);
            return true;
        };
        bool ok = chunks.empty() || submit(chunks[0]);
        for (std::size_t k = 0; ok && k < chunks.size(); ++k) {
            if (k + 1 < chunks.size())
                ok = submit(chunks[k + 1]);
            ok = ok && read_exactly(read_back.data() + read, chunks[k]);
            read += chunks[k];
            if (ok) {
                ok = ftdi_transfer_data_done(writes.front()) >= 0 ||
                     fail("writing the pin states", library_error());
                writes.pop_front();
            }
        }
        for (ftdi_transfer_control* write : writes) {
            timeval wait{0, 100'000};
            ftdi_transfer_data_cancel(write, &wait);
        }
        return ok;
    }

    void close(std::uint8_t idle) override {
        if (context_ == nullptr)
            return;
        // No reset to UART mode: that would raise TXD, RTS and DTR.
        const std::uint8_t idle_byte[] = {idle};
        const std::size_t one[] = {1};
        std::vector<std::uint8_t> read_back;
        failure_.clear();
        exchange(idle_byte, one, read_back);
        ftdi_usb_close(context_);
        ftdi_free(context_);
        context_ = nullptr;
    }

    std::string failure() const override { return failure_; }

  private:
    // libftdi's text of its last error; a transfer that ended badly without one (libftdi
    // leaves "all fine") is named by what usually causes it.
    std::string library_error() const {
        const std::string text = ftdi_get_error_string(context_);
        return text.empty() || text == "all fine"
                   ? "the USB transfer failed (was the board unplugged?)"
                   : text;
    }

    bool fail(const std::string& what, const std::string& why) {
        if (failure_.empty())
            failure_ = what + ": " + why;
        return false;
    }

    bool read_exactly(std::uint8_t* target, std::size_t size) {
        auto last_progress = std::chrono::steady_clock::now();
        while (size > 0) {
            const int got = ftdi_read_data(context_, target, static_cast<int>(size));
            if (got < 0)
                return fail("reading the pin states back", library_error());
            if (got > 0) {
                target += got;
                size -= static_cast<std::size_t>(got);
                last_progress = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - last_progress > read_back_deadline) {
                return fail("reading the pin states back", "the board sent nothing for 2 s");
            }
        }
        return true;
    }

    ftdi_context* context_;
    std::vector<std::uint8_t> outgoing_;
    std::string failure_;
};

} // namespace

std::unique_ptr<ftdi_transport> make_ftdi_usb_transport(ftdi_context* context) {
    return std::make_unique<usb_transport>(context);
}

} // namespace hardware
