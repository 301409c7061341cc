// The core-instruction executor: decodes the 16-bit words shifted in with 0000 frames
// (NOP, MOVLW, MOVWF, MOVF, CLRF, SETF, INCF, DECF, BSF, BCF and the two-word GOTO) and
// applies them at the end of their frame to W and the data memory. The registers that
// programming depends on (at the family's addresses) have their rules here: TBLPTR width,
// EEADRH width, EECON1 (WR only with WREN, and on FXX2/X220 only right after the EECON2
// 55h/AAh unlock; RD reads the data EEPROM), and the registers a running write must not
// see changed.
#include "sim/core_executor.h"

#include "sim/memory_model.h"
#include "sim/timed_operations.h"

namespace sim::detail {

namespace {

std::uint16_t data_address(const chip_state& s, std::uint16_t opcode) {
    const std::uint8_t f = static_cast<std::uint8_t>(opcode & 0xFF);
    const bool banked = (opcode & 0x0100) != 0;
    if (banked)
        return static_cast<std::uint16_t>(((s.file[reg_bsr] & 0x0F) << 8) | f);
    // Access bank: RAM of bank 0 below the split (80h, 60h on the K families), then SFRs.
    return f < s.regs.access_split ? f : static_cast<std::uint16_t>(0xF00 | f);
}

std::uint8_t eeadrh_mask(const chip_state& s) {
    // EEADRH exists only on parts with more than 256 bytes of data EEPROM.
    if (s.part.eeprom_bytes <= 256)
        return 0;
    return static_cast<std::uint8_t>((s.part.eeprom_bytes - 1) >> 8);
}

std::uint8_t read_register(const chip_state& s, std::uint16_t address) {
    if (address == s.regs.eecon2)
        return 0;
    return s.file[address];
}

std::uint32_t eeprom_address(const chip_state& s) {
    return static_cast<std::uint32_t>((s.file[s.regs.eeadrh] << 8) | s.file[s.regs.eeadr]);
}

void write_eecon1(chip_state& s, std::uint8_t value) {
    const std::uint8_t old = s.file[s.regs.eecon1];
    value &= eecon1_implemented;
    if (!s.profile.eecon1_selects_memory)
        value &= static_cast<std::uint8_t>(~(eecon1_eepgd | eecon1_cfgs));
    if (write_busy(s)) {
        // Only WREN may change while a write runs; WR cannot be cleared by software.
        const std::uint8_t fixed = static_cast<std::uint8_t>(~(eecon1_wren | eecon1_wr));
        if ((value & fixed) != (old & fixed)) {
            report(s, "EECON1 changed to " + hex_text(value, 2) +
                          " while a write is in progress: ignored");
            return;
        }
        s.file[s.regs.eecon1] =
            static_cast<std::uint8_t>((old & ~eecon1_wren) | (value & eecon1_wren));
        return;
    }
    // WR and RD are set here and cleared by the hardware only.
    const std::uint8_t kept = static_cast<std::uint8_t>(old & eecon1_wr);
    s.file[s.regs.eecon1] = static_cast<std::uint8_t>((value & ~(eecon1_wr | eecon1_rd)) | kept);
    const std::uint8_t now = s.file[s.regs.eecon1];

    if ((value & eecon1_rd) && !(now & (eecon1_eepgd | eecon1_cfgs)))
        s.file[s.regs.eedata] = read_eeprom_byte(s, eeprom_address(s));

    if ((value & eecon1_wr) && !(old & eecon1_wr)) {
        if (!(now & eecon1_wren)) {
            report(s, "EECON1.WR set without WREN: nothing written");
        } else if (s.profile.unlock_before_wr && s.unlock_step != 2) {
            report(s, "EECON1.WR set without the EECON2 55h/AAh unlock right before it: "
                      "nothing written");
        } else {
            s.file[s.regs.eecon1] = static_cast<std::uint8_t>(now | eecon1_wr);
            begin_wr_operation(s);
        }
    }
}

void write_register(chip_state& s, std::uint16_t address, std::uint8_t value) {
    const register_map& r = s.regs;
    const bool write_register_of_running_write =
        address == r.eeadr || address == r.eeadrh || address == r.eedata || address == r.eecon2;
    if (write_register_of_running_write && write_busy(s)) {
        report(s, "write to " + hex_text(address, 3) + " while a write is in progress: ignored");
        return;
    }
    if (address == reg_tblptru) {
        s.file[address] = value & 0x3F;
    } else if (address == reg_bsr) {
        s.file[address] = value & 0x0F;
    } else if (address == r.eeadrh) {
        s.file[address] = value & eeadrh_mask(s);
    } else if (address == r.eecon2) {
        // The unlock sequence: 55h, then AAh (only MOVLW in between), then BSF EECON1,WR.
        if (value == 0x55)
            s.unlock_step = 1;
        else if (value == 0xAA && s.unlock_step == 1)
            s.unlock_step = 2;
        else
            s.unlock_step = 0;
    } else if (address == r.eecon1) {
        write_eecon1(s, value);
    } else {
        s.file[address] = value;
    }
}

void store_result(chip_state& s, std::uint16_t opcode, std::uint16_t address, std::uint8_t value) {
    const bool to_file = (opcode & 0x0200) != 0; // d bit
    if (to_file)
        write_register(s, address, value);
    else
        s.file[reg_wreg] = value;
}

} // namespace

void reset_core(chip_state& s) {
    s.file.fill(0);
    s.goto_low.reset();
    s.pc = 0;
    s.unlock_step = 0;
}

void break_unlock(chip_state& s) {
    s.unlock_step = 0;
}

std::uint32_t table_pointer(const chip_state& s) {
    return static_cast<std::uint32_t>(((s.file[reg_tblptru] & 0x3F) << 16) |
                                      (s.file[reg_tblptrh] << 8) | s.file[reg_tblptrl]);
}

void set_table_pointer(chip_state& s, std::uint32_t address) {
    address &= table_space_mask;
    s.file[reg_tblptru] = static_cast<std::uint8_t>(address >> 16);
    s.file[reg_tblptrh] = static_cast<std::uint8_t>(address >> 8);
    s.file[reg_tblptrl] = static_cast<std::uint8_t>(address);
}

std::uint32_t step_table_pointer(std::uint32_t pointer, int step) {
    const std::uint32_t low = (pointer + static_cast<std::uint32_t>(step)) & 0x1FFFFF;
    return (pointer & 0x200000) | low;
}

std::uint8_t eecon1(const chip_state& s) {
    return s.file[s.regs.eecon1];
}

void set_wr_done(chip_state& s) {
    s.file[s.regs.eecon1] = static_cast<std::uint8_t>(s.file[s.regs.eecon1] & ~eecon1_wr);
}

void execute_core(chip_state& s, std::uint16_t opcode) {
    const int unlock_before = s.unlock_step;
    bool keeps_unlock = false;

    if (s.goto_low) {
        const std::uint8_t low = *s.goto_low;
        s.goto_low.reset();
        if ((opcode & 0xF000) == 0xF000) {
            const std::uint32_t word_address = ((opcode & 0x0FFFu) << 8) | low;
            s.pc = (word_address << 1) & 0x1FFFFF;
            s.unlock_step = 0;
            return;
        }
        report(s, "GOTO not followed by its second word: ignored");
    }

    const std::uint16_t address = data_address(s, opcode);
    const std::uint8_t w = s.file[reg_wreg];
    if (opcode == 0x0000 || (opcode & 0xF000) == 0xF000) {
        // NOP (also the second-word form 1111 xxxx xxxx xxxx)
    } else if ((opcode & 0xFF00) == 0x0E00) { // MOVLW k
        s.file[reg_wreg] = static_cast<std::uint8_t>(opcode & 0xFF);
        keeps_unlock = unlock_before == 1;
    } else if ((opcode & 0xFE00) == 0x6E00) { // MOVWF f,a
        write_register(s, address, w);
        keeps_unlock = address == s.regs.eecon2;
    } else if ((opcode & 0xFC00) == 0x5000) { // MOVF f,d,a
        store_result(s, opcode, address, read_register(s, address));
    } else if ((opcode & 0xFE00) == 0x6A00) { // CLRF f,a
        write_register(s, address, 0x00);
        keeps_unlock = address == s.regs.eecon2;
    } else if ((opcode & 0xFE00) == 0x6800) { // SETF f,a
        write_register(s, address, 0xFF);
        keeps_unlock = address == s.regs.eecon2;
    } else if ((opcode & 0xFC00) == 0x2800) { // INCF f,d,a
        store_result(s, opcode, address, static_cast<std::uint8_t>(read_register(s, address) + 1));
    } else if ((opcode & 0xFC00) == 0x0400) { // DECF f,d,a
        store_result(s, opcode, address, static_cast<std::uint8_t>(read_register(s, address) - 1));
    } else if ((opcode & 0xF000) == 0x8000 || (opcode & 0xF000) == 0x9000) { // BSF, BCF
        const auto bit = static_cast<std::uint8_t>(1u << ((opcode >> 9) & 7));
        const std::uint8_t old = read_register(s, address);
        const bool set = (opcode & 0xF000) == 0x8000;
        if (set && address == s.regs.eecon1 && bit == eecon1_wr && write_busy(s))
            report(s, "EECON1.WR set while a write is in progress: nothing written");
        write_register(s, address,
                       set ? static_cast<std::uint8_t>(old | bit)
                           : static_cast<std::uint8_t>(old & ~bit));
        keeps_unlock = address == s.regs.eecon2;
    } else if ((opcode & 0xFF00) == 0xEF00) { // GOTO, first word
        s.goto_low = static_cast<std::uint8_t>(opcode & 0xFF);
    } else {
        report(s, "core instruction " + hex_text(opcode, 4) + " is not modelled: ignored");
    }
    if (!keeps_unlock)
        s.unlock_step = 0;
}

} // namespace sim::detail
