// A queued line driver for tests: it records every stage, sample and hold and replays them
// onto an inner immediate driver only on flush, so that everything above the seam runs as
// it would over a USB adapter while the lines still reach the simulated adapter and its
// chip. It flushes by itself after `batch` queued steps, and counts its flushes.
#pragma once

#include "hardware/line_driver.h"

#include <memory>
#include <unordered_map>
#include <variant>
#include <vector>

namespace test_support {

class queued_driver final : public hardware::line_driver {
  public:
    queued_driver(std::unique_ptr<hardware::line_driver> inner, std::size_t batch)
        : inner_(std::move(inner)), batch_(batch), staged_(inner_->staged()) {}

    hardware::port_status open() override { return inner_->open(); }
    void close() override {
        flush();
        inner_->close();
    }
    hardware::port_status status() const override { return inner_->status(); }
    std::string description() const override { return "queued " + inner_->description(); }
    hardware::driver_capabilities capabilities() const override { return {true, batch_, 0, true}; }
    void stage(const hardware::line_levels& levels) override {
        staged_ = levels;
        push(levels);
    }
    hardware::line_levels staged() const override { return staged_; }
    hardware::sample_ticket sample() override {
        const hardware::sample_ticket ticket = next_++;
        push(sample_step{ticket});
        return ticket;
    }
    void hold_ms(std::int64_t milliseconds) override { push(hold_step{milliseconds * 1000}); }
    void hold_us(std::int64_t microseconds) override { push(hold_step{microseconds}); }
    void flush() override {
        if (steps_.empty())
            return;
        ++flushes;
        std::vector<step> steps;
        steps.swap(steps_);
        for (const step& s : steps) {
            if (const auto* levels = std::get_if<hardware::line_levels>(&s))
                inner_->stage(*levels);
            else if (const auto* sampled = std::get_if<sample_step>(&s))
                values_[sampled->ticket] = inner_->value(inner_->sample());
            else
                inner_->hold_us(std::get<hold_step>(s).us);
        }
    }
    bool ready(hardware::sample_ticket ticket) const override { return values_.count(ticket) != 0; }
    bool value(hardware::sample_ticket ticket) override {
        if (!ready(ticket))
            flush();
        const auto found = values_.find(ticket);
        return found != values_.end() && found->second;
    }

    int flushes = 0;

  private:
    struct sample_step {
        hardware::sample_ticket ticket;
    };
    struct hold_step {
        std::int64_t us;
    };
    using step = std::variant<hardware::line_levels, sample_step, hold_step>;

    void push(step s) {
        steps_.push_back(s);
        if (batch_ != 0 && steps_.size() >= batch_)
            flush();
    }

    std::unique_ptr<hardware::line_driver> inner_;
    std::size_t batch_;
    hardware::line_levels staged_;
    std::vector<step> steps_;
    std::unordered_map<hardware::sample_ticket, bool> values_;
    hardware::sample_ticket next_ = 1;
};

} // namespace test_support
