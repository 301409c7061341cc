// The memory and programming model: what a table read returns at each address of the
// 22-bit table space, where table writes go (write buffer, the single configuration-byte
// latch, the erase and panel control registers), how a started programming cycle writes a
// row or one configuration byte, row and bulk erase, data EEPROM access, and the code,
// data and write protection of the configuration bits. Flash and ID cells only lose bits
// when programmed (new = old AND data); only erases set them back to 1.
#include "sim/memory_model.h"

#include "sim/core_executor.h"
#include "sim/timed_operations.h"

#include <algorithm>
#include <bit>

namespace sim::detail {

namespace {

bool in_config_space(std::uint32_t address) {
    return address >= config_base && address < config_base + config_span;
}

bool in_id_space(const chip_state& s, std::uint32_t address) {
    return s.profile.id_locations && address >= id_base && address < id_base + s.id.size();
}

std::uint32_t flash_size(const chip_state& s) {
    return static_cast<std::uint32_t>(s.flash.size());
}

std::uint32_t buffer_size(const chip_state& s) {
    return static_cast<std::uint32_t>(std::max<std::int32_t>(s.part.write_buffer, 2));
}

std::uint32_t panel_count(const chip_state& s) {
    return std::max<std::uint32_t>(1, flash_size(s) / fxx2_panel_bytes);
}

// A protection bit counts only where it is implemented; an implemented bit at 0 protects.
bool protection_on(const chip_state& s, int index, std::uint8_t bit) {
    const auto i = static_cast<std::size_t>(index);
    return (s.part.config_mask[i] & bit) != 0 && (s.config[i] & bit) == 0;
}

std::uint32_t code_block_size(const chip_state& s) {
    // One CP bit per block; the blocks split the memory evenly.
    const int blocks = std::popcount(static_cast<unsigned>(s.part.config_mask[cfg_5l]));
    return blocks > 0 ? flash_size(s) / static_cast<std::uint32_t>(blocks) : flash_size(s);
}

// -1 for the boot block, otherwise the number of the code block holding the address.
int block_of(const chip_state& s, std::uint32_t address) {
    if (address < boot_block_bytes(s))
        return -1;
    const std::uint32_t size = code_block_size(s);
    return size == 0 ? 0 : static_cast<int>(address / size);
}

bool code_read_protected(const chip_state& s, std::uint32_t address) {
    switch (s.profile.protection) {
    case code_protection::whole_flash_cp0:
        return protection_on(s, cfg_1h, cp0_bit);
    case code_protection::one_cp_bit: // the 8-bit-command engine's own rule
        return false;
    case code_protection::per_block:
        break;
    }
    const int block = block_of(s, address);
    if (block < 0)
        return protection_on(s, cfg_5h, 0x40); // CPB
    return block < 8 && protection_on(s, cfg_5l, static_cast<std::uint8_t>(1u << block));
}

bool code_write_protected(const chip_state& s, std::uint32_t address) {
    if (s.profile.protection == code_protection::whole_flash_cp0)
        return false; // CP0 protects reads only; the J write-protect bits are not modelled
    const int block = block_of(s, address);
    if (block < 0)
        return protection_on(s, cfg_6h, 0x40); // WRTB
    return block < 8 && protection_on(s, cfg_6l, static_cast<std::uint8_t>(1u << block));
}

bool eeprom_write_protected(const chip_state& s) {
    return protection_on(s, cfg_6h, 0x80);
}
bool config_write_protected(const chip_state& s) {
    return protection_on(s, cfg_6h, 0x20);
}

void clear_holding(chip_state& s) {
    std::fill(s.holding.begin(), s.holding.end(), std::uint8_t{0xFF});
}

void program_code_byte(chip_state& s, std::uint32_t address, std::uint8_t data) {
    if (address < flash_size(s) && !code_write_protected(s, address))
        s.flash[address] &= data;
}

void program_row(chip_state& s, std::uint32_t pointer) {
    const std::uint32_t buffer = buffer_size(s);
    if (s.multi_panel) {
        // FXX2 multi-panel: every panel's buffer goes to the same offset in its panel.
        const std::uint32_t offset = pointer & (fxx2_panel_bytes - 1) & ~(buffer - 1);
        bool boot_reported = false;
        const auto panels = static_cast<std::uint32_t>(s.holding.size() / buffer);
        for (std::uint32_t panel = 0; panel < panels; ++panel) {
            for (std::uint32_t i = 0; i < buffer; ++i) {
                const std::uint8_t data = s.holding[panel * buffer + i];
                const std::uint32_t address = panel * fxx2_panel_bytes + offset + i;
                if (data == 0xFF)
                    continue;
                if (address < boot_block_bytes(s)) {
                    if (!boot_reported)
                        report(s, "boot block written in multi-panel mode: not programmed "
                                  "(the boot block needs single-panel mode)");
                    boot_reported = true;
                    continue;
                }
                program_code_byte(s, address, data);
            }
        }
    } else {
        const std::uint32_t row = pointer & ~(buffer - 1);
        for (std::uint32_t i = 0; i < buffer; ++i) {
            const std::uint8_t data = s.holding[i];
            const std::uint32_t address = row + i;
            if (data == 0xFF)
                continue;
            if (address < flash_size(s))
                program_code_byte(s, address, data);
            else if (in_id_space(s, address))
                s.id[address - id_base] &= data;
        }
    }
    if (!s.profile.buffer_keeps_content)
        clear_holding(s);
}

void write_config_byte(chip_state& s, std::uint32_t address, std::uint8_t value) {
    const std::uint32_t index = address - config_base;
    if (index >= s.config.size() || config_write_protected(s))
        return;
    const std::uint8_t mask = s.part.config_mask[index];
    // A configuration byte is rewritten as a whole, except that code-protect bits only go
    // from 1 to 0: a bulk erase is the only way back.
    std::uint8_t cp_bits = 0;
    if (index == cfg_5l)
        cp_bits = mask;
    else if (index == cfg_5h)
        cp_bits = mask & 0xC0;
    const std::uint8_t v = value & mask;
    s.config[index] = static_cast<std::uint8_t>((v & ~cp_bits) | (s.config[index] & v & cp_bits));
}

void erase_code(chip_state& s, std::uint32_t from, std::uint32_t to) {
    to = std::min(to, flash_size(s));
    for (std::uint32_t a = from; a < to; ++a)
        s.flash[a] = 0xFF;
}

void reset_config_bits(chip_state& s, int index, std::uint8_t bits) {
    const auto i = static_cast<std::size_t>(index);
    const std::uint8_t erased = s.part.config_erased[i] & s.part.config_mask[i];
    s.config[i] = static_cast<std::uint8_t>((s.config[i] & ~bits) | (erased & bits));
}

bool pc_in_protected_block(const chip_state& s) {
    // With the PC inside a code-protected block the protection logic may block table writes
    // (hence the documented GOTO 100000h); where it may, the model always blocks them.
    if (!s.profile.protected_pc_blocks_writes)
        return false;
    return s.pc < flash_size(s) && code_read_protected(s, s.pc);
}

void store_table_bytes(chip_state& s, std::uint32_t pointer, std::uint16_t payload,
                       bool increments) {
    const auto lsb = static_cast<std::uint8_t>(payload & 0xFF);
    const auto msb = static_cast<std::uint8_t>(payload >> 8);
    // Single-byte targets take the half that matches the address parity.
    const std::uint8_t parity_byte = (pointer & 1) ? msb : lsb;

    if (in_config_space(pointer)) {
        if (increments)
            report(s, "auto-increment table write in configuration space (one byte per "
                      "programming cycle)");
        s.config_latch = parity_byte;
        s.config_latch_address = pointer;
        return;
    }
    if (pointer == erase_control_low) {
        s.erase_control_lo = parity_byte;
        arm_bulk_erase(s);
        return;
    }
    if (pointer == erase_control_high) {
        if (s.profile.erase_registers >= 2)
            s.erase_control_hi = parity_byte;
        return;
    }
    if (pointer == panel_control) {
        if (s.profile.panel_writes)
            s.multi_panel = (parity_byte & 0x40) != 0;
        else if (s.profile.erase_registers >= 3)
            s.erase_control_up = parity_byte;
        return;
    }

    const std::uint32_t buffer = buffer_size(s);
    std::uint32_t base = 0;
    if (s.multi_panel) {
        if (pointer >= flash_size(s)) {
            report(s, "table write to " + hex_text(pointer, 6) +
                          " in multi-panel mode: ignored (ID locations need single-panel mode)");
            return;
        }
        base = (pointer / fxx2_panel_bytes) * buffer;
    }
    if (base + buffer > s.holding.size())
        return; // the code memory was resized behind the chip's back
    s.holding[base + ((pointer & ~1u) & (buffer - 1))] = lsb;
    s.holding[base + ((pointer | 1u) & (buffer - 1))] = msb;
}

void start_programming(chip_state& s, std::uint32_t pointer) {
    const std::uint8_t e = eecon1(s);
    if (s.profile.wren_for_table_writes && !(e & eecon1_wren)) {
        report(s, "programming started without EECON1.WREN: nothing programmed");
        return;
    }
    if (pc_in_protected_block(s)) {
        report(s, "programming started while the PC sits in a code-protected block: "
                  "nothing programmed (GOTO 100000h first)");
        return;
    }
    if (e & eecon1_cfgs) {
        if (!in_config_space(pointer)) {
            report(s, "programming started with CFGS = 1 at " + hex_text(pointer, 6) +
                          ", outside configuration space: nothing programmed");
            return;
        }
        const std::uint8_t value = s.config_latch_address == pointer ? s.config_latch : 0xFF;
        s.hold = programming_hold{hold_purpose::program_config, pointer, value};
        return;
    }
    if (in_config_space(pointer)) {
        if (s.profile.config_in_flash)
            report(s, "programming started at " + hex_text(pointer, 6) +
                          ": the configuration registers are loaded from the end of the FLASH "
                          "and cannot be written: nothing programmed");
        else
            report(s, "configuration byte write started with CFGS = 0: nothing programmed");
        return;
    }
    if (s.profile.eecon1_selects_memory && !(e & eecon1_eepgd)) {
        report(s, "programming started with EEPGD = 0: nothing programmed");
        return;
    }
    if (pointer >= 0x3C0000) {
        report(s, "programming started at " + hex_text(pointer, 6) + ": nothing programmed");
        return;
    }
    if (e & eecon1_free) {
        if (s.profile.panel_writes && s.multi_panel) {
            s.hold = programming_hold{hold_purpose::erase_rows_all_panels, pointer, 0};
        } else {
            report(s, "row erase started with a table write is not supported here "
                      "(use EECON1.WR): nothing erased");
        }
        return;
    }
    if (s.multi_panel && pointer >= flash_size(s)) {
        report(s, "programming outside code memory in multi-panel mode: nothing programmed");
        return;
    }
    s.hold = programming_hold{hold_purpose::program_row, pointer, 0};
}

} // namespace

std::uint32_t boot_block_bytes(const chip_state& s) {
    const std::uint8_t mask = s.part.config_mask[cfg_4l];
    const std::uint8_t value = s.config[cfg_4l];
    switch (s.profile.boot_block) {
    case boot_block_rule::fixed_256_words:
        return 0x200;
    case boot_block_rule::by_flash_size:
        return flash_size(s) <= 0x2000 ? 0x200 : 0x800;
    case boot_block_rule::bbsiz_4l_bit3:
        // 512 or 1K words on the 13K22, 1K or 2K words on the 14K22.
        return (flash_size(s) <= 0x2000 ? 0x400u : 0x800u) << ((value >> 3) & 1);
    case boot_block_rule::bbsiz_4l_bit4:
        return (value & 0x10) ? 0x1000 : 0x800;
    case boot_block_rule::none:
        return 0;
    case boot_block_rule::bbsiz_by_4l_mask:
        break;
    }
    if ((mask & 0x30) == 0x30) {
        // BBSIZ1:0. The 2585/2680/2682/2685 (over 32 KB): 1K, 2K or 4K words. The 2221 and
        // 1230 families: 256, 512 or 1K words, at most a quarter of the memory.
        const int select = (value >> 4) & 3;
        if (flash_size(s) > 0x8000)
            return 0x800u << std::min(select, 2);
        const std::uint32_t size = select == 0 ? 0x200 : select == 1 ? 0x400 : 0x800;
        return std::min(size, flash_size(s) / 4);
    }
    if (mask & 0x10) // BBSIZ of the 2480/2580: 1K or 2K words
        return (value & 0x10) ? 0x1000 : 0x800;
    if (mask & 0x08) // BBSIZ of the 2450/4450: 1K or 2K words
        return (value & 0x08) ? 0x1000 : 0x800;
    return 0x800;
}

} // namespace sim::detail

