// The serial shift engine: takes PGD on every PGC falling edge, assembles the 4-bit command
// (LSb first) and the 16-bit operand, runs table reads after the 8th operand clock and then
// drives PGD with TABLAT (bit k from the rising edge of operand clock 9+k until the next
// frame's first rising edge), and hands finished frames to the executor and memory model.
// The 4th clock of each frame is where programming holds and erases are decided.
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
}

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
    const bool is_read = s.clocks >= 4 && (kind_of_command(s.command) == frame_kind::shift_out ||
                                           kind_of_command(s.command) == frame_kind::table_read);
    if (s.clocks < 4) {
        if (data_bit)
            s.command = static_cast<std::uint8_t>(s.command | (1u << s.clocks));
    } else if (!is_read && data_bit) {
        s.operand = static_cast<std::uint16_t>(s.operand | (1u << (s.clocks - 4)));
    }
    ++s.clocks;

    if (s.clocks == 4) {
        command_loaded(s);
    } else if (s.clocks == 12 && is_read) {
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

} // namespace sim::detail
