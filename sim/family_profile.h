// The programming families of the virtual chip, each one row of rules: how the part enters
// Program/Verify mode, its timing limits, where its EEPROM and flash control registers sit,
// its bulk-erase registers and keys, FXX2 panel writes, how the boot block is sized, the
// protection rules that differ and whether it has ID locations. The chip reads these fields
// and never asks which family it is, so a new family is one new row. Rows are written with
// designated initialisers and the struct has no default values: a row that leaves a field
// out draws -Wmissing-field-initializers.
#pragma once

#include <cstdint>
#include <span>

namespace sim {

// Programming-algorithm families of the supported parts: FXX2/XX8 (and 2331/2431/4331/4431,
// which program as FXX2/XX8 parts), FX220/X320, 2XXX/4XXX, 1230/1330 (2XXX/4XXX parts with a
// bulk-erase key of their own), 2XK20/4XK20, 2XK22/4XK22 (F and LF), 1XK22 (13K22/14K22, F
// and LF), xxK80 (F and LF), the 6527/8722 parts (2XXX/4XXX parts with a bulk-erase key of
// their own) and the 8410 family (6310 ... 8493), the J-series: 2x/4xJ10,
// 2x/4xJ11/J13/J50/J53, 6x/8xJ and the 97J60 family, and the 8-bit-command families: K40,
// K42 with K83, Q10, Q43, Q40 with Q41, Q83 with Q84. The 2XK50/4XK50 and 1XK50 parts program
// as K22 and 1XK22, the 64/80-pin XX80/XX85, 6X2X/8X2X and 6520 parts as FXX2/XX8. Each value
// indexes its row in family_profiles().
enum class chip_family {
    fxx2_xx8,
    fx220_x320,
    f2xxx_4xxx,
    f1230_1330,
    k20,
    k22,
    k1xk22,
    k80,
    f6527_8722,
    f8410,
    j10,
    j11_j13_j50_j53,
    j6x_8x,
    j97j60,
    k40,
    k42_k83,
    q10,
    q43,
    q40_q41,
    q83_q84,
};

// How Program/Verify mode is entered.
enum class entry_kind {
    high_voltage, // VPP (MCLR) raised to the programming voltage
    key,          // MCLR pulsed to VDD and taken low, the 32-bit key 4D434850h clocked in MSb
                  // first, MCLR back to VDD; MCLR must never rise above VDD
    key_low,      // the same key, but MCLR stays low for the whole session (rising MCLR
                  // leaves); MCLR raised to the family's high-voltage window enters as well
};

// The serial frame the family speaks in Program/Verify mode.
enum class command_frame {
    classic_4bit, // 4-bit commands, 16-bit operands, LSb first, core instructions
    rows_8bit,    // 8-bit commands, 24-bit payloads, MSb first; row latches and E0h (K40/K42/K83)
    words_8bit,   // the same with immediate word writes and a PC-selected bulk erase (Q10)
    regions_8bit, // immediate writes and a bulk erase of the payload's regions (Q40 and later)
};

// What table-write command 1110 does.
enum class command_1110 {
    post_decrement,         // write to the buffer, TBLPTR - 2 (FXX2, X220)
    program_post_increment, // start programming, TBLPTR + 2 (the later families)
};

// Who times a row erase started by EECON1.WR with FREE set.
enum class row_erase_timing {
    self_timed,   // runs P11 from the family's start clock on its own
    host_held,    // the next 0000 frame holds its 4th clock high for P9 (2XXX, 1230)
    not_modelled, // refused with a protocol error (the J-series' 1024-byte row erase)
};

// Which configuration bits read-protect code memory.
enum class code_protection {
    per_block,       // CPB and one CPn bit per code block in CONFIG5L/5H
    whole_flash_cp0, // CP0 (CONFIG1H bit 2) protects all of the FLASH (J-series)
    one_cp_bit,      // the command8 rules' CP bit protects FLASH, user IDs and EEPROM
};

// How the size of the boot block is found.
enum class boot_block_rule {
    fixed_256_words,  // 512 bytes on every part
    by_flash_size,    // 256 words up to 8 KB of flash, 1K words above (K20; K22 modelled alike)
    bbsiz_4l_bit3,    // CONFIG4L bit 3 doubles 512 or 1K words (8 KB parts) / 1K or 2K words
    bbsiz_4l_bit4,    // CONFIG4L bit 4: 1K or 2K words
    bbsiz_by_4l_mask, // the BBSIZ bits the part's CONFIG4L mask has tell the sizes
    none,             // no boot block (8410 family, J-series)
};

// Data EEPROM and flash control registers, and where the access bank turns from RAM to
// SFRs.
struct register_map {
    std::uint16_t eecon1, eecon2, eedata, eeadr, eeadrh;
    std::uint8_t access_split;
};

// What one bulk-erase key erases.
struct erase_plan {
    bool chip = false; // every memory, the ID locations and the configuration
    bool boot = false, config = false, eeprom = false;
    std::uint8_t blocks = 0; // bit n: code block n (panel n with panel writes)
};

struct erase_option {
    std::uint32_t key; // 3C0004h in bits 7:0, 3C0005h in 15:8, 3C0006h in 23:16
    erase_plan plan;
};

// Busy times of the 8-bit-command families in microseconds: the chip ignores (and reports)
// every command until they are over. They equal the times a host waits.
struct nvm_times {
    std::int64_t code;          // a FLASH row (row latches) or one FLASH word
    std::int64_t user_id;       // one user ID word
    std::int64_t config;        // one configuration word or byte
    std::int64_t eeprom;        // one data EEPROM byte
    std::int64_t bulk_erase;    // one bulk erase
    std::int64_t page_erase;    // one row or page erase
    std::int64_t external_min;  // C0h to 82h of an externally timed write (TPEXT; 0: none)
    std::int64_t external_tail; // busy after 82h (TDIS)
};

// What an 8-bit-command family adds to the profile: its memory map beyond the FLASH, its
// code-protection bit, its busy times and its high-voltage entry window.
struct command8_rules {
    std::uint32_t eeprom_base; // 310000h or 380000h
    int config_step;           // 2: the configuration is read and written as words; 1: bytes
    int cp_config_index;       // configuration byte holding the CP bit (0 = protected)
    std::uint8_t cp_bit;       // its mask
    double hv_entry_min_volts; // MCLR at or above this enters without the key
    double mclr_max_volts;     // MCLR above this damages the part
    std::int64_t tdly_us;      // after each command and each payload
    nvm_times times;
};

struct family_profile {
    chip_family family; // the row's own family, which indexes it
    const char* name;   // "FXX2/XX8", for messages and test names
    entry_kind entry;
    command_frame frame;
    // Configuration bytes at 300000h (14 classic, 8 with the configuration in FLASH) and ID
    // bytes at 200000h.
    int config_bytes;
    std::int32_t id_bytes;
    // The 8-bit-command rules; null for the classic frame.
    const command8_rules* command8;
    // The highest VDD the part takes without damage while it is programmed, in volts.
    double vdd_max_volts;

