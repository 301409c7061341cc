// Test support: a recording port backend (data and control latches, scriptable status),
// and a fixture that runs the line procedures on a virtual clock with a timeline of port
// accesses ('W', 'R') and yields ('Y').
#pragma once

#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/serial_transfer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hardware_test {

struct port_access {
    char kind; // 'W' or 'R'
    std::uint16_t address;
    std::uint8_t value;
    std::int64_t time_us;
};

class recording_port final : public hardware::port_backend {
  public:
    explicit recording_port(std::int32_t base = 888) : base_(base) {}

    hardware::port_status open() override {
        status_.code = hardware::port_error::none;
        status_.path = "recording port";
        return status_;
    }
    hardware::port_status status() const override { return status_; }
    std::string description() const override { return "recording port"; }
    void out32(std::uint16_t address, std::uint8_t value) override {
        record('W', address, value);
        if (address == base_)
            data = value;
        else if (address == base_ + 2)
            control = value;
    }
    std::uint8_t inp32(std::uint16_t address) override {
        std::uint8_t value = 0xFF;
        if (address == base_)
            value = data;
        else if (address == base_ + 1)
            value = status_source ? status_source(*this) : status_value;
        else if (address == base_ + 2)
            value = control;
        record('R', address, value);
        return value;
    }

    std::vector<port_access> accesses;
    std::string* timeline = nullptr;
    std::uint8_t data = 0, control = 0, status_value = 0;
    std::function<std::uint8_t(const recording_port&)> status_source;

  private:
    void record(char kind, std::uint16_t address, std::uint8_t value) {
        accesses.push_back({kind, address, value, core::monotonic_us()});
        if (timeline != nullptr)
            *timeline += kind;
    }
    std::int32_t base_;
    hardware::port_status status_;
};

// Logical line levels after each data register write under the default settings
// (bit 0 DATA OUT inverted, bit 1 CLOCK inverted, bit 2 VDD, bit 3 VPP), starting idle.
struct line_levels {
    bool dataout, clock, vdd, vpp;
    std::int64_t time_us;
};

inline std::vector<line_levels> line_history(const std::vector<port_access>& log) {
    std::vector<line_levels> history{{false, false, false, false, 0}};
    for (const port_access& a : log)
        if (a.kind == 'W' && a.address == 888)
            history.push_back({(a.value & 1) == 0, (a.value & 2) == 0, (a.value & 4) != 0,
                               (a.value & 8) != 0, a.time_us});
    return history;
}

class hardware_fixture : public ::testing::Test {
  protected:
    void SetUp() override {
        Module94::port_settings = {};
        Module94::line_image = {};
        Module94::port_pacing = {};
        core::host_hooks hooks;
        hooks.yield = [this] { timeline += 'Y'; };
        clock.attach(hooks);
        core::install_hooks(hooks);
        auto recorder = std::make_unique<recording_port>();
        recorder->open();
        recorder->timeline = &timeline;
        port = recorder.get();
        hardware::install_port_backend(std::move(recorder));
    }
    void TearDown() override {
        Module94::port_pacing = {};
        hardware::install_port_backend(nullptr);
        core::install_hooks(core::default_hooks());
    }
    void clear_records() {
        port->accesses.clear();
        timeline.clear();
    }

    core::virtual_clock clock;
    std::string timeline;
    recording_port* port = nullptr;
};

} // namespace hardware_test
