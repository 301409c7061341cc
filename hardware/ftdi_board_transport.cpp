// The simulated FTDI board's transport and its USB timing model.
#include "hardware/ftdi_board_transport.h"

#include "hardware/board_clock.h"
#include "hardware/ftdi_pin_board.h"

namespace hardware {

namespace {

// The board itself, which outlives each open of it.
struct board_state {
    ftdi_pin_board pins;
    std::optional<std::int64_t> bytes_left; // until it disappears
};

class board_transport final : public ftdi_transport {
  public:
    board_transport(std::shared_ptr<board_state> board, const ftdi_chip& chip)
        : chip_(chip), timing_(ftdi_timing(chip)), board_(std::move(board)) {}

    std::string start(std::uint8_t idle, std::uint8_t directions) override {
        // Latency timer, bit mode, rate and purge are control transfers: a round trip each.
        charge_ns(4 * timing_.round_trip_ns);
        board_->pins.set_direction(0x00, now_ns());
        std::vector<std::uint8_t> read_back;
        const std::uint8_t idle_byte[] = {idle};
        const std::size_t one[] = {1};
        if (!exchange(idle_byte, one, read_back))
            return failure_;
        charge_ns(timing_.round_trip_ns);
        board_->pins.set_direction(directions, now_ns());
        return {};
    }

    bool exchange(std::span<const std::uint8_t> bytes, std::span<const std::size_t>,
                  std::vector<std::uint8_t>& read_back) override {
        read_back.assign(bytes.size(), 0);
        if (!failure_.empty())
            return false;
        std::size_t sent = bytes.size();
        if (auto& left = board_->bytes_left) {
            sent = static_cast<std::size_t>(
                std::min<std::int64_t>(*left, static_cast<std::int64_t>(sent)));
            *left -= static_cast<std::int64_t>(sent);
        }
        const auto pins = board_->pins.clock_out(bytes.first(sent), now_ns());
        std::copy(pins.begin(), pins.end(), read_back.begin());
        charge_ns(timing_.round_trip_ns + std::max(static_cast<std::int64_t>(sent) * chip_.step_ns,
                                                   ftdi_bus_ns(timing_, sent)));
        if (sent < bytes.size()) {
            failure_ = "writing the pin states: LIBUSB_ERROR_NO_DEVICE (the board is gone)";
            return false;
        }
        return true;
    }

    void close(std::uint8_t idle) override {
        const std::uint8_t idle_byte[] = {idle};
        const std::size_t one[] = {1};
        std::vector<std::uint8_t> read_back;
        exchange(idle_byte, one, read_back);
    }

    std::string failure() const override { return failure_; }

  private:
    std::int64_t now_ns() const { return clock_.now_ns(); }
    void charge_ns(std::int64_t nanoseconds) { clock_.charge_ns(nanoseconds); }

    const ftdi_chip& chip_;
    ftdi_usb_timing timing_;
    std::shared_ptr<board_state> board_;
    board_clock clock_;
    std::string failure_;
};

} // namespace

std::unique_ptr<line_driver> open_simulated_ftdi_adapter(std::unique_ptr<target_chip> chip,
                                                         settings::ftdi_wiring program_wiring,
                                                         simulated_ftdi_board board) {
    const ftdi_chip& kind = ftdi_chip_info(board.chip);
    auto state = std::make_shared<board_state>(
        board_state{.pins = ftdi_pin_board(std::move(chip), board.wiring, kind.step_ns),
                    .bytes_left = board.lost_after_bytes});
    auto connect = [state, &kind](ftdi_connection& connection) {
        connection.chip = &kind;
        connection.description = std::string("simulated ") + kind.name + " board";
        connection.transport = std::make_unique<board_transport>(state, kind);
        port_status ok;
        ok.code = port_error::none;
        ok.path = connection.description;
        return ok;
    };
    auto driver = std::make_unique<ftdi_line_driver>(std::move(connect), program_wiring,
                                                     "simulated FTDI board");
    driver->open();
    return driver;
}

} // namespace hardware
