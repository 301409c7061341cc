// Check instructions: compare the byte last read into temp (at once, or in order once a
// queued read is known) with the erased value (blank
// check) or the program image (verify), and report each mismatch; while a protected chip
// is verified, 00h in its protected areas is no mismatch. A model with
// configuration masks compares only the implemented configuration bits; the report
// still shows the raw values.
#include "interpreter/check_instructions.h"

#include "core/hex_text.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/deferred_reads.h"
#include "interpreter/transfer_instructions.h"

namespace Module1 {

namespace {

std::string config_location(int config_byte) {
    return "CONF Byte " +
           core::hex6h(static_cast<std::int32_t>(image::config_address) + config_byte - 1);
}

bool config_differs(int config_byte, std::int32_t read_value, std::int32_t expected) {
    const auto& model = devices::selected_model().values;
    if (!model.has_config_mask)
        return read_value != expected;
    std::int32_t mask = model.config_mask[static_cast<std::size_t>(config_byte - 1)];
    if (mask < 0)
        mask = 255;
    return (read_value & mask) != (expected & mask);
}

// In an area the chip's code protection makes read as zero (set while a protected chip
// is verified).
bool reads_zero_protected(bool eeprom, std::int32_t address) {
    for (const zero_read_area& area : algorithm_run.zero_read_areas)
        if (area.eeprom == eeprom && address >= area.first && address <= area.last)
            return true;
    return false;
}

bool checks_flash(devices::opcode op) {
    return op == devices::opcode::checkblankflash || op == devices::opcode::checkflash;
}

} // namespace

void compare_read(const devices::instruction& instruction, std::int32_t a, std::int32_t temp) {
    using devices::opcode;
    auto& run = algorithm_run;
    const int k = instruction.config_byte;
    switch (instruction.op) {
    case opcode::checkblankflash:
    case opcode::checkblankeeprom:
    case opcode::checkflash:
    case opcode::checkeeprom: {
        const bool flash = checks_flash(instruction.op);
        const bool blank =
            instruction.op == opcode::checkblankflash || instruction.op == opcode::checkblankeeprom;
        const memory which = flash ? memory::flash : memory::eeprom;
        const std::int32_t expected = blank ? 255 : image_byte(which, a);
        if (temp == expected || (temp == 0 && reads_zero_protected(!flash, a)))
            return;
        if (temp == 0)
            ++run.zero_reads;
        add_failure(flash ? "FLASH Byte " + core::hex6h(a) : "EEPROM Byte " + core::hex4h(a),
                    core::hex2h(temp), core::hex2h(expected));
        return;
    }
    case opcode::checkblankconfig:
    case opcode::checkconfig: {
        run.config_read[static_cast<std::size_t>(k - 1)] = temp;
        const std::int32_t expected =
            instruction.op == opcode::checkblankconfig
                ? devices::selected_model().values.config_erased[static_cast<std::size_t>(k - 1)]
                : image::program_image().config_image[static_cast<std::size_t>(k - 1)];
        if (config_differs(k, temp, expected))
            add_failure(config_location(k), core::hex2h(temp), core::hex2h(expected));
        return;
    }
    default:
        return;
    }
}

void run_check(const devices::instruction& instruction) {
    using devices::opcode;
    auto& run = algorithm_run;
    const std::int32_t a = run.address_counter;
    switch (instruction.op) {
    case opcode::checkblankflash:
    case opcode::checkblankeeprom:
    case opcode::checkflash:
    case opcode::checkeeprom: {
        caption_progress(checks_flash(instruction.op) ? memory::flash : memory::eeprom);
        ++run.ip;
        run.address_counter = a + 1;
        check_temp(instruction, a);
        return;
    }
    case opcode::checkblankconfig:
    case opcode::checkconfig:
        caption_config(instruction.config_byte);
        ++run.ip;
        check_temp(instruction, a);
        return;
    default:
        ++run.ip;
        return;
    }
}

} // namespace Module1
