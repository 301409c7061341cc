// The algorithm check: decodes each instruction once and looks for the closing word of
// every loop head and page block, as the interpreter's forward search would.
#include "devices/algorithm_check.h"

#include "devices/instruction_syntax.h"

namespace devices {

std::vector<algorithm_fault> algorithm_faults(const instruction_list& list,
                                              std::optional<std::int32_t> page_size) {
    std::vector<algorithm_fault> faults;
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
        const instruction decoded = decode_instruction(text);
        switch (decoded.op) {
        case opcode::unrecognised:
            add(text.empty() ? algorithm_fault_kind::empty_instruction
                             : algorithm_fault_kind::unrecognised_instruction);
            break;
        case opcode::setflashloop:
        case opcode::seteepromloop:
            if (!later("loop"))
                add(algorithm_fault_kind::loop_without_end);
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
    return faults;
}

bool stops_run(algorithm_fault_kind kind) {
    switch (kind) {
    case algorithm_fault_kind::empty_instruction:
    case algorithm_fault_kind::unrecognised_instruction:
    case algorithm_fault_kind::loop_without_end:
    case algorithm_fault_kind::ifpage_without_end:
    case algorithm_fault_kind::page_size_needed:
        return true;
    case algorithm_fault_kind::bad_command:
    case algorithm_fault_kind::command_above_0f:
    case algorithm_fault_kind::bad_payload:
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
    }
    return what + " (instruction " + std::to_string(fault.position) +
           (hint.empty() ? "" : "; " + hint) + ")";
}

} // namespace devices
