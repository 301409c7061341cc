// The virtual chip's outer shell: power and Program/Verify mode entry and exit, the pin
// edges handed to the serial engine, and the memory and error log it lets the host see.
// The modules behind it share one detail::chip_state.
#include "sim/virtual_chip.h"

#include "sim/chip_state.h"
#include "sim/core_executor.h"
#include "sim/memory_model.h"
#include "sim/serial_engine.h"
#include "sim/timed_operations.h"

namespace sim {
namespace detail {

namespace {

void enter_program_mode(chip_state& s) {
    s.program_mode = true;
    s.entered_us = s.now_us;
    s.quiet_time_reported = false;
    reset_serial(s);
    reset_core(s);
    reset_write_latches(s);
}

void leave_program_mode(chip_state& s) {
    if (s.timed.kind != timed_kind::none)
        abort_timed(s, "power removed");
    if (s.hold)
        report(s, "power removed with a programming cycle pending: nothing programmed");
    s.program_mode = false;
    reset_serial(s);
    reset_core(s);
    reset_write_latches(s);
}

} // namespace
} // namespace detail

struct virtual_chip::state : detail::chip_state {
    using chip_state::chip_state;
};

virtual_chip::virtual_chip(const part_info& part) : s_(std::make_unique<state>(part)) {}
virtual_chip::~virtual_chip() = default;

const part_info& virtual_chip::part() const {
    return s_->part;
}

void virtual_chip::advance(std::int64_t now_us) {
    detail::chip_state& s = *s_;
    if (now_us > s.now_us)
        s.now_us = now_us;
    detail::finish_due(s);
}

void virtual_chip::set_pins(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_us) {
    using namespace detail;
    chip_state& s = *s_;
    if (now_us < s.now_us)
        report(s, "pin change dated before the previous one (clock went backwards)");
    advance(now_us);

    const bool was_supplied = s.vdd && s.vpp;
    const bool supplied = vdd && vpp;
    const bool old_pgc = s.pgc;
    const bool old_pgd = s.pgd;
    s.vdd = vdd;
    s.vpp = vpp;
    s.pgc = pgc;
    s.pgd = pgd;

    if (s.program_mode && !supplied) {
        leave_program_mode(s);
        return;
    }
    if (!s.program_mode) {
        // Entry needs both supplies, the later of the two rising with PGC and PGD low
        // (VDD first is the documented order; VPP first is accepted as well).
        if (supplied && !was_supplied) {
            if (pgc || pgd || old_pgc || old_pgd)
                report(s, "VPP applied with PGC or PGD high: Program/Verify mode not entered");
            else
                enter_program_mode(s);
        }
        return;
    }

    if ((pgc != old_pgc || pgd != old_pgd) && s.now_us - s.entered_us < s.limits.p12 &&
        !s.quiet_time_reported) {
        s.quiet_time_reported = true;
        report(s, "PGC or PGD moved within P12 (" + std::to_string(s.limits.p12) +
                      " us) after entering Program/Verify mode");
    }
    if (pgd != old_pgd)
        erase_on_data(s, pgd);

    if (pgc && !old_pgc) {
        clock_rising(s);
    } else if (!pgc && old_pgc) {
        bool bit = pgd;
        if (pgd != old_pgd) {
            report(s, "PGD changed together with the falling PGC edge (no setup time)");
            bit = old_pgd;
        }
        clock_falling(s, bit);
    }
}

std::optional<bool> virtual_chip::pgd_output(std::int64_t /*now_us*/) const {
    const detail::chip_state& s = *s_;
    if (!s.vdd || !s.program_mode || !s.driving)
        return std::nullopt;
    return s.drive_level;
}

bool virtual_chip::in_program_mode() const {
    return s_->program_mode;
}

bool virtual_chip::write_in_progress() const {
    return detail::write_busy(*s_);
}

std::vector<std::uint8_t>& virtual_chip::flash() {
    return s_->flash;
}
std::vector<std::uint8_t>& virtual_chip::eeprom() {
    return s_->eeprom;
}
std::array<std::uint8_t, 8>& virtual_chip::id_locations() {
    return s_->id;
}
std::array<std::uint8_t, 14>& virtual_chip::config() {
    return s_->config;
}

const std::vector<std::string>& virtual_chip::protocol_errors() const {
    return s_->errors;
}
void virtual_chip::clear_protocol_errors() {
    s_->errors.clear();
}

} // namespace sim
