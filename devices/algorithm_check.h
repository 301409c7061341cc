// The check of one algorithm's instruction list, shared by the device database checker and
// the start of every chip operation. It finds what would make a run misbehave (an
// instruction the interpreter does not know, a loop or page block that never closes, a
// loop that can never end, a page size of 0 where pages are used), what would silently
// send nothing (bad hexadecimal fields) and power-up without power-down, and words each
// fault the same way for both.
#pragma once

#include "devices/model_select.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devices {

enum class algorithm_fault_kind {
    empty_instruction,        // two commas in a row, or an empty algorithm
    unrecognised_instruction, // no form of the instruction language matches
    loop_without_end,         // a loop head without a later "loop"
    loop_without_head,        // a "loop" with no loop head since the previous "loop"
    loop_never_advances,      // a loop body that never moves the address counter
    loop_advances_in_page,    // a loop body that moves the counter only inside a page block
    ifpage_without_end,       // "ifpage" without a later "endifpage"
    page_size_needed,         // "calcflashpage" or "ifpage" with a page size below 1
    bad_command,              // the two-digit command is not hexadecimal
    command_above_0f,         // the command does not fit in four bits
    bad_payload,              // the four-digit payload is not hexadecimal
    begin_without_end,        // "begin" with no "end" before the next "begin" or the last line
    end_without_begin,        // "end" with no "begin" since the previous "end"
    wrong_frame,              // a form or command the model's frame does not have
};

struct algorithm_fault {
    algorithm_fault_kind kind = algorithm_fault_kind::unrecognised_instruction;
    std::size_t position = 0; // 1-based index of the instruction in the list
    std::string instruction;  // its text
    std::int32_t page_size = 0;
    std::string detail; // wrong_frame: why
};

// Every fault of `list`, in instruction order. The page size and the frame are checked only
// when given: a definition line of the database belongs to no model yet.
std::vector<algorithm_fault> algorithm_faults(const instruction_list& list,
                                              std::optional<std::int32_t> page_size,
                                              std::optional<frame_kind> frame = std::nullopt);

// True for the faults that keep an algorithm from running; the others make single
// instructions send nothing.
bool stops_run(algorithm_fault_kind kind);

// The first fault of `list` that keeps it from running with this page size, if any.
std::optional<algorithm_fault> run_fault(const instruction_list& list, std::int32_t page_size,
                                         frame_kind frame = frame_kind::classic);

// The frame's name as "frame:" writes it ("classic", "8bit-rows", ...).
const char* frame_name(frame_kind frame);

// What is wrong and where, e.g. "loop head 'setflashloop' has no later 'loop' (instruction 2)".
std::string fault_text(const algorithm_fault& fault);

} // namespace devices
