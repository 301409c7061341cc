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
bool reads_zero_protected(memory which, std::int32_t address) {
    for (const zero_read_area& area : algorithm_run.zero_read_areas)
        if (area.eeprom == (which == memory::eeprom) && which != memory::id &&
            address >= area.first && address <= area.last)
            return true;
    return false;
}

// The HEX address of byte `a` of `which`.
std::int64_t hex_address(memory which, std::int32_t a) {
    const auto& layout = devices::selected_model().values.layout;
    switch (which) {
    case memory::flash:
        return a;
    case memory::eeprom:
        return layout.eeprom_address + a;
    case memory::id:
        return layout.id_address + a;
    case memory::config:
        return layout.config_address + a;
    }
    return a;
}

} // namespace

void compare_read(const devices::instruction& instruction, std::int32_t a, std::int32_t temp) {
    auto& run = algorithm_run;
    if (instruction.width == 2) {
        // A word read by an 8-bit frame: its low byte at a, its high byte at a + 1.
        devices::instruction byte = instruction;
        byte.width = 1;
        compare_read(byte, a, temp & 0xFF);
        compare_read(byte, a + 1, (temp >> 8) & 0xFF);
        return;
    }
    if (instruction.walks == memory::config) {
        // The configuration walked by the counter: byte a, compared as the named forms are.
        counts_of(memory::config).compared += 1;
        if (a < 0 || a >= devices::largest_config_size)
            return;
        run.config_read[static_cast<std::size_t>(a)] = temp;
        const std::int32_t expected =
            instruction.blank_check
                ? devices::selected_model().values.config_erased[static_cast<std::size_t>(a)]
                : image_byte(memory::config, a);
        if (config_differs(a + 1, temp, expected))
            add_difference({memory::config, hex_address(memory::config, a), expected, temp});
        return;
    }
    if (const auto k =
            instruction.walks ? flash_config_byte(*instruction.walks, a) : std::nullopt) {
        // A configuration word in FLASH: compared as a configuration byte (masked), erased
        // FLASH (FFh) being its blank value.
        counts_of(memory::config).compared += 1;
        const std::int32_t expected = instruction.blank_check ? 255 : image_byte(memory::flash, a);
        if (config_differs(*k + 1, temp, expected))
            add_difference({memory::config, a, expected, temp});
        return;
    }
    if (const auto which = instruction.walks) {
        counts_of(*which).compared += 1;
        const std::int32_t expected = instruction.blank_check ? 255 : image_byte(*which, a);
        if (temp == expected || (temp == 0 && reads_zero_protected(*which, a)))
            return;
        if (temp == 0 && *which != memory::id)
            ++run.zero_reads;
        add_difference({*which, hex_address(*which, a), expected, temp});
        return;
    }
    const int k = instruction.config_byte;
    counts_of(memory::config).compared += 1;
    run.config_read[static_cast<std::size_t>(k - 1)] = temp;
    const std::int32_t expected =
        instruction.blank_check
            ? devices::selected_model().values.config_erased[static_cast<std::size_t>(k - 1)]
            : image::program_image().config_image[static_cast<std::size_t>(k - 1)];
    if (config_differs(k, temp, expected))
        add_difference({memory::config, hex_address(memory::config, k - 1), expected, temp});
}

void run_check(const devices::instruction& instruction) {
    auto& run = algorithm_run;
    const std::int32_t a = run.address_counter;
    ++run.ip;
    // The check covers the bytes the last read into temp gave.
    devices::instruction check = instruction;
    check.width = run.temp_width;
    if (const auto which = instruction.walks) {
        caption_progress(*which);
        run.address_counter = a + check.width;
    } else {
        check.width = 1;
        caption_config(instruction.config_byte);
    }
    check_temp(check, a);
}

} // namespace Module1
