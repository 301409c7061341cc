// The simulated GPIO board's transport and its time model.
#include "hardware/gpio_board_transport.h"

#include "hardware/board_clock.h"
#include "hardware/gpio_pin_board.h"

namespace hardware {

namespace {

// The board itself, which outlives each open of it.
struct board_state {
    gpio_pin_board pins;
    simulated_gpio_board setup;
};

class board_transport final : public gpio_transport {
  public:
    explicit board_transport(std::shared_ptr<board_state> board)
        : board_(std::move(board)), info_{"/dev/gpiochip0", "gpiochip0", board_->setup.label,
                                          board_->setup.lines} {}
    ~board_transport() override { release(); }

    const gpio_chip_info& chip() const override { return info_; }

    std::string request(std::span<const gpio_output_request> outputs,
                        const gpio_input_request& input, const std::string&) override {
        outputs_.assign(outputs.begin(), outputs.end());
        input_ = input;
        for (const gpio_output_request& request : outputs) {
            charge_ns(board_->setup.call_ns);
            for (std::size_t k = 0; k < request.offsets.size(); ++k)
                board_->pins.drive(request.offsets[k],
                                   (request.initial[k] != 0) != request.active_low, now_ns());
        }
        charge_ns(board_->setup.call_ns);
        return {};
    }

    bool set(std::size_t index, std::span<const int> values) override {
        charge_ns(board_->setup.call_ns);
        const gpio_output_request& request = outputs_.at(index);
        for (std::size_t k = 0; k < values.size(); ++k)
            board_->pins.drive(request.offsets[k], (values[k] != 0) != request.active_low,
                               now_ns());
        return true;
    }

    bool get(bool& value) override {
        charge_ns(board_->setup.call_ns);
        value = board_->pins.read(input_.offset, now_ns()) != input_.active_low;
        return true;
    }

    void release() override {
        for (const gpio_output_request& request : outputs_)
            for (const std::uint32_t offset : request.offsets)
                board_->pins.release(offset, now_ns());
        outputs_.clear();
    }

    std::string failure() const override { return {}; }

  private:
    std::int64_t now_ns() const { return clock_.now_ns(); }
    void charge_ns(std::int64_t nanoseconds) { clock_.charge_ns(nanoseconds); }

    std::shared_ptr<board_state> board_;
    gpio_chip_info info_;
    std::vector<gpio_output_request> outputs_;
    gpio_input_request input_;
    board_clock clock_;
};

} // namespace

std::unique_ptr<line_driver> open_simulated_gpio_adapter(std::unique_ptr<target_chip> chip,
                                                         settings::gpio_wiring program_wiring,
                                                         simulated_gpio_board board) {
    const bool modelled = board.call_ns > 0;
    auto state = std::make_shared<board_state>(
        board_state{gpio_pin_board(std::move(chip), board.wiring, modelled), board});
    auto connect = [state](std::unique_ptr<gpio_transport>& transport) {
        transport = std::make_unique<board_transport>(state);
        port_status ok;
        ok.code = port_error::none;
        ok.path = "simulated GPIO chip " + transport->chip().path;
        return ok;
    };
    auto driver = std::make_unique<gpio_line_driver>(std::move(connect), program_wiring,
                                                     "simulated GPIO chip");
    driver->open();
    return driver;
}

} // namespace hardware
