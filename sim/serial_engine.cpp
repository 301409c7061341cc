// The serial shift engine: takes PGD on every PGC falling edge, assembles the 4-bit command
// (LSb first) and the 16-bit operand, runs table reads after the 8th operand clock and then
// drives PGD with TABLAT (bit k from the rising edge of operand clock 9+k until the next
// frame's first rising edge), and hands finished frames to the executor and memory model.
// The 4th clock of each frame is where programming holds and erases are decided.
//
// While edge timing is modelled every edge is also checked in nanoseconds: a clock phase
// shorter than its limit (P2A/P2B, the period P2, the gaps P5, P5A and P6) is not seen as an
// edge, and a bit whose PGD changed less than P3 before or P4 after its falling edge is
// taken as the other level. Bits the chip ignores (a read's operand clocks) are not checked.
#include "sim/serial_engine.h"

#include "sim/core_executor.h"
#include "sim/memory_model.h"
#include "sim/timed_operations.h"

#include <algorithm>

namespace sim::detail {

namespace {

std::string command_bits(std::uint8_t command) {
    std::string bits;
    for (int bit = 3; bit >= 0; --bit)
        bits += ((command >> bit) & 1) ? '1' : '0';
    return bits;
}

bool is_read(std::uint8_t command) {
    const frame_kind kind = kind_of_command(command);
    return kind == frame_kind::shift_out || kind == frame_kind::table_read;
}

std::string ns_text(std::int64_t ns) {
    return std::to_string(ns) + " ns";
}

void run_table_read(chip_state& s) {
    std::uint32_t pointer = table_pointer(s);
    switch (s.command) {
    case 0x8: // TBLRD*
        s.file[reg_tablat] = table_read(s, pointer);
        break;
    case 0x9: // TBLRD*+
        s.file[reg_tablat] = table_read(s, pointer);
        pointer = step_table_pointer(pointer, 1);
        break;
    case 0xA: // TBLRD*-
        s.file[reg_tablat] = table_read(s, pointer);
        pointer = step_table_pointer(pointer, -1);
        break;
    case 0xB: // TBLRD+*
        pointer = step_table_pointer(pointer, 1);
        s.file[reg_tablat] = table_read(s, pointer);
        break;
    default: // 0010: shift out TABLAT as it is
        break;
    }
    set_table_pointer(s, pointer);
    s.shift_out = s.file[reg_tablat];
}

// The 4-bit command is complete: settle a pending programming hold and the bulk-erase start,
// and refuse table writes while a self-timed write runs.
void command_loaded(chip_state& s) {
    if (s.hold) {
        const programming_hold h = *s.hold;
        s.hold.reset();
        const std::int64_t high = s.now_us - s.fourth_rise_us;
        const std::int64_t needed =
            h.purpose == hold_purpose::program_config ? s.limits.p9_config : s.limits.p9;
        bool done = false;
        if (s.command != 0) {
            report(s, "programming cycle not followed by a 0000 hold frame (command " +
                          command_bits(s.command) + "): nothing programmed");
        } else if (high < needed) {
            report(s, "short P9 hold (" + std::to_string(high) + " us, needs " +
                          std::to_string(needed) + " us): nothing programmed");
        } else {
            commit_hold(s, h);
            s.low_until_us = s.now_us + s.limits.p10;
            done = true;
        }
        if (!done) {
            if (!s.profile.buffer_keeps_content)
                std::fill(s.holding.begin(), s.holding.end(), std::uint8_t{0xFF});
            if (h.purpose == hold_purpose::erase_row)
                set_wr_done(s);
        }
    }
    erase_on_command(s, s.command);
    if (kind_of_command(s.command) == frame_kind::table_write && write_busy(s)) {
        report(s, "table write (command " + command_bits(s.command) +
                      ") while a write is in progress: ignored");
        s.frame_refused = true;
    }
}

void frame_ended(chip_state& s) {
    erase_after_frame(s, s.command, s.operand);
    const frame_kind kind = kind_of_command(s.command);
    if (kind != frame_kind::core && s.goto_low) {
        report(s, "GOTO not followed by its second word: ignored");
        s.goto_low.reset();
    }
    if (kind != frame_kind::core)
        break_unlock(s);
    if (s.frame_refused)
        return;
    switch (kind) {
    case frame_kind::core:
        execute_core(s, s.operand);
        break;
    case frame_kind::table_write:
        table_write(s, s.command, s.operand);
        break;
    case frame_kind::undefined:
        report(s, "undefined command " + command_bits(s.command) + " ignored");
        break;
    case frame_kind::shift_out:
    case frame_kind::table_read:
        break; // the read ran after the 8th operand clock
    }
}

} // namespace

frame_kind kind_of_command(std::uint8_t command) {
    switch (command) {
    case 0x0:
        return frame_kind::core;
    case 0x2:
        return frame_kind::shift_out;
    case 0x8:
    case 0x9:
    case 0xA:
    case 0xB:
        return frame_kind::table_read;
    case 0xC:
    case 0xD:
    case 0xE:
    case 0xF:
        return frame_kind::table_write;
    default:
        return frame_kind::undefined;
    }
}

void reset_serial(chip_state& s) {
    s.clocks = 0;
    s.command = 0;
    s.operand = 0;
    s.fourth_rise_us = 0;
    s.frame_refused = false;
    s.driving = false;
    s.drive_level = false;
    s.shift_out = 0;
    s.low_until_us.reset();
    s.pending_bit.reset();
    s.fall_bit_counts = false;
    s.rise_ns = s.now_ns;
    s.fall_ns = s.now_ns;
}

namespace {

void clock_rising(chip_state& s) {
    if (const auto after = end_p10_wait(s, s.low_until_us))
        report(s, "short P10: PGC rose " + std::to_string(*after) +
                      " us after the programming hold, needs " + std::to_string(s.limits.p10) +
                      " us");
    if (s.clocks == 0) {
        // First clock of a new frame: a read's output phase ends here.
        s.driving = false;
        erase_on_frame_start(s);
    }
    if (s.driving && s.clocks >= 12)
        s.drive_level = ((s.shift_out >> (s.clocks - 12)) & 1) != 0;
    if (s.clocks == 3)
        s.fourth_rise_us = s.now_us;
}

void clock_falling(chip_state& s, bool data_bit) {
    count_start_clock(s);
    const bool reading = s.clocks >= 4 && is_read(s.command);
    if (s.clocks < 4) {
        if (data_bit)
            s.command = static_cast<std::uint8_t>(s.command | (1u << s.clocks));
    } else if (!reading && data_bit) {
        s.operand = static_cast<std::uint16_t>(s.operand | (1u << (s.clocks - 4)));
    }
    ++s.clocks;

    if (s.clocks == 4) {
        command_loaded(s);
    } else if (s.clocks == 12 && reading) {
        run_table_read(s);
        s.driving = true; // PGD turns around after the 8th operand clock
        s.drive_level = false;
    }
    if (s.clocks == 20) {
        frame_ended(s);
        s.clocks = 0;
        s.command = 0;
        s.operand = 0;
        s.frame_refused = false;
    }
}

// Whether the next falling edge's bit belongs to the command or the operand (not to a
// read's eight ignored input clocks or its output phase).
bool next_bit_counts(const chip_state& s) {
    return s.clocks < 4 || !is_read(s.command);
}

// How long PGC must have been low before the next rising edge, and the limit that says so:
// P2A, or the longer of P2A and the gap at a frame's boundaries and a read's turnaround.
std::pair<std::int64_t, const char*> low_time_needed(const chip_state& s) {
    std::pair<std::int64_t, const char*> needed{s.limits.p2a_ns, "P2A"};
    const auto at_least = [&needed](std::int64_t ns, const char* name) {
        if (ns >= needed.first)
            needed = {ns, name};
    };
    if (s.clocks == 0)
        at_least(s.limits.p5a_ns, "P5A");
    else if (s.clocks == 4)
        at_least(s.limits.p5_ns, "P5");
    else if (s.clocks == 12 && is_read(s.command))
        at_least(s.limits.p6_ns, "P6");
    return needed;
}

bool rising_edge_seen(chip_state& s) {
    if (!s.edge_timing)
        return true;
    const std::int64_t low = s.now_ns - s.fall_ns;
    const auto [needed, limit] = low_time_needed(s);
    if (low < needed) {
        report(s, "PGC low for " + ns_text(low) + ", needs " + ns_text(needed) + " (" + limit +
                      "): rising edge missed");
        return false;
    }
    const std::int64_t period = s.now_ns - s.rise_ns;
    if (period < s.limits.p2_ns) {
        report(s, "PGC period " + ns_text(period) + ", needs " + ns_text(s.limits.p2_ns) +
                      " (P2): rising edge missed");
        return false;
    }
    return true;
}

void falling_edge(chip_state& s, bool pgd_moved) {
    if (s.edge_timing) {
        const std::int64_t high = s.now_ns - s.rise_ns;
        if (high < s.limits.p2b_ns) {
            report(s, "PGC high for " + ns_text(high) + ", needs " + ns_text(s.limits.p2b_ns) +
                          " (P2B): falling edge missed");
            return;
        }
    }
    s.pgc = false;
    const bool counts = next_bit_counts(s);
    const bool bit = bit_at_fall(s, pgd_moved, true, counts);
    s.fall_ns = s.now_ns;
    s.fall_bit_counts = counts;
    if (s.edge_timing && counts)
        s.pending_bit = bit;
    else
        clock_falling(s, bit);
}

} // namespace

bool take_pgd(chip_state& s, bool pgd) {
    if (pgd == s.pgd)
        return false;
    s.pgd_before_change = s.pgd;
    s.pgd_change_ns = s.now_ns;
    s.pgd = pgd;
    return true;
}

bool bit_at_fall(chip_state& s, bool pgd_moved, bool check_moved, bool check_setup) {
    if (check_moved && pgd_moved) {
        report(s, "PGD changed together with the falling PGC edge (no setup time)");
        return s.pgd_before_change;
    }
    if (check_setup && s.edge_timing && s.now_ns - s.pgd_change_ns < s.limits.p3_ns) {
        const bool bit = s.pgd_before_change;
        report(s, "PGD set up " + ns_text(s.now_ns - s.pgd_change_ns) +
                      " before the falling PGC edge, needs " + ns_text(s.limits.p3_ns) +
                      " (P3): bit taken as " + (bit ? "1" : "0"));
        return bit;
    }
    return s.pgd;
}

void lines_changed(chip_state& s, bool pgc, bool pgd) {
    const bool pgd_moved = take_pgd(s, pgd);
    if (pgc && !s.pgc) {
        if (rising_edge_seen(s)) {
            s.pgc = true;
            s.rise_ns = s.now_ns;
            clock_rising(s);
        }
    } else if (!pgc && s.pgc) {
        falling_edge(s, pgd_moved);
    }
}

void take_pending_bit(chip_state& s, bool pgd, std::int64_t now_ns) {
    if (s.program_mode && s.edge_timing && pgd != s.pgd && !s.pgc && s.fall_bit_counts) {
        const std::int64_t hold = now_ns - s.fall_ns;
        if (hold < s.limits.p4_ns) {
            std::string effect;
            if (s.pending_bit) {
                s.pending_bit = pgd;
                effect = std::string(": bit taken as ") + (pgd ? "1" : "0");
            }
            report(s, "PGD changed " + ns_text(hold) + " after the falling PGC edge, needs " +
                          ns_text(s.limits.p4_ns) + " (P4)" + effect);
        }
    }
    settle_pending_bit(s);
}

void settle_pending_bit(chip_state& s) {
    if (!s.pending_bit)
        return;
    const bool bit = *s.pending_bit;
    s.pending_bit.reset();
    clock_falling(s, bit);
}

} // namespace sim::detail
