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

// Moves the chip's time forward (never back) and completes what is due by then.
void move_time(chip_state& s, std::int64_t now_ns) {
    if (now_ns > s.now_ns) {
        s.now_ns = now_ns;
        s.now_us = now_ns / 1000;
    }
    finish_due(s);
}

// Whether the lines give the supply the family enters Program/Verify mode with.
bool entry_supplied(const chip_state& s, bool vdd, bool vpp) {
    switch (s.profile.entry) {
    case entry_kind::high_voltage:
        return vdd && vpp;
    }
    return false;
}

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
    detail::settle_pending_bit(s);
    detail::move_time(s, now_us * 1000);
}

void virtual_chip::set_pins(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_us) {
    set_pins_ns(vdd, vpp, pgc, pgd, now_us * 1000);
}

void virtual_chip::set_pins_ns(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_ns) {
    using namespace detail;
    chip_state& s = *s_;
    if (now_ns < s.now_ns)
        report(s, "pin change dated before the previous one (clock went backwards)");
    take_pending_bit(s, pgd, now_ns);
    move_time(s, now_ns);

    const bool was_supplied = entry_supplied(s, s.vdd, s.vpp);
    const bool supplied = entry_supplied(s, vdd, vpp);
    const bool old_pgc = s.pgc;
    const bool old_pgd = s.pgd;
    s.vdd = vdd;
    s.vpp = vpp;

    if (s.program_mode && !supplied) {
        s.pgc = pgc;
        s.pgd = pgd;
        leave_program_mode(s);
        return;
    }
    if (!s.program_mode) {
        s.pgc = pgc;
        s.pgd = pgd;
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
    lines_changed(s, pgc, pgd);
}

void virtual_chip::set_edge_timing(bool modelled) {
    s_->edge_timing = modelled;
}

bool virtual_chip::edge_timing() const {
    return s_->edge_timing;
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

// A bit waiting for its hold time is shifted in before anyone looks at the chip, so that
// what they see includes the last falling edge. Doing so does not change what the chip
// will do (only a later hold violation can no longer change that bit), hence also from the
// const views.
detail::chip_state& virtual_chip::settled() const {
    detail::settle_pending_bit(*s_);
    return *s_;
}

bool virtual_chip::write_in_progress() const {
    return detail::write_busy(settled());
}

std::vector<std::uint8_t>& virtual_chip::flash() {
    return settled().flash;
}
std::vector<std::uint8_t>& virtual_chip::eeprom() {
    return settled().eeprom;
}
std::array<std::uint8_t, 8>& virtual_chip::id_locations() {
    return settled().id;
}
std::array<std::uint8_t, 14>& virtual_chip::config() {
    return settled().config;
}

const std::vector<std::string>& virtual_chip::protocol_errors() const {
    return settled().errors;
}
void virtual_chip::clear_protocol_errors() {
    settled().errors.clear();
}

} // namespace sim
