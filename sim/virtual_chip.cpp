// The virtual chip's outer shell: power and Program/Verify mode entry and exit, the pin
// edges handed to the serial engine, and the memory and error log it lets the host see.
// The modules behind it share one detail::chip_state.
#include "sim/virtual_chip.h"

#include "sim/chip_state.h"
#include "sim/command8_engine.h"
#include "sim/core_executor.h"
#include "sim/memory_model.h"
#include "sim/serial_engine.h"
#include "sim/timed_operations.h"

#include <cstdio>

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

std::string volts_text(double volts) {
    char text[24];
    std::snprintf(text, sizeof text, "%.1f V", volts);
    return text;
}

// VDD above the part's maximum damages the part; it is not entered then.
bool vdd_within_maximum(chip_state& s, bool report_it) {
    if (s.vdd_volts <= s.part.vdd_max_volts)
        return true;
    if (report_it)
        report(s, "VDD at " + volts_text(s.vdd_volts) + ", above the " +
                      volts_text(s.part.vdd_max_volts) + " maximum of a " +
                      (s.part.vdd_max_volts == s.profile.vdd_max_volts ? s.profile.name
                                                                       : s.part.name) +
                      " part: the part is damaged");
    return false;
}

void enter_program_mode(chip_state& s, bool mclr_low) {
    s.program_mode = true;
    s.mclr_low_session = mclr_low;
    s.entered_us = s.now_us;
    s.quiet_time_reported = false;
    reset_command8(s);
    reset_serial(s);
    reset_core(s);
    reset_write_latches(s);
    if (s.profile.config_in_flash)
        load_config_from_flash(s);
}

void leave_program_mode(chip_state& s) {
    if (s.timed.kind != timed_kind::none)
        abort_timed(s, "power removed");
    if (s.hold)
        report(s, "power removed with a programming cycle pending: nothing programmed");
    if (command8_busy(s))
        report(s, "left Program/Verify mode during " + s.c8.busy_with);
    s.program_mode = false;
    s.mclr_low_session = false;
    reset_command8(s);
    reset_serial(s);
    reset_core(s);
    reset_write_latches(s);
}

// High-voltage entry: both supplies, the later of the two rising with PGC and PGD low (VDD
// first is the documented order; VPP first is accepted as well).
void high_voltage_entry(chip_state& s, bool was_supplied, bool lines_were_low) {
    const bool supplied = s.vdd && s.vpp;
    if (!supplied || was_supplied)
        return;
    if (s.pgc || s.pgd || !lines_were_low)
        report(s, "VPP applied with PGC or PGD high: Program/Verify mode not entered");
    else if (vdd_within_maximum(s, false))
        enter_program_mode(s, false);
}

// A PGC edge in the key window that MCLR's fall opened: the first rising edge must come
// P19 after the fall, or the key is spoiled. True on a falling edge, which clocks in a key
// bit.
bool key_clock_fell(chip_state& s, bool old_pgc) {
    key_detector& key = s.key;
    if (s.pgc && !old_pgc && !key.clocked) {
        key.clocked = true;
        const std::int64_t after = s.now_us - key.mclr_fell_us;
        if (after < s.profile.p19_us) {
            key.spoiled = true;
            report(s, "first key clock " + std::to_string(after) +
                          " us after MCLR fell, needs P19 = " + std::to_string(s.profile.p19_us) +
                          " us: key not taken");
        }
        return false;
    }
    return !s.pgc && old_pgc;
}

// Key entry: MCLR raised and taken low with VDD on opens the key window; from P19 after
// that fall each PGC falling edge shifts PGD in, MSb first; MCLR rising with the key in
// the register enters Program/Verify mode. MCLR must never be above VDD.
void key_entry(chip_state& s, bool old_vdd, bool old_vpp, bool old_pgc) {
    key_detector& key = s.key;
    if (s.vpp && !old_vpp) {
        const double vdd = s.vdd ? s.vdd_volts : 0.0;
        const key_detector heard = key;
        key = key_detector{};
        if (s.vpp_volts > vdd + 0.3) {
            report(s, "MCLR at " + volts_text(s.vpp_volts) + ", above VDD " + volts_text(vdd) +
                          ": a key-entry part is damaged");
            return;
        }
        if (!heard.listening || heard.spoiled || !vdd_within_maximum(s, false))
            return;
        if (heard.bits >= 32 && heard.shift == entry_key) {
            enter_program_mode(s, false);
        } else if (heard.bits > 0) {
            report(s, "key " + hex_text(heard.shift, 8) + " (" + std::to_string(heard.bits) +
                          " bits) is not " + hex_text(entry_key, 8) +
                          ": Program/Verify mode not entered");
        }
        return;
    }
    if (!s.vdd) {
        key = key_detector{};
        return;
    }
    if (!s.vpp && old_vpp && old_vdd) {
        key = key_detector{};
        key.listening = true;
        key.mclr_fell_us = s.now_us;
        return;
    }
    if (!key.listening || key.spoiled || s.vpp)
        return;
    if (key_clock_fell(s, old_pgc)) {
        key.shift = (key.shift << 1) | (s.pgd ? 1u : 0u);
        ++key.bits;
    }
}

