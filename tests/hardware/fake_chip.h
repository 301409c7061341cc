// A scriptable chip for the simulated adapter's socket: it records every pin change it is
// told (with its time in nanoseconds) and whether edge timing is modelled, and drives PGD
// as the test says.
#pragma once

#include "hardware/simulated_adapter.h"

#include <optional>
#include <string>
#include <vector>

namespace hardware_test {

struct pin_change {
    bool vdd, vpp, pgc, pgd;
    std::int64_t time_ns;
};

struct fake_chip_state {
    std::vector<pin_change> changes;
    std::optional<bool> drive; // what the chip puts on PGD
    bool edge_timing = false;  // as the adapter last told it
};

class fake_chip final : public hardware::target_chip {
  public:
    explicit fake_chip(fake_chip_state& state) : state_(state) {}
    void set_pins(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_ns) override {
        state_.changes.push_back({vdd, vpp, pgc, pgd, now_ns});
    }
    std::optional<bool> pgd_output(std::int64_t) const override { return state_.drive; }
    void set_edge_timing(bool modelled) override { state_.edge_timing = modelled; }
    std::string name() const override { return "fake chip"; }

  private:
    fake_chip_state& state_;
};

} // namespace hardware_test
