// A probe chip for the simulated adapter's socket that decodes the serial frames the host
// sends: 4-bit commands and 16-bit payloads on the falling clock edges while VDD and VPP
// are on, the length of each frame's fourth clock (the programming hold), and the supply
// levels. Read commands are answered with bytes from a script (or a fixed byte).
#pragma once

#include "hardware/simulated_adapter.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

struct decoded_frame {
    int command = 0;
    int payload = 0;          // the 16 bits after the command as DATA OUT showed them
    std::int64_t hold_us = 0; // how long the fourth clock stayed high
    bool read = false;        // a command that shifts data out of the chip
    int answered = -1;        // the byte driven in answer to a read
};

struct probe_record {
    std::vector<decoded_frame> frames;
    std::deque<int> answers; // bytes for the next reads, then `default_answer`
    int default_answer = 0xFF;
    bool vdd = false, vpp = false;
    int power_ups = 0;
    std::vector<std::string> supply_events; // "VDD on", "VPP on", ...
};

class frame_probe final : public hardware::target_chip {
  public:
    explicit frame_probe(probe_record& record) : record_(record) {}

    static bool is_read_command(int command) {
        return command == 0x2 || (command >= 0x8 && command <= 0xB);
    }

    void set_pins(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_ns) override {
        const std::int64_t now_us = now_ns / 1000;
        if (vdd != record_.vdd)
            record_.supply_events.push_back(vdd ? "VDD on" : "VDD off");
        if (vpp != record_.vpp)
            record_.supply_events.push_back(vpp ? "VPP on" : "VPP off");
        const bool powered = vdd && vpp;
        if (powered && !(record_.vdd && record_.vpp)) {
            ++record_.power_ups;
            clocks_ = 0;
        }
        record_.vdd = vdd;
        record_.vpp = vpp;
        if (!powered) {
            clock_ = pgc;
            return;
        }
        if (pgc && !clock_) {
            if (clocks_ == 3)
                rise_us_ = now_us;
        }
        if (!pgc && clock_)
            falling_edge(pgd, now_us);
        clock_ = pgc;
    }

    std::optional<bool> pgd_output(std::int64_t) const override {
        if (!(record_.vdd && record_.vpp) || !reading_ || clocks_ < 12 || clocks_ > 19)
            return std::nullopt;
        return ((answer_ >> (clocks_ - 12)) & 1) != 0;
    }

    std::string name() const override { return "frame probe"; }

  private:
    void falling_edge(bool pgd, std::int64_t now_us) {
        if (clocks_ < 4)
            frame_.command |= (pgd ? 1 : 0) << clocks_;
        else
            frame_.payload |= (pgd ? 1 : 0) << (clocks_ - 4);
        if (clocks_ == 3) {
            frame_.hold_us = now_us - rise_us_;
            frame_.read = is_read_command(frame_.command);
            if (frame_.read) {
                reading_ = true;
                if (record_.answers.empty()) {
                    answer_ = record_.default_answer;
                } else {
                    answer_ = record_.answers.front();
                    record_.answers.pop_front();
                }
                frame_.answered = answer_;
            }
        }
        ++clocks_;
        if (clocks_ == 20) {
            record_.frames.push_back(frame_);
            frame_ = {};
            clocks_ = 0;
            reading_ = false;
        }
    }

    probe_record& record_;
    bool clock_ = false;
    int clocks_ = 0;
    bool reading_ = false;
    int answer_ = 0;
    std::int64_t rise_us_ = 0;
    decoded_frame frame_;
};

} // namespace test_support