// The 8-bit-command families: MCLR above its high-voltage maximum damages the part; MCLR at
// or above the high-voltage minimum enters as on the classic parts (the later supply rising
// with PGC and PGD low); below that, MCLR pulsed high and taken low opens the key window
// (P19 to the first clock) and the 32nd key bit enters, MCLR staying low.
void key_low_entry(chip_state& s, bool old_vdd, bool old_vpp, bool old_pgc, bool lines_were_low) {
    const command8_rules& rules = *s.profile.command8;
    key_detector& key = s.key;
    if (s.vpp && !old_vpp) {
        key = key_detector{};
        if (s.vpp_volts > rules.mclr_max_volts)
            report(s, "MCLR at " + volts_text(s.vpp_volts) + ", above the " +
                          volts_text(rules.mclr_max_volts) + " maximum of a " + s.profile.name +
                          " part: the part is damaged");
    }
    if (s.vpp && s.vpp_volts >= rules.hv_entry_min_volts) {
        if (s.vpp_volts <= rules.mclr_max_volts)
            high_voltage_entry(s, old_vdd && old_vpp, lines_were_low);
        return;
    }
    if (!s.vdd || s.vpp) {
        if (!s.vdd)
            key = key_detector{};
        return;
    }
    if (old_vpp && old_vdd) {
        key = key_detector{};
        key.listening = true;
        key.mclr_fell_us = s.now_us;
        return;
    }
    if (!key.listening || key.spoiled)
        return;
    if (key_clock_fell(s, old_pgc) && ++key.bits <= 32) {
        key.shift = (key.shift << 1) | (s.pgd ? 1u : 0u);
        if (key.bits < 32)
            return;
        key.listening = false;
        if (key.shift != entry_key)
            report(s, "key " + hex_text(key.shift, 8) + " is not " + hex_text(entry_key, 8) +
                          ": Program/Verify mode not entered");
        else if (vdd_within_maximum(s, false))
            enter_program_mode(s, true);
    }
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

    const bool old_vdd = s.vdd;
    const bool old_vpp = s.vpp;
    const bool old_pgc = s.pgc;
    const bool old_pgd = s.pgd;
    s.vdd = vdd;
    s.vpp = vpp;
    if (vdd && !old_vdd)
        vdd_within_maximum(s, true);

    // Program/Verify mode lasts while both VDD and VPP (MCLR) stay high, or after a key with
    // MCLR left low, while VDD stays on and MCLR low.
    const bool session_over = s.mclr_low_session ? !vdd || vpp : !(vdd && vpp);
    if (s.program_mode && session_over) {
        s.pgc = pgc;
        s.pgd = pgd;
        leave_program_mode(s);
        return;
    }
    if (!s.program_mode) {
        s.pgc = pgc;
        s.pgd = pgd;
        switch (s.profile.entry) {
        case entry_kind::high_voltage:
            high_voltage_entry(s, old_vdd && old_vpp, !old_pgc && !old_pgd);
            break;
        case entry_kind::key:
            key_entry(s, old_vdd, old_vpp, old_pgc);
            break;
        case entry_kind::key_low:
            key_low_entry(s, old_vdd, old_vpp, old_pgc, !old_pgc && !old_pgd);
            break;
        }
        return;
    }
    if (s.profile.frame != command_frame::classic_4bit) {
        command8_lines(s, pgc, pgd);
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

void virtual_chip::set_supply_volts(double vdd, double vpp) {
    detail::chip_state& s = *s_;
    const bool vdd_was_fine = s.vdd_volts <= s.profile.vdd_max_volts;
    s.vdd_volts = vdd;
    s.vpp_volts = vpp;
    if (s.vdd && vdd_was_fine)
        detail::vdd_within_maximum(s, true);
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
    const detail::chip_state& s = settled();
    return detail::write_busy(s) || detail::command8_busy(s);
}

std::vector<std::uint8_t>& virtual_chip::flash() {
    return settled().flash;
}
std::vector<std::uint8_t>& virtual_chip::eeprom() {
    return settled().eeprom;
}
std::span<std::uint8_t> virtual_chip::id_locations() {
    return settled().id;
}
std::span<std::uint8_t> virtual_chip::config() {
    detail::chip_state& s = settled();
    return std::span<std::uint8_t>(s.config).first(static_cast<std::size_t>(s.part.config_size));
}

const std::vector<std::string>& virtual_chip::protocol_errors() const {
    return settled().errors;
}
void virtual_chip::clear_protocol_errors() {
    settled().errors.clear();
}

} // namespace sim
