// The algorithm check: decodes each instruction once, looks for the closing word of every
// loop head and page block as the interpreter's forward search would, follows each loop
// body for an instruction that moves the address counter, and pairs "begin" with "end".
#include "devices/algorithm_check.h"

#include "devices/instruction_syntax.h"

#include <algorithm>

namespace devices {

namespace {

bool loop_head(opcode op) {
    return op == opcode::setflashloop || op == opcode::seteepromloop || op == opcode::setidloop;
}

// Index of the first instruction after `from` that is exactly `word`, or the list's size.
std::size_t next_word(const instruction_list& list, std::size_t from, const char* word) {
    for (std::size_t j = from + 1; j < list.size(); ++j)
        if (list[j] == word)
            return j;
    return list.size();
}

// The loop whose head is at `head` and whose "loop" is at `end`, as the interpreter runs
// it: each pass runs the body and jumps back to the head, which leaves only once the
// counter has passed the limit. A page block is skipped while the counter is 0; a page
// block that closes beyond the "loop", or a second loop head, can leave the loop another
// way, so such a body is never called endless.
std::optional<algorithm_fault_kind> loop_fault(const instruction_list& list,
                                               const std::vector<instruction>& decoded,
                                               std::size_t head, std::size_t end) {
    bool advances = false, advances_outside_pages = false;
    std::size_t page_end = 0; // inside a page block while the index is below this
    for (std::size_t k = head + 1; k < end; ++k) {
        if (loop_head(decoded[k].op))
            return std::nullopt;
        if (decoded[k].op == opcode::ifpage && k >= page_end) {
            page_end = next_word(list, k, "endifpage");
            if (page_end > end)
                return std::nullopt;
        }
        // Walking a memory moves the counter on: the only way a loop ends.
        if (decoded[k].walks) {
            advances = true;
            advances_outside_pages = advances_outside_pages || k >= page_end;
        }
    }
    if (!advances)
        return algorithm_fault_kind::loop_never_advances;
    if (!advances_outside_pages)
        return algorithm_fault_kind::loop_advances_in_page;
    return std::nullopt;
}

} // namespace

std::vector<algorithm_fault> algorithm_faults(const instruction_list& list,
                                              std::optional<std::int32_t> page_size) {
    std::vector<algorithm_fault> faults;
    std::vector<instruction> all;
    for (const auto& text : list)
        all.push_back(decode_instruction(text));
    bool head_open = false; // a loop head since the last "loop"
    // The position of the "begin" not yet matched by an "end", or none_open.
    constexpr std::size_t none_open = static_cast<std::size_t>(-1);
    std::size_t begun = none_open;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& text = list[i];
        auto add = [&](algorithm_fault_kind kind) {
            faults.push_back({kind, i + 1, text, page_size.value_or(0)});
        };
        auto later = [&](const char* word) {
            for (std::size_t j = i + 1; j < list.size(); ++j)
                if (list[j] == word)
                    return true;
            return false;
        };
        const instruction& decoded = all[i];
        switch (decoded.op) {
        case opcode::unrecognised:
            add(text.empty() ? algorithm_fault_kind::empty_instruction
                             : algorithm_fault_kind::unrecognised_instruction);
            break;
        case opcode::setflashloop:
        case opcode::seteepromloop:
        case opcode::setidloop:
            head_open = true;
            if (!later("loop"))
                add(algorithm_fault_kind::loop_without_end);
            else if (const auto endless = loop_fault(list, all, i, next_word(list, i, "loop")))
                add(*endless);
            break;
        case opcode::loop:
            if (!head_open)
                add(algorithm_fault_kind::loop_without_head);
            head_open = false;
            break;
        case opcode::begin:
            if (begun != none_open)
                faults.push_back({algorithm_fault_kind::begin_without_end, begun + 1, list[begun],
                                  page_size.value_or(0)});
            begun = i;
            break;
        case opcode::end:
            if (begun == none_open)
                add(algorithm_fault_kind::end_without_begin);
            begun = none_open;
            break;
        case opcode::ifpage:
            if (!later("endifpage"))
                add(algorithm_fault_kind::ifpage_without_end);
            break;
        default:
            break;
        }
        if ((decoded.op == opcode::ifpage || decoded.op == opcode::calcflashpage) && page_size &&
            *page_size <= 0)
            add(algorithm_fault_kind::page_size_needed);
        if (decoded.has_command && decoded.command < 0)
            add(algorithm_fault_kind::bad_command);
        else if (decoded.has_command && decoded.command > 15)
            add(algorithm_fault_kind::command_above_0f);
        if (decoded.has_payload && decoded.payload < 0)
            add(algorithm_fault_kind::bad_payload);
    }
    if (begun != none_open)
        faults.push_back({algorithm_fault_kind::begin_without_end, begun + 1, list[begun],
                          page_size.value_or(0)});
    std::stable_sort(faults.begin(), faults.end(),
                     [](const auto& a, const auto& b) { return a.position < b.position; });
    return faults;
}

