// The algorithm check: decodes each instruction once, looks for the closing word of every
// loop head and page block as the interpreter's forward search would, follows each loop
// body for an instruction that moves the address counter, and pairs "begin" with "end".
#include "devices/algorithm_check.h"

#include "devices/instruction_syntax.h"

#include <algorithm>

namespace devices {

namespace {

bool loop_head(opcode op) {
    return op == opcode::setflashloop || op == opcode::seteepromloop || op == opcode::setidloop ||
           op == opcode::setconfigloop;
}

// The 8-bit commands of a frame: those that take a 24-bit payload, those sent alone, and
// the reads.
struct command_set {
    std::initializer_list<std::int32_t> with_payload, alone, reads;
};

const command_set& commands_of(frame_kind frame) {
    static const command_set rows{
        {0x80, 0x00, 0x02}, {0xF8, 0xE0, 0xC0, 0x82, 0x18, 0xF0}, {0xFC, 0xFE}};
    static const command_set words{{0x80, 0xC0, 0xE0}, {0xF8, 0x18, 0xF0}, {0xFC, 0xFE}};
    static const command_set regions{{0x80, 0xC0, 0xE0, 0x18, 0x4C}, {0xF8, 0xF0}, {0xFC, 0xFE}};
    return frame == frame_kind::rows8 ? rows : frame == frame_kind::words8 ? words : regions;
}

bool listed(std::initializer_list<std::int32_t> set, std::int32_t command) {
    return std::find(set.begin(), set.end(), command) != set.end();
}

// Why `decoded` does not belong to `frame`; empty when it does.
std::string frame_problem(const instruction& decoded, frame_kind frame) {
    const std::string frame_text = std::string("the model's frame is ") + frame_name(frame);
    if (!is_eight_bit(frame))
        return decoded.eight_bit ? "an 8-bit-frame form, but " + frame_text : std::string();
    const bool classic_only =
        (decoded.has_command && !decoded.eight_bit) || decoded.fast_poll ||
        decoded.op == opcode::movlw_upper || decoded.op == opcode::movlw_high ||
        decoded.op == opcode::movlw_low || decoded.op == opcode::movlw_eeprom ||
        decoded.op == opcode::startprog || decoded.op == opcode::startconfigprog ||
        decoded.op == opcode::waitwr || (decoded.config_byte != 0);
    if (classic_only)
        return "a form of the classic frame, but " + frame_text;
    if (!decoded.eight_bit || decoded.command < 0)
        return {};
    const command_set& set = commands_of(frame);
    const bool read = decoded.op == opcode::read_flash || decoded.op == opcode::read_eeprom ||
                      decoded.op == opcode::read_id || decoded.op == opcode::read_config ||
                      decoded.op == opcode::read_temp;
    const auto listed_in = read                                 ? set.reads
                           : decoded.op == opcode::send_command ? set.alone
                                                                : set.with_payload;
    if (listed(listed_in, decoded.command))
        return {};
    const char* use = read                                 ? "read"
                      : decoded.op == opcode::send_command ? "command without payload"
                                                           : "command with a payload";
    return std::string("not a ") + use + " of the " + frame_name(frame) + " frame";
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

const char* frame_name(frame_kind frame) {
    switch (frame) {
    case frame_kind::classic:
        break;
    case frame_kind::rows8:
        return "8bit-rows";
    case frame_kind::words8:
        return "8bit-words";
    case frame_kind::regions8:
        return "8bit-regions";
    }
    return "classic";
}

std::vector<algorithm_fault> algorithm_faults(const instruction_list& list,
                                              std::optional<std::int32_t> page_size,
                                              std::optional<frame_kind> frame) {
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
            faults.push_back({kind, i + 1, text, page_size.value_or(0), {}});
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
        case opcode::setconfigloop:
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
                faults.push_back({algorithm_fault_kind::begin_without_end,
                                  begun + 1,
                                  list[begun],
                                  page_size.value_or(0),
                                  {}});
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
        else if (decoded.has_command && !decoded.eight_bit && decoded.command > 15)
            add(algorithm_fault_kind::command_above_0f);
        // An 8-bit frame's payload field goes out shifted left once within 24 bits.
        if (decoded.has_payload &&
            (decoded.payload < 0 || (decoded.eight_bit && decoded.payload > 0x3FFFFF)))
            add(algorithm_fault_kind::bad_payload);
        if (frame)
            if (auto problem = frame_problem(decoded, *frame); !problem.empty()) {
                add(algorithm_fault_kind::wrong_frame);
                faults.back().detail = std::move(problem);
            }
    }
    if (begun != none_open)
        faults.push_back({algorithm_fault_kind::begin_without_end,
                          begun + 1,
                          list[begun],
                          page_size.value_or(0),
                          {}});
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
    case algorithm_fault_kind::wrong_frame:
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

std::optional<algorithm_fault> run_fault(const instruction_list& list, std::int32_t page_size,
                                         frame_kind frame) {
    for (auto& fault : algorithm_faults(list, page_size, frame))
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
        what = quoted + " has no valid payload (four hexadecimal digits; up to six below 400000 "
                        "in the 8-bit frames)";
        hint = "it would send nothing";
        break;
    case algorithm_fault_kind::wrong_frame:
        what = quoted + " is " + fault.detail;
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