    // Minimum times in microseconds (P5 and P5A in nanoseconds). Where the maker's
    // documents disagree the longer value is taken.
    std::int64_t p9_us;            // PGC high on the 4th clock of a programming hold
    std::int64_t p9_config_us;     // the same for a configuration byte (P9A)
    std::int64_t p10_us;           // PGC low after a programming hold or an erase
    std::int64_t p11_us;           // self-timed data write and row erase
    std::int64_t p11_erase_us;     // self-timed bulk erase, parts under 32 KB of flash
    std::int64_t p11_erase_32k_us; // the same, parts of 32 KB and more
    std::int64_t p12_us;           // PGC and PGD kept low after VPP rises
    std::int64_t p19_us;           // key entry: MCLR falling to the first key clock (0: none)
    std::int64_t p5_ns;            // last command clock's fall to the first operand rise
    std::int64_t p5a_ns;           // last operand clock's fall to the next command's rise
    int write_start_clock;         // PGC falling edge after WR = 1 that starts a self-timed write

    register_map registers;
    bool unlock_before_wr;      // EECON2 55h/AAh needed right before BSF EECON1,WR
    bool wren_for_table_writes; // 1111-started programming needs EECON1.WREN
    // EECON1 has EEPGD and CFGS; without them (no data EEPROM, configuration in FLASH) table
    // writes always program the FLASH.
    bool eecon1_selects_memory;
    // The write buffer keeps its content after a programming cycle (unwritten bytes are
    // programmed again unless the host writes them as FFh); otherwise it resets to FFh.
    bool buffer_keeps_content;
    command_1110 tblwt_1110;

    // Bulk erase: the key is written to 3C0004h alone (1), 3C0005h and 3C0004h (2), or
    // 3C0006h, 3C0005h and 3C0004h (3); the documented keys, whole-chip erase first.
    int erase_registers;
    std::span<const erase_option> erase_options;
    row_erase_timing row_erase;

    // FXX2 panels: 3C0006h bit 6 selects multi-panel writes, one write buffer per 8 KB
    // panel; a block-erase key erases a whole panel, panel 0 with the boot block.
    bool panel_writes;

    boot_block_rule boot_block;
    // A bulk erase that leaves out the data EEPROM is refused while CPD is on.
    bool cpd_needs_eeprom_erase;
    // With the PC inside a code-protected block table writes are blocked (hence the
    // documented GOTO 100000h before configuration writes).
    bool protected_pc_blocks_writes;
    code_protection protection;

    bool id_locations; // the eight ID bytes at 200000h exist
    // The configuration words are the last 8 bytes of the FLASH, copied to the registers at
    // 300000h-300007h (what a table read there returns) only at entry into Program/Verify
    // mode; ICSP cannot write the registers.
    bool config_in_flash;
};

// Every family's row, in chip_family order.
std::span<const family_profile> family_profiles();
const family_profile& profile_of(chip_family family);

} // namespace sim