bool stops_run(algorithm_fault_kind kind) {
    switch (kind) {
    case algorithm_fault_kind::empty_instruction:
    case algorithm_fault_kind::unrecognised_instruction:
    case algorithm_fault_kind::loop_without_end:
    case algorithm_fault_kind::loop_without_head:
    case algorithm_fault_kind::loop_never_advances:
    case algorithm_fault_kind::ifpage_without_end:
    case algorithm_fault_kind::page_size_needed:
        return true;
    case algorithm_fault_kind::bad_command:
    case algorithm_fault_kind::command_above_0f:
    case algorithm_fault_kind::bad_payload:
    case algorithm_fault_kind::loop_advances_in_page: // the run stops it when it runs away
    case algorithm_fault_kind::begin_without_end:
    case algorithm_fault_kind::end_without_begin:
        break;
    }
    return false;
}

std::optional<algorithm_fault> run_fault(const instruction_list& list, std::int32_t page_size) {
    for (auto& fault : algorithm_faults(list, page_size))
        if (stops_run(fault.kind))
            return std::move(fault);
    return std::nullopt;
}

std::string fault_text(const algorithm_fault& fault) {
    const std::string quoted = "'" + fault.instruction + "'";
    std::string what;
    std::string hint;
    switch (fault.kind) {
    case algorithm_fault_kind::empty_instruction:
        what = "empty instruction";
        hint = "two commas in a row, or an empty algorithm";
        break;
    case algorithm_fault_kind::unrecognised_instruction:
        what = "unrecognised instruction " + quoted;
        if (fault.instruction.find(' ') != std::string::npos)
            hint = "a blank is part of the instruction";
        break;
    case algorithm_fault_kind::loop_without_end:
        what = "loop head " + quoted + " has no later 'loop'";
        break;
    case algorithm_fault_kind::loop_without_head:
        what = quoted + " has no loop head since the previous 'loop'";
        hint = "it would jump back to a loop that has already ended";
        break;
    case algorithm_fault_kind::loop_never_advances:
        what = "loop head " + quoted + " starts a loop whose body never moves the address counter";
        hint = "the loop would never end";
        break;
    case algorithm_fault_kind::loop_advances_in_page:
        what = "loop head " + quoted +
               " starts a loop that moves the address counter only inside 'ifpage' blocks";
        hint = "at address 0 they are skipped and the loop would never end";
        break;
    case algorithm_fault_kind::ifpage_without_end:
        what = quoted + " has no later 'endifpage'";
        break;
    case algorithm_fault_kind::page_size_needed:
        what = quoted + " needs a page size of at least 1, but the model's is " +
               std::to_string(fault.page_size);
        break;
    case algorithm_fault_kind::bad_command:
        what = quoted + " has no valid two-digit hexadecimal command";
        hint = "it would send nothing";
        break;
    case algorithm_fault_kind::command_above_0f:
        what = quoted + " has a command above 0F";
        hint = "it would send nothing";
        break;
    case algorithm_fault_kind::bad_payload:
        what = quoted + " has no valid four-digit hexadecimal payload";
        hint = "it would send nothing";
        break;
    case algorithm_fault_kind::begin_without_end:
        what = quoted + " has no 'end' after it";
        hint = "the chip would stay powered";
        break;
    case algorithm_fault_kind::end_without_begin:
        what = quoted + " has no 'begin' before it";
        break;
    }
    return what + " (instruction " + std::to_string(fault.position) +
           (hint.empty() ? "" : "; " + hint) + ")";
}

} // namespace devices