namespace sim {

std::uint32_t boot_block_size(const part_info& part, const std::array<std::uint8_t, 14>& config) {
    detail::chip_state s(part);
    for (std::size_t k = 0; k < config.size(); ++k)
        s.config[k] = config[k] & part.config_mask[k];
    return detail::boot_block_bytes(s);
}

} // namespace sim

namespace sim::detail {

void load_config_from_flash(chip_state& s) {
    const std::size_t tail = s.flash.size() - std::min<std::size_t>(s.flash.size(), 8);
    for (std::size_t i = 0; i < s.config.size(); ++i) {
        const std::uint8_t stored = tail + i < s.flash.size() && i < 8 ? s.flash[tail + i] : 0;
        s.config[i] = stored & s.part.config_mask[i];
    }
}

bool eeprom_code_protected(const chip_state& s) {
    return protection_on(s, cfg_5h, 0x80);
}

void reset_write_latches(chip_state& s) {
    const std::uint32_t panels = s.profile.panel_writes ? panel_count(s) : 1;
    s.holding.assign(panels * buffer_size(s), 0xFF);
    s.multi_panel = false;
    s.erase_control_lo = 0;
    s.erase_control_hi = 0;
    s.erase_control_up = 0;
    s.config_latch = 0xFF;
    s.config_latch_address = 0;
    s.hold.reset();
    s.arming = erase_arming::idle;
    s.armed_key = 0;
    s.timed = timed_operation{};
    s.erase_low_until_us.reset();
}

std::uint8_t table_read(const chip_state& s, std::uint32_t address) {
    address &= table_space_mask;
    if (address < flash_size(s))
        return code_read_protected(s, address) ? 0 : s.flash[address];
    if (in_id_space(s, address))
        return s.id[address - id_base];
    if (in_config_space(address)) {
        const std::uint32_t index = address - config_base;
        if (index >= s.config.size())
            return 0;
        return s.config[index] & s.part.config_mask[index];
    }
    if (address == devid1_address)
        return static_cast<std::uint8_t>(s.part.device_id & 0xFF);
    if (address == devid2_address)
        return static_cast<std::uint8_t>(s.part.device_id >> 8);
    return 0;
}

void table_write(chip_state& s, std::uint8_t command, std::uint16_t payload) {
    const std::uint32_t pointer = table_pointer(s);
    // The programmed row is the one TBLPTR addressed at the write.
    bool starts = command == 0xF;
    int step = command == 0xD ? 2 : 0;
    if (command == 0xE) {
        switch (s.profile.tblwt_1110) {
        case command_1110::post_decrement:
            step = -2;
            break;
        case command_1110::program_post_increment:
            starts = true;
            step = 2;
            break;
        }
    }

    store_table_bytes(s, pointer, payload, step != 0);
    if (starts)
        start_programming(s, pointer);
    if (step != 0)
        set_table_pointer(s, step_table_pointer(pointer, step));
}

void commit_hold(chip_state& s, const programming_hold& h) {
    switch (h.purpose) {
    case hold_purpose::program_row:
        program_row(s, h.address);
        break;
    case hold_purpose::program_config:
        write_config_byte(s, h.address, h.value);
        break;
    case hold_purpose::erase_row:
        erase_row(s, h.address);
        set_wr_done(s);
        break;
    case hold_purpose::erase_rows_all_panels: {
        const std::uint32_t offset = h.address & (fxx2_panel_bytes - 1) & ~(erase_row_bytes - 1);
        for (std::uint32_t panel = 0; panel < panel_count(s); ++panel) {
            const std::uint32_t row = panel * fxx2_panel_bytes + offset;
            if (row < boot_block_bytes(s)) {
                report(s, "row erase in the boot block in multi-panel mode: not erased");
                continue;
            }
            erase_row(s, row);
        }
        clear_holding(s);
        break;
    }
    }
}

void erase_row(chip_state& s, std::uint32_t address) {
    const std::uint32_t row = address & ~(erase_row_bytes - 1);
    for (std::uint32_t a = row; a < row + erase_row_bytes; ++a) {
        if (a < flash_size(s)) {
            if (!code_write_protected(s, a))
                s.flash[a] = 0xFF;
        } else if (in_id_space(s, a)) {
            s.id[a - id_base] = 0xFF;
        }
    }
}

std::uint8_t read_eeprom_byte(const chip_state& s, std::uint32_t address) {
    if (s.eeprom.empty() || eeprom_code_protected(s))
        return 0;
    return s.eeprom[address % s.eeprom.size()];
}

void write_eeprom_byte(chip_state& s, std::uint32_t address, std::uint8_t value) {
    if (s.eeprom.empty() || eeprom_write_protected(s))
        return;
    s.eeprom[address % s.eeprom.size()] = value;
}

namespace {

const erase_plan* find_erase_plan(const family_profile& profile, std::uint32_t key) {
    for (const erase_option& known : profile.erase_options)
        if (known.key == key)
            return &known.plan;
    return nullptr;
}

} // namespace

bool known_erase_key(const family_profile& profile, std::uint32_t key) {
    return find_erase_plan(profile, key) != nullptr;
}

void apply_bulk_erase(chip_state& s, std::uint32_t key) {
    const erase_plan* known = find_erase_plan(s.profile, key);
    const erase_plan plan = known != nullptr ? *known : erase_plan{}; // armed keys are known
    const std::uint32_t boot = boot_block_bytes(s);
    const std::uint32_t block = code_block_size(s);
    auto erase_boot = [&] {
        erase_code(s, 0, boot);
        reset_config_bits(s, cfg_5h, 0x40);
        reset_config_bits(s, cfg_6h, 0x40);
        reset_config_bits(s, cfg_7h, 0x40);
    };
    auto erase_config = [&] {
        for (std::size_t i = 0; i < s.config.size(); ++i)
            s.config[i] = s.part.config_erased[i] & s.part.config_mask[i];
    };

    if (plan.chip) {
        std::fill(s.flash.begin(), s.flash.end(), std::uint8_t{0xFF});
        std::fill(s.eeprom.begin(), s.eeprom.end(), std::uint8_t{0xFF});
        std::fill(s.id.begin(), s.id.end(), std::uint8_t{0xFF});
        erase_config();
    }
    if (plan.boot)
        erase_boot();
    if (plan.config)
        erase_config();
    if (plan.eeprom) {
        std::fill(s.eeprom.begin(), s.eeprom.end(), std::uint8_t{0xFF});
        reset_config_bits(s, cfg_5h, 0x80);
        reset_config_bits(s, cfg_6h, 0x80);
    }
    for (std::uint32_t n = 0; n < 8; ++n) {
        if (!(plan.blocks & (1u << n)))
            continue;
        if (s.profile.panel_writes) // an 8 KB panel; panel 0 holds the boot block
            erase_code(s, n * fxx2_panel_bytes, (n + 1) * fxx2_panel_bytes);
        else
            erase_code(s, std::max(boot, n * block), (n + 1) * block);
        const auto bit = static_cast<std::uint8_t>(1u << n);
        reset_config_bits(s, cfg_5l, bit);
        reset_config_bits(s, cfg_6l, bit);
        reset_config_bits(s, cfg_7l, bit);
        if (s.profile.panel_writes && n == 0)
            erase_boot();
    }
    clear_holding(s);
    s.erase_control_lo = 0;
    s.erase_control_hi = 0;
    s.erase_control_up = 0;
}

} // namespace sim::detail
