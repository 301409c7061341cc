// Operations that take time on their own once started: data EEPROM writes and row erases
// requested through EECON1.WR (self-timed, starting on the 4th PGC falling edge after WR is
// set, the 24th on the K families; WR reads 1 until they end), the 2XXX and 1230 row erase
// (externally timed by the next 0000 frame's 4th clock), and the bulk erase (armed by the
// 3C0004h write, the last of the family's one, two or three erase registers, then a NOP,
// then started by the 4th clock of the next 0000 frame; the host must keep PGD low and send
// no new command until P11 has passed). An operation that is interrupted does nothing.
#include "sim/timed_operations.h"

#include "sim/core_executor.h"
#include "sim/memory_model.h"

namespace sim::detail {

namespace {

const char* name_of(timed_kind kind) {
    switch (kind) {
    case timed_kind::eeprom_write:
        return "data EEPROM write";
    case timed_kind::row_erase:
        return "row erase";
    case timed_kind::bulk_erase:
        return "bulk erase";
    case timed_kind::none:
        break;
    }
    return "write";
}

const char* loss_of(timed_kind kind) {
    switch (kind) {
    case timed_kind::eeprom_write:
        return "byte not written";
    case timed_kind::row_erase:
        return "row not erased";
    case timed_kind::bulk_erase:
        return "nothing erased";
    case timed_kind::none:
        break;
    }
    return "nothing written";
}

std::uint32_t eeprom_request_address(const chip_state& s) {
    const auto address =
        static_cast<std::uint32_t>((s.file[s.regs.eeadrh] << 8) | s.file[s.regs.eeadr]);
    return s.eeprom.empty() ? 0 : address % static_cast<std::uint32_t>(s.eeprom.size());
}

} // namespace

bool write_busy(const chip_state& s) {
    return s.timed.kind != timed_kind::none ||
           (s.hold && s.hold->purpose == hold_purpose::erase_row);
}

void begin_wr_operation(chip_state& s) {
    const std::uint8_t e = eecon1(s);
    if (e & eecon1_cfgs) {
        report(s, "EECON1.WR with CFGS = 1 is not modelled (configuration bytes are "
                  "programmed with 1111): nothing written");
        set_wr_done(s);
        return;
    }
    if (s.profile.eecon1_selects_memory && !(e & eecon1_eepgd)) {
        if (s.eeprom.empty()) {
            report(s, "data EEPROM write on a part without data EEPROM: nothing written");
            set_wr_done(s);
            return;
        }
        timed_operation op;
        op.kind = timed_kind::eeprom_write;
        op.clocks_to_start = s.limits.write_start_clock;
        op.address = eeprom_request_address(s);
        op.value = s.file[s.regs.eedata];
        s.timed = op;
        return;
    }
    if (!(e & eecon1_free)) {
        report(s, "program memory write through EECON1.WR is not modelled (code is "
                  "programmed with 1111): nothing written");
        set_wr_done(s);
        return;
    }
    const std::uint32_t pointer = table_pointer(s);
    switch (s.profile.row_erase) {
    case row_erase_timing::not_modelled:
        report(s, "row erase through EECON1.WR is not modelled for " + std::string(s.profile.name) +
                      " parts: nothing erased");
        set_wr_done(s);
        return;
    case row_erase_timing::host_held:
        // Externally timed: the next 0000 frame must hold its 4th clock high for P9.
        s.hold = programming_hold{hold_purpose::erase_row, pointer, 0};
        return;
    case row_erase_timing::self_timed: {
        timed_operation op;
        op.kind = timed_kind::row_erase;
        op.clocks_to_start = s.limits.write_start_clock;
        op.address = pointer;
        s.timed = op;
        return;
    }
    }
}

void count_start_clock(chip_state& s) {
    timed_operation& op = s.timed;
    if (op.kind == timed_kind::none || op.started)
        return;
    if (--op.clocks_to_start <= 0) {
        op.started = true;
        op.start_us = s.now_us;
        op.end_us = s.now_us + s.limits.p11;
    }
}

void finish_due(chip_state& s) {
    timed_operation& op = s.timed;
    if (op.kind == timed_kind::none || !op.started || s.now_us < op.end_us)
        return;
    const timed_operation done = op;
    op = timed_operation{};
    switch (done.kind) {
    case timed_kind::eeprom_write:
        write_eeprom_byte(s, done.address, done.value);
        set_wr_done(s);
        break;
    case timed_kind::row_erase:
        erase_row(s, done.address);
        set_wr_done(s);
        break;
    case timed_kind::bulk_erase:
        apply_bulk_erase(s, done.erase_key);
        s.erase_low_until_us = done.end_us + s.limits.p10;
        break;
    case timed_kind::none:
        break;
    }
}

void abort_timed(chip_state& s, const std::string& why) {
    const timed_kind kind = s.timed.kind;
    if (kind == timed_kind::none)
        return;
    report(s, why + " during the " + name_of(kind) + ": " + loss_of(kind));
    s.timed = timed_operation{};
    if (kind != timed_kind::bulk_erase) {
        set_wr_done(s);
        s.file[s.regs.eecon1] = static_cast<std::uint8_t>(s.file[s.regs.eecon1] | eecon1_wrerr);
    }
}

void arm_bulk_erase(chip_state& s) {
    // One key byte per erase register, 3C0004h in the low byte.
    const int registers = s.profile.erase_registers;
    std::uint32_t key = s.erase_control_lo;
    if (registers >= 2)
        key |= static_cast<std::uint32_t>(s.erase_control_hi) << 8;
    if (registers >= 3)
        key |= static_cast<std::uint32_t>(s.erase_control_up) << 16;
    s.arming = erase_arming::idle;
    if (!known_erase_key(s.profile, key)) {
        report(s, "erase key " + hex_text(key, 2 * registers) +
                      " is not a documented erase option: nothing erased");
        return;
    }
    if (s.profile.cpd_needs_eeprom_erase && eeprom_code_protected(s) && !(key & 0x04)) {
        report(s, "erase " + hex_text(key, 4) +
                      " leaves out the code-protected data EEPROM (CPD = 0): nothing erased");
        return;
    }
    s.arming = erase_arming::armed;
    s.armed_key = key;
}

void erase_after_frame(chip_state& s, std::uint8_t command, std::uint16_t operand) {
    if (s.arming != erase_arming::armed)
        return;
    if (command == 0 && operand == 0) {
        s.arming = erase_arming::nop_seen;
    } else {
        report(s, "erase key not followed by a 0000 0000 NOP frame: nothing erased");
        s.arming = erase_arming::idle;
    }
}

void erase_on_command(chip_state& s, std::uint8_t command) {
    if (s.arming != erase_arming::nop_seen)
        return;
    s.arming = erase_arming::idle;
    if (command != 0) {
        report(s, "the frame after the erase NOP is not 0000: nothing erased");
        return;
    }
    timed_operation op;
    op.kind = timed_kind::bulk_erase;
    op.started = true;
    op.start_us = s.now_us;
    op.end_us = s.now_us + s.limits.p11_erase;
    op.erase_key = s.armed_key;
    s.timed = op;
}

void erase_on_frame_start(chip_state& s) {
    if (s.timed.kind == timed_kind::bulk_erase) {
        abort_timed(s, "next command " + std::to_string(s.now_us - s.timed.start_us) +
                           " us after the erase started (needs P11 = " +
                           std::to_string(s.limits.p11_erase) + " us)");
        return;
    }
    if (const auto after = end_p10_wait(s, s.erase_low_until_us))
        report(s, "short P10 after the bulk erase (next command " + std::to_string(*after) +
                      " us after the erase ended, needs " + std::to_string(s.limits.p10) + " us)");
}

void erase_on_data(chip_state& s, bool pgd) {
    if (pgd && s.timed.kind == timed_kind::bulk_erase)
        abort_timed(s, "PGD raised");
}

} // namespace sim::detail
