// The GPIO line driver: the wiring's checks, the grouping of the outputs into requests and
// one set call per request whose lines change.
#include "hardware/gpio_line_driver.h"

#include "core/host_hooks.h"

#include <algorithm>

namespace hardware {

namespace {

// The outputs in line order, as in settings::gpio_wiring_lines.
constexpr bool line_levels::*output_levels[] = {&line_levels::vdd, &line_levels::vpp,
                                                &line_levels::clock, &line_levels::data_out};

// The output requests and, for each, the lines it carries.
std::vector<gpio_output_request>
plan_outputs(const settings::gpio_wiring& wiring,
             std::vector<std::vector<bool line_levels::*>>* members = nullptr) {
    std::vector<gpio_output_request> requests;
    for (std::size_t k = 0; k < std::size(output_levels); ++k) {
        const settings::gpio_line& line = wiring.*settings::gpio_wiring_lines[k].line;
        if (line.offset < 0)
            continue;
        auto request = std::find_if(requests.begin(), requests.end(),
                                    [&](const auto& r) { return r.active_low == line.inverted; });
        if (request == requests.end()) {
            requests.push_back({{}, {}, line.inverted});
            if (members)
                members->emplace_back();
            request = requests.end() - 1;
        }
        request->offsets.push_back(static_cast<std::uint32_t>(line.offset));
        request->initial.push_back(0); // off, whatever the inversion: the kernel applies it
        if (members)
            (*members)[static_cast<std::size_t>(request - requests.begin())].push_back(
                output_levels[k]);
    }
    return requests;
}

} // namespace

std::string gpio_line_name(std::int32_t offset) {
    return offset < 0 ? "not connected" : "line " + std::to_string(offset);
}

std::string gpio_wiring_problem(const settings::gpio_wiring& wiring, std::int32_t lines,
                                const std::string& chip) {
    const auto& entries = settings::gpio_wiring_lines;
    for (const settings::gpio_wiring_line& entry : entries) {
        const std::int32_t offset = (wiring.*entry.line).offset;
        if (offset < 0 && !entry.may_be_unconnected)
            return std::string(entry.name) + " is not connected (only VDD and VPP may be)";
        if (offset >= lines)
            return std::string(entry.name) + " is on line " + std::to_string(offset) + ", but " +
                   chip + " has lines 0-" + std::to_string(lines - 1) + " only";
    }
    for (std::size_t a = 0; a < entries.size(); ++a)
        for (std::size_t b = a + 1; b < entries.size(); ++b) {
            const std::int32_t offset = (wiring.*entries[a].line).offset;
            if (offset >= 0 && offset == (wiring.*entries[b].line).offset)
                return std::string(entries[a].name) + " and " + entries[b].name +
                       " are both on line " + std::to_string(offset) + " (give each its own line)";
        }
    return {};
}

std::vector<gpio_output_request> gpio_output_requests(const settings::gpio_wiring& wiring) {
    return plan_outputs(wiring);
}

gpio_line_driver::gpio_line_driver(gpio_connector connect, settings::gpio_wiring wiring,
                                   std::string name)
    : connect_(std::move(connect)), wiring_(wiring), name_(std::move(name)) {}

gpio_line_driver::~gpio_line_driver() {
    close();
}

port_status gpio_line_driver::open() {
    close();
    status_ = {};
    status_.path = name_;
    const auto cannot_drive = [this](const std::string& problem) {
        status_.code = port_error::not_supported;
        status_.reason = "the GPIO wiring cannot drive the lines: " + problem +
                         "; correct it in Hardware Settings";
        return status_;
    };
    if (const std::string problem = gpio_wiring_problem(wiring_); !problem.empty())
        return cannot_drive(problem);
    std::unique_ptr<gpio_transport> transport;
    status_ = connect_(transport);
    if (!status_.ok())
        return status_;
    const gpio_chip_info& chip = transport->chip();
    chip_lines_ = chip.lines;
    if (const std::string problem = gpio_wiring_problem(wiring_, chip.lines, chip.name);
        !problem.empty())
        return cannot_drive(problem);
    groups_.clear();
    const std::vector<gpio_output_request> outputs = plan_outputs(wiring_, &groups_);
    const gpio_input_request input{static_cast<std::uint32_t>(wiring_.data_in.offset),
                                   wiring_.data_in.inverted, wiring_.data_in_pull_up};
    if (const std::string failed = transport->request(outputs, input, gpio_consumer);
        !failed.empty()) {
        status_.code = port_error::io_failure;
        status_.reason = failed;
        return status_;
    }
    set_order_.clear();
    for (std::size_t k = 0; k < groups_.size(); ++k) {
        const auto& lines = groups_[k];
        const bool has_clock =
            std::find(lines.begin(), lines.end(), &line_levels::clock) != lines.end();
        set_order_.insert(has_clock ? set_order_.end() : set_order_.begin(), k);
    }
    transport_ = std::move(transport);
    staged_ = {};
    return status_;
}

void gpio_line_driver::close() {
    if (!transport_)
        return;
    if (status_.ok())
        stage({});
    transport_->release();
    transport_.reset();
    if (status_.ok())
        status_.code = port_error::not_opened;
}

std::string gpio_line_driver::description() const {
    return transport_ ? status_.path : name_;
}

driver_capabilities gpio_line_driver::capabilities() const {
    return {.queued = false, .max_batch = 0, .step_ns = 0, .fast_clocking = true};
}

std::unique_ptr<gpio_line_driver>
gpio_line_driver::rewired(const settings::gpio_wiring& wiring) const {
    return std::make_unique<gpio_line_driver>(connect_, wiring, name_);
}

void gpio_line_driver::stage(const line_levels& levels) {
    const line_levels was = staged_;
    staged_ = levels;
    if (!status_.ok() || !transport_)
        return;
    int values[std::size(output_levels)];
    for (const std::size_t k : set_order_) {
        const auto& lines = groups_[k];
        bool changed = false;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            values[n] = levels.*lines[n] ? 1 : 0;
            changed = changed || levels.*lines[n] != was.*lines[n];
        }
        if (changed && !transport_->set(k, std::span<const int>(values, lines.size()))) {
            lose(transport_->failure());
            return;
        }
    }
}

sample_ticket gpio_line_driver::sample() {
    const sample_ticket ticket = next_ticket_++;
    bool level = false;
    if (status_.ok() && transport_ && !transport_->get(level)) {
        lose(transport_->failure());
        level = false;
    }
    values_[ticket % values_.size()] = level;
    return ticket;
}

bool gpio_line_driver::value(sample_ticket ticket) {
    if (ticket == 0 || ticket >= next_ticket_ || next_ticket_ - ticket > values_.size())
        return false;
    return values_[ticket % values_.size()];
}

void gpio_line_driver::hold_ms(std::int64_t milliseconds) {
    if (status_.code != port_error::port_lost)
        core::sleep_ms(milliseconds);
}

void gpio_line_driver::hold_us(std::int64_t microseconds) {
    if (microseconds > 0 && status_.code != port_error::port_lost)
        core::hooks().sleep_us(microseconds);
}

// The chip failed: every line is released at once (on a vanished chip the kernel has
// freed them already), so nothing stays requested after a lost device.
void gpio_line_driver::lose(const std::string& reason) {
    status_.code = port_error::port_lost;
    status_.reason = reason;
    transport_->release();
}

} // namespace hardware
