// One row per programming family, from the maker's programming documents (for the xxK80 and
// the 6527/8722, whose documents were not at hand, from gputils and other programmers):
// timing, control registers, bulk-erase keys, panel writes, boot-block sizing and protection
// rules.
#include "sim/family_profile.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace sim {

namespace {

// The documented bulk-erase keys, whole-chip erase first. FXX2/XX8 and X220/X320 parts take
// one byte at 3C0004h; the others take 3C0005h:3C0004h, the xxK80 3C0006h:3C0005h:3C0004h.
constexpr erase_option one_register_keys[] = {
    {0x80, {.chip = true}}, {0x81, {.eeprom = true}}, {0x83, {.boot = true}}, {0x88, {.blocks = 1}},
    {0x89, {.blocks = 2}},  {0x8A, {.blocks = 4}},    {0x8B, {.blocks = 8}}};
constexpr erase_option f2xxx_4xxx_keys[] = {{0x3F8F, {.chip = true}}, {0x0084, {.eeprom = true}},
                                            {0x0081, {.boot = true}}, {0x0082, {.config = true}},
                                            {0x0180, {.blocks = 1}},  {0x0280, {.blocks = 2}},
                                            {0x0480, {.blocks = 4}},  {0x0880, {.blocks = 8}},
                                            {0x1080, {.blocks = 16}}, {0x2080, {.blocks = 32}}};
// The 1230/1330 key (0F0Fh to 3C0005h, 8787h to 3C0004h); only its chip erase is modelled.
constexpr erase_option f1230_1330_keys[] = {{0x0F87, {.chip = true}}};
// 0F8Fh per the later revision of DS41297D, 0F87h per DS41297D itself: both are chip erase.
constexpr erase_option k20_keys[] = {
    {0x0F8F, {.chip = true}}, {0x0F87, {.chip = true}},   {0x0084, {.eeprom = true}},
    {0x0081, {.boot = true}}, {0x0082, {.config = true}}, {0x0180, {.blocks = 1}},
    {0x0280, {.blocks = 2}},  {0x0480, {.blocks = 4}},    {0x0880, {.blocks = 8}}};
// K22 and 1XK22: the documented chip erase (0F0Fh, then 8F8Fh) only; partial options are not
// accepted without the maker's values for them.
constexpr erase_option k22_keys[] = {{0x0F8F, {.chip = true}}};
// xxK80: no chip erase; each region is erased on its own (values from other programmers,
// four of which agree).
constexpr erase_option k80_keys[] = {{0x800104, {.blocks = 1}},   {0x800204, {.blocks = 2}},
                                     {0x800404, {.blocks = 4}},   {0x800804, {.blocks = 8}},
                                     {0x800005, {.boot = true}},  {0x800002, {.config = true}},
                                     {0x800004, {.eeprom = true}}};

// 6527/8722 parts: FFFFh to 3C0005h, 8787h to 3C0004h (other programmers, which agree); only
// the chip erase is modelled.
constexpr erase_option f6527_8722_keys[] = {{0xFF87, {.chip = true}}};
// 8410 family: the code 018Ah (01h to 3C0005h, 8Ah to 3C0004h); it has no data EEPROM.
constexpr erase_option f8410_keys[] = {{0x018A, {.chip = true}}};
// J-series: one key, 0101h to 3C0005h and 8080h to 3C0004h, erases the whole FLASH with the
// configuration words at its end (the only way to clear CP0).
constexpr erase_option j_keys[] = {{0x0180, {.chip = true}}};

constexpr register_map classic_registers{.eecon1 = 0xFA6,
                                         .eecon2 = 0xFA7,
                                         .eedata = 0xFA8,
                                         .eeadr = 0xFA9,
                                         .eeadrh = 0xFAA,
                                         .access_split = 0x80};
// The K families, the 6527/8722 and the 8410 family split the access bank at 60h.
constexpr register_map k_registers{.eecon1 = 0xFA6,
                                   .eecon2 = 0xFA7,
                                   .eedata = 0xFA8,
                                   .eeadr = 0xFA9,
                                   .eeadrh = 0xFAA,
                                   .access_split = 0x60};


// The 8-bit-command families. Busy times are the waits the peer programmers agree on (the
// maker's tables were not at hand); a host waiting them always satisfies the chip. TPEXT
// takes the longer of the two peer values (2.1 ms), TDLY the documented 1 us. MCLR enters
// at 7.9 V and damages the part above 9.0 V (VIHH).
constexpr nvm_times k_times{.code = 2800,
                            .user_id = 5600,
                            .config = 5600,
                            .eeprom = 5600,
                            .bulk_erase = 25200,
                            .page_erase = 2800,
                            .external_min = 2100,
                            .external_tail = 300};
constexpr nvm_times q10_times{.code = 65,
                              .user_id = 65,
                              .config = 65,
                              .eeprom = 11000,
                              .bulk_erase = 75000,
                              .page_erase = 11000,
                              .external_min = 0,
                              .external_tail = 0};
constexpr nvm_times q_times{.code = 75,
                            .user_id = 75,
                            .config = 11000,
                            .eeprom = 11000,
                            .bulk_erase = 11000,
                            .page_erase = 11000,
                            .external_min = 0,
                            .external_tail = 0};

// CP is CONFIG5L bit 0 on K40, K42/K83 and Q10 (byte 8), CONFIG10 bit 0 on Q43 (byte 9) and
// CONFIG9 bit 0 on Q40/Q41; Q83/Q84 are taken as byte 8 bit 0 like Q40 (no maker table).
constexpr command8_rules k_rules{.eeprom_base = 0x310000,
                                 .config_step = 2,
                                 .cp_config_index = 8,
                                 .cp_bit = 0x01,
                                 .hv_entry_min_volts = 7.9,
                                 .mclr_max_volts = 9.0,
                                 .tdly_us = 1,
                                 .times = k_times};
constexpr command8_rules q10_rules{.eeprom_base = 0x310000,
                                   .config_step = 2,
                                   .cp_config_index = 8,
                                   .cp_bit = 0x01,
                                   .hv_entry_min_volts = 7.9,
                                   .mclr_max_volts = 9.0,
                                   .tdly_us = 1,
                                   .times = q10_times};
constexpr command8_rules q43_rules{.eeprom_base = 0x380000,
                                   .config_step = 1,
                                   .cp_config_index = 9,
                                   .cp_bit = 0x01,
                                   .hv_entry_min_volts = 7.9,
                                   .mclr_max_volts = 9.0,
                                   .tdly_us = 1,
                                   .times = q_times};
constexpr command8_rules q40_rules{.eeprom_base = 0x380000,
                                   .config_step = 1,
                                   .cp_config_index = 8,
                                   .cp_bit = 0x01,
                                   .hv_entry_min_volts = 7.9,
                                   .mclr_max_volts = 9.0,
                                   .tdly_us = 1,
                                   .times = q_times};

// An 8-bit-command family's row: the classic fields it does not use take neutral values.
constexpr family_profile command8_row(chip_family family, const char* name, command_frame frame,
                                      int config_bytes, std::int32_t id_bytes,
                                      const command8_rules& rules) {
    return {
        .family = family,
        .name = name,
        .entry = entry_kind::key_low,
        .frame = frame,
        .config_bytes = config_bytes,
        .id_bytes = id_bytes,
        .command8 = &rules,
        .vdd_max_volts = 5.5,
        // P12: no clock for 250 us after entry (the peers' shortest wait); P19: 1 ms from
        // MCLR falling to the first key clock (the safe choice between the peers' values).
        .p9_us = 0,
        .p9_config_us = 0,
        .p10_us = 0,
        .p11_us = 0,
        .p11_erase_us = 0,
        .p11_erase_32k_us = 0,
        .p12_us = 250,
        .p19_us = 1000,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 0,
        .registers = classic_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = false,
        .eecon1_selects_memory = false,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 0,
        .erase_options = {},
        .row_erase = row_erase_timing::not_modelled,
        .panel_writes = false,
        .boot_block = boot_block_rule::none,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::one_cp_bit,
        .id_locations = true,
        .config_in_flash = false,
    };
}

constexpr family_profile rows[] = {
    {
        .family = chip_family::fxx2_xx8,
        .name = "FXX2/XX8",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        // P11 is 5 ms in DS39576B but 10 ms in the later revision a peer cites: take 10 ms
        // (for the 2331/2431/4331/4431 too, whose document gives 5 ms). P5 and P5A are
        // 20 ns in the FXX2 and X220 documents, 40 ns in the later ones.
        .p9_us = 1000,
        .p9_config_us = 1000,
        .p10_us = 5,
        .p11_us = 10000,
        .p11_erase_us = 10000,
        .p11_erase_32k_us = 10000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 20,
        .p5a_ns = 20,
        .write_start_clock = 4,
        .registers = classic_registers,
        .unlock_before_wr = true,
        .wren_for_table_writes = false,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::post_decrement,
        .erase_registers = 1,
        .erase_options = one_register_keys,
        .row_erase = row_erase_timing::self_timed,
        .panel_writes = true,
        .boot_block = boot_block_rule::fixed_256_words,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = true,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::fx220_x320,
        .name = "FX220/X320",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        .p9_us = 1000,
        .p9_config_us = 1000,
        .p10_us = 5,
        .p11_us = 5000,
        .p11_erase_us = 5000,
        .p11_erase_32k_us = 5000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 20,
        .p5a_ns = 20,
        .write_start_clock = 4,
        .registers = classic_registers,
        .unlock_before_wr = true,
        .wren_for_table_writes = false,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::post_decrement,
        .erase_registers = 1,
        .erase_options = one_register_keys,
        .row_erase = row_erase_timing::self_timed,
        .panel_writes = false,
        .boot_block = boot_block_rule::fixed_256_words,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = true,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::f2xxx_4xxx,
        .name = "2XXX/4XXX",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        .p9_us = 1000,
        .p9_config_us = 1000,
        .p10_us = 100,
        .p11_us = 5000,
        .p11_erase_us = 5000,
        .p11_erase_32k_us = 5000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = classic_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = false,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = f2xxx_4xxx_keys,
        .row_erase = row_erase_timing::host_held,
        .panel_writes = false,
        .boot_block = boot_block_rule::bbsiz_by_4l_mask,
        .cpd_needs_eeprom_erase = true,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::f1230_1330,
        .name = "1230/1330",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        .p9_us = 1000,
        .p9_config_us = 1000,
        .p10_us = 100,
        .p11_us = 5000,
        .p11_erase_us = 5000,
        .p11_erase_32k_us = 5000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = classic_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = false,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = f1230_1330_keys,
        .row_erase = row_erase_timing::host_held,
        .panel_writes = false,
        .boot_block = boot_block_rule::bbsiz_by_4l_mask,
        .cpd_needs_eeprom_erase = true,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::k20,
        .name = "2XK20/4XK20",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        // P9A = 5 ms for configuration bytes. P10 is 100 us in DS41297D but 200 us in the
        // later revision a peer cites: take 200 us. Self-timed writes start on the 24th
        // clock after WR. The K20 document sets WREN before 1111-started writes while peers
        // omit it; requiring it is the side a real K20 surely accepts.
        .p9_us = 1000,
        .p9_config_us = 5000,
        .p10_us = 200,
        .p11_us = 5000,
        .p11_erase_us = 5000,
        .p11_erase_32k_us = 5000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 24,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = k20_keys,
        .row_erase = row_erase_timing::self_timed,
        .panel_writes = false,
        .boot_block = boot_block_rule::by_flash_size,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::k22,
        .name = "2XK22/4XK22",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        // P9A 5 ms, P10 200 us; the bulk erase takes 15 ms on the 32 and 64 KB parts and
        // 12 ms on the smaller ones. Data writes start on the 24th clock after WR, as on
        // K20. The boot block follows the K20 layout, which the K22 document does not
        // restate.
        .p9_us = 1000,
        .p9_config_us = 5000,
        .p10_us = 200,
        .p11_us = 5000,
        .p11_erase_us = 12000,
        .p11_erase_32k_us = 15000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 24,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = k22_keys,
        .row_erase = row_erase_timing::self_timed,
        .panel_writes = false,
        .boot_block = boot_block_rule::by_flash_size,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::k1xk22,
        .name = "1XK22",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        // P9A 5 ms, P10 100 us, P11 5 ms. Where the data write starts is not stated for
        // these parts: the K20's 24th clock is taken, which a host sending the two NOPs of
        // the K20 sequence meets either way; WREN is required as on K20.
        .p9_us = 1000,
        .p9_config_us = 5000,
        .p10_us = 100,
        .p11_us = 5000,
        .p11_erase_us = 5000,
        .p11_erase_32k_us = 5000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 24,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = k22_keys,
        .row_erase = row_erase_timing::self_timed,
        .panel_writes = false,
        .boot_block = boot_block_rule::bbsiz_4l_bit3,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::k80,
        .name = "xxK80",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        // Timing as on 1XK22. The EEPROM and flash control registers sit lower.
        .p9_us = 1000,
        .p9_config_us = 5000,
        .p10_us = 100,
        .p11_us = 5000,
        .p11_erase_us = 5000,
        .p11_erase_32k_us = 5000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 24,
        .registers = {.eecon1 = 0xF7F,
                      .eecon2 = 0xF7E,
                      .eedata = 0xF73,
                      .eeadr = 0xF74,
                      .eeadrh = 0xF75,
                      .access_split = 0x60},
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 3,
        .erase_options = k80_keys,
        .row_erase = row_erase_timing::self_timed,
        .panel_writes = false,
        .boot_block = boot_block_rule::bbsiz_4l_bit4,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::f6527_8722,
        .name = "6527/8722",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        // The maker's document was not at hand: other programmers give the 2XXX/4XXX timing
        // (P10 100 us, P11 5 ms) and method with the family's own erase key.
        .p9_us = 1000,
        .p9_config_us = 1000,
        .p10_us = 100,
        .p11_us = 5000,
        .p11_erase_us = 5000,
        .p11_erase_32k_us = 5000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = false,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = f6527_8722_keys,
        .row_erase = row_erase_timing::host_held,
        .panel_writes = false,
        .boot_block = boot_block_rule::bbsiz_by_4l_mask,
        .cpd_needs_eeprom_erase = true,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::f8410,
        .name = "8410",
        .entry = entry_kind::high_voltage,
        .frame = command_frame::classic_4bit,
        .config_bytes = 14,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 5.5,
        // P9 2 ms for code and configuration, P10 120 us, P11 30 ms for the bulk erase
        // (DS39624C). No data EEPROM; the 2XXX/4XXX command set otherwise, which the
        // document follows.
        .p9_us = 2000,
        .p9_config_us = 2000,
        .p10_us = 120,
        .p11_us = 30000,
        .p11_erase_us = 30000,
        .p11_erase_32k_us = 30000,
        .p12_us = 2,
        .p19_us = 0,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = false,
        .eecon1_selects_memory = true,
        .buffer_keeps_content = false,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = f8410_keys,
        .row_erase = row_erase_timing::host_held,
        .panel_writes = false,
        .boot_block = boot_block_rule::none,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::per_block,
        .id_locations = true,
        .config_in_flash = false,
    },
    {
        .family = chip_family::j10,
        .name = "2x/4xJ10",
        .entry = entry_kind::key,
        .frame = command_frame::classic_4bit,
        .config_bytes = 8,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 3.6,
        // DS39687E: key entry with P19 4 ms and P12 400 us; the 64-byte write is timed
        // inside (P9 3.4 ms with the 4th clock of the NOP held high); the bulk erase holds
        // PGD low for P11 + P10 (475 + 49 ms). P10 after a write is not stated: 100 us.
        // VDD at most 3.6 V. The 1024-byte row erase is not modelled.
        .p9_us = 3400,
        .p9_config_us = 3400,
        .p10_us = 100,
        .p11_us = 3400,
        .p11_erase_us = 524000,
        .p11_erase_32k_us = 524000,
        .p12_us = 400,
        .p19_us = 4000,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = classic_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = false,
        .buffer_keeps_content = true,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = j_keys,
        .row_erase = row_erase_timing::not_modelled,
        .panel_writes = false,
        .boot_block = boot_block_rule::none,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::whole_flash_cp0,
        .id_locations = false,
        .config_in_flash = true,
    },
    {
        .family = chip_family::j11_j13_j50_j53,
        .name = "2x/4xJ11/J13/J50/J53",
        .entry = entry_kind::key,
        .frame = command_frame::classic_4bit,
        .config_bytes = 8,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 3.6,
        // DS39687E as for J10 with P9 1.2 ms; the bulk erase takes the longest of the
        // group, J11/J50's P11 + P10 (524 + 54 ms). The access bank splits at 60h.
        .p9_us = 1200,
        .p9_config_us = 1200,
        .p10_us = 100,
        .p11_us = 1200,
        .p11_erase_us = 578000,
        .p11_erase_32k_us = 578000,
        .p12_us = 400,
        .p19_us = 4000,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = false,
        .buffer_keeps_content = true,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = j_keys,
        .row_erase = row_erase_timing::not_modelled,
        .panel_writes = false,
        .boot_block = boot_block_rule::none,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::whole_flash_cp0,
        .id_locations = false,
        .config_in_flash = true,
    },
    {
        .family = chip_family::j6x_8x,
        .name = "6x/8xJ",
        .entry = entry_kind::key,
        .frame = command_frame::classic_4bit,
        .config_bytes = 8,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 3.6,
        // DS39644G: writes timed by the host, PGC held high at least P9 = 2.8 ms, then low
        // at least P10 = 400 ns (1 us here). A later revision a peer cites gives the 2x/4xJ
        // 3.4 ms instead: 3.4 ms is required, which satisfies both. P11 400 ms plus P10,
        // P12 300 us, P19 10 us.
        .p9_us = 3400,
        .p9_config_us = 3400,
        .p10_us = 1,
        .p11_us = 3400,
        .p11_erase_us = 401000,
        .p11_erase_32k_us = 401000,
        .p12_us = 300,
        .p19_us = 10,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = false,
        .buffer_keeps_content = true,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = j_keys,
        .row_erase = row_erase_timing::not_modelled,
        .panel_writes = false,
        .boot_block = boot_block_rule::none,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::whole_flash_cp0,
        .id_locations = false,
        .config_in_flash = true,
    },
    {
        .family = chip_family::j97j60,
        .name = "97J60",
        .entry = entry_kind::key,
        .frame = command_frame::classic_4bit,
        .config_bytes = 8,
        .id_bytes = 8,
        .command8 = nullptr,
        .vdd_max_volts = 3.6,
        // DS39688C: externally timed writes as on 6x/8xJ (P9 2.8 ms, P10 400 ns), bulk
        // erase 400 ms, P12 400 us, P19 1 ms.
        .p9_us = 2800,
        .p9_config_us = 2800,
        .p10_us = 1,
        .p11_us = 2800,
        .p11_erase_us = 401000,
        .p11_erase_32k_us = 401000,
        .p12_us = 400,
        .p19_us = 1000,
        .p5_ns = 40,
        .p5a_ns = 40,
        .write_start_clock = 4,
        .registers = k_registers,
        .unlock_before_wr = false,
        .wren_for_table_writes = true,
        .eecon1_selects_memory = false,
        .buffer_keeps_content = true,
        .tblwt_1110 = command_1110::program_post_increment,
        .erase_registers = 2,
        .erase_options = j_keys,
        .row_erase = row_erase_timing::not_modelled,
        .panel_writes = false,
        .boot_block = boot_block_rule::none,
        .cpd_needs_eeprom_erase = false,
        .protected_pc_blocks_writes = false,
        .protection = code_protection::whole_flash_cp0,
        .id_locations = false,
        .config_in_flash = true,
    },
    command8_row(chip_family::k40, "K40", command_frame::rows_8bit, 12, 16, k_rules),
    command8_row(chip_family::k42_k83, "K42/K83", command_frame::rows_8bit, 10, 16, k_rules),
    command8_row(chip_family::q10, "Q10", command_frame::words_8bit, 12, 256, q10_rules),
    command8_row(chip_family::q43, "Q43", command_frame::regions_8bit, 10, 64, q43_rules),
    command8_row(chip_family::q40_q41, "Q40/Q41", command_frame::regions_8bit, 10, 64, q40_rules),
    command8_row(chip_family::q83_q84, "Q83/Q84", command_frame::regions_8bit, 35, 64, q40_rules),
};

// A row speaks the 8-bit commands exactly when it has their rules.
constexpr bool command8_rules_match_frame() {
    for (const family_profile& row : rows)
        if ((row.frame == command_frame::classic_4bit) != (row.command8 == nullptr))
            return false;
    return true;
}
static_assert(command8_rules_match_frame(), "8-bit frames need command8 rules, classic none");

constexpr bool rows_in_family_order() {
    for (std::size_t i = 0; i < std::size(rows); ++i)
        if (static_cast<std::size_t>(rows[i].family) != i)
            return false;
    return true;
}
static_assert(rows_in_family_order(), "family_profile rows must follow chip_family order");

// 3C0006h is either the panel control or the third erase register, never both.
constexpr bool panel_register_unambiguous() {
    for (const family_profile& row : rows)
        if (row.panel_writes && row.erase_registers > 2)
            return false;
    return true;
}
static_assert(panel_register_unambiguous(), "3C0006h cannot be both panel and erase control");

} // namespace

std::span<const family_profile> family_profiles() {
    return rows;
}

const family_profile& profile_of(chip_family family) {
    const auto index = static_cast<std::size_t>(family);
    if (index >= std::size(rows))
        throw std::out_of_range("chip family " + std::to_string(index) + " has no profile row");
    return rows[index];
}

} // namespace sim
