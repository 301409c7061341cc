// A virtual PIC18 from the simulator in the simulated adapter's socket.
#include "hardware/virtual_chip_socket.h"

#include "sim/virtual_chip.h"

namespace hardware {

namespace {

class virtual_chip_socket final : public target_chip {
  public:
    explicit virtual_chip_socket(std::shared_ptr<sim::virtual_chip> chip)
        : chip_(std::move(chip)) {}

    void set_pins(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_ns) override {
        chip_->set_pins_ns(vdd, vpp, pgc, pgd, now_ns);
    }
    std::optional<bool> pgd_output(std::int64_t now_ns) const override {
        return chip_->pgd_output(now_ns / 1000);
    }
    void set_edge_timing(bool modelled) override { chip_->set_edge_timing(modelled); }
    void set_supply_volts(const supply_volts& volts) override {
        chip_->set_supply_volts(volts.vdd, volts.vpp);
    }
    std::string name() const override { return "PIC" + chip_->part().name; }

  private:
    std::shared_ptr<sim::virtual_chip> chip_;
};

} // namespace

std::unique_ptr<target_chip> socket_virtual_chip(std::shared_ptr<sim::virtual_chip> chip) {
    if (!chip)
        return nullptr;
    return std::make_unique<virtual_chip_socket>(std::move(chip));
}

} // namespace hardware
