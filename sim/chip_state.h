// Inside the virtual PIC18: the state every module of the chip shares (serial engine, core
// executor, memory model, timed operations, each with its own header), the address map and
// register numbers they agree on, the part's family profile and timing limits, and the
// protocol-error log.
// Only the sim library includes this header.
#pragma once

#include "image/memory_buffer.h"
#include "sim/part_table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim::detail {

// ---- Address map of the 22-bit table space -------------------------------------------

inline constexpr std::uint32_t table_space_mask = 0x3FFFFF;
inline constexpr std::uint32_t id_base = 0x200000;
inline constexpr std::uint32_t config_base = image::config_address;
inline constexpr std::uint32_t config_span = 16; // 300000h..30000Fh; the last two never exist
inline constexpr std::uint32_t erase_control_low = 0x3C0004;
inline constexpr std::uint32_t erase_control_high = 0x3C0005;
inline constexpr std::uint32_t panel_control = 0x3C0006; // FXX2; the third erase register on xxK80
inline constexpr std::uint32_t devid1_address = 0x3FFFFE;
inline constexpr std::uint32_t devid2_address = 0x3FFFFF;
inline constexpr std::uint32_t revision_id_address = 0x3FFFFC;
// The revision word the 8-bit-command parts answer at 3FFFFCh (0xA000 | major << 6 | minor).
inline constexpr std::uint16_t revision_id_word = 0xA0C1;
inline constexpr std::uint32_t erase_row_bytes = 64;
inline constexpr std::uint32_t fxx2_panel_bytes = 0x2000;

// ---- Core registers (access-bank addresses) and EECON1 bits -------------------------

inline constexpr std::uint16_t reg_tblptru = 0xFF8;
inline constexpr std::uint16_t reg_tblptrh = 0xFF7;
inline constexpr std::uint16_t reg_tblptrl = 0xFF6;
inline constexpr std::uint16_t reg_tablat = 0xFF5;
inline constexpr std::uint16_t reg_wreg = 0xFE8;
inline constexpr std::uint16_t reg_bsr = 0xFE0;

inline constexpr std::uint8_t eecon1_eepgd = 0x80;
inline constexpr std::uint8_t eecon1_cfgs = 0x40;
inline constexpr std::uint8_t eecon1_free = 0x10;
inline constexpr std::uint8_t eecon1_wrerr = 0x08;
inline constexpr std::uint8_t eecon1_wren = 0x04;
inline constexpr std::uint8_t eecon1_wr = 0x02;
inline constexpr std::uint8_t eecon1_rd = 0x01;
inline constexpr std::uint8_t eecon1_implemented = 0xDF; // bit 5 reads 0

// Configuration byte indexes (CONFIG1L = 0) that carry protection bits.
inline constexpr int cfg_1h = 1; // CP0 (2) on the J-series
inline constexpr std::uint8_t cp0_bit = 0x04;
inline constexpr int cfg_4l = 6;
inline constexpr int cfg_5l = 8;  // CPn
inline constexpr int cfg_5h = 9;  // CPD (7), CPB (6)
inline constexpr int cfg_6l = 10; // WRTn
inline constexpr int cfg_6h = 11; // WRTD (7), WRTB (6), WRTC (5)
inline constexpr int cfg_7l = 12; // EBTRn
inline constexpr int cfg_7h = 13; // EBTRB (6)

// ---- Timing limits ----------------------------------------------------------------------

// Minimum times the chip insists on for one part: microseconds from its family's profile
// (the bulk erase by flash size), and nanoseconds for the rules on single clock edges.
// Where the maker documents disagree the longer value is taken, so a host that satisfies
// the simulator also satisfies every revision of the part.
struct timing_limits {
    std::int64_t p9;        // PGC high on the 4th clock of a programming hold
    std::int64_t p9_config; // the same for a configuration byte
    std::int64_t p10;       // PGC low after a programming hold or an erase
    std::int64_t p11;       // self-timed data write and row erase
    std::int64_t p11_erase; // self-timed bulk erase
    std::int64_t p12;       // PGC and PGD kept low after VPP rises
    int write_start_clock;  // PGC falling edge after WR = 1 that starts a self-timed write
    // Edge timing in nanoseconds. The clock figures are the makers' at the usual
    // programming VDD (5 V; 3.6 V for the 3 V parts); at 2 V (1.8 V) they are ten times
    // longer, which a host programming at low voltage has to keep itself.
    std::int64_t p2_ns = 100; // PGC period
    std::int64_t p2a_ns = 40; // PGC low
    std::int64_t p2b_ns = 40; // PGC high
    std::int64_t p3_ns = 15;  // PGD setup before the falling PGC edge
    std::int64_t p4_ns = 15;  // PGD hold after the falling PGC edge
    std::int64_t p5_ns = 40;  // last command clock's fall to the first operand clock's rise
    std::int64_t p5a_ns = 40; // last operand clock's fall to the next command's first rise
    std::int64_t p6_ns = 20;  // 8th operand clock's fall of a read to the 9th rise
};

timing_limits limits_for(const part_info& part);

// ---- Pending work ------------------------------------------------------------------------

// A programming cycle that waits for the next 0000 frame to hold its 4th clock high.
enum class hold_purpose { program_row, program_config, erase_row, erase_rows_all_panels };
struct programming_hold {
    hold_purpose purpose;
    std::uint32_t address; // TBLPTR the cycle was started with
    std::uint8_t value;    // configuration byte for program_config
};

// An operation that runs on its own once started: data EEPROM write, row erase, bulk erase.
enum class timed_kind { none, eeprom_write, row_erase, bulk_erase };
struct timed_operation {
    timed_kind kind = timed_kind::none;
    bool started = false; // false while waiting for its start clock
    int clocks_to_start = 0;
    std::int64_t start_us = 0;
    std::int64_t end_us = 0;
    std::uint32_t address = 0; // EEPROM address or TBLPTR of the row
    std::uint8_t value = 0;    // EEPROM data
    std::uint32_t erase_key = 0;
};

// Bulk erase: the control-register write arms it, a NOP frame must follow, and the 4th
// clock of the frame after that starts it.
enum class erase_arming { idle, armed, nop_seen };

// Key entry: while VDD is on and MCLR is low after having been high, each PGC falling
// edge shifts PGD into a 32-bit register, MSb first.
inline constexpr std::uint32_t entry_key = 0x4D434850; // "MCHP"
struct key_detector {
    bool listening = false; // MCLR fell with VDD on
    bool spoiled = false;   // a key clock came too early: the key is not taken
    bool clocked = false;   // a key clock has risen
    std::int64_t mclr_fell_us = 0;
    std::uint32_t shift = 0;
    int bits = 0;
};

// The 8-bit-command engine: the frame being shifted, the 22-bit PC, the latches and the
// busy timer.
struct command8_state {
    int clocks = 0;          // falling edges taken in the command (0..7) or payload (0..23)
    bool in_payload = false; // the command is in and takes a 24-bit payload
    bool reading = false;    // the payload is a read: the chip drives PGD
    bool ignored = false;    // the command came while busy: clocked through, not executed
    std::uint8_t command = 0;
    std::uint32_t payload = 0;
    std::uint32_t read_frame = 0; // the value read, << 1, bit 23 first
    std::int64_t part_end_ns = 0; // last falling edge of a command or payload (TDLY)
    bool tdly_due = false;        // the next rising edge must keep TDLY after part_end_ns
    bool clocked = false;         // a clock has risen since entry
    std::uint32_t pc = 0;
    std::int64_t busy_until_ns = 0;
    std::string busy_with;             // what keeps the chip busy, for messages
    std::vector<std::uint8_t> latches; // row latches (8bit-rows), FFh when unloaded
    std::uint16_t word_latch = 0xFFFF; // the latch of a configuration, ID or EEPROM write
    std::optional<std::int64_t> external_since_us; // C0h begun, 82h awaited
    std::uint32_t external_pc = 0;
};

// ---- The whole chip ------------------------------------------------------------------------

struct chip_state {
    explicit chip_state(const part_info& p);

    part_info part;
    const family_profile& profile;
    timing_limits limits;
    const register_map& regs; // the profile's

    std::vector<std::uint8_t> flash;
    std::vector<std::uint8_t> eeprom;
    std::vector<std::uint8_t> id;          // part.id_bytes
    std::array<std::uint8_t, 35> config{}; // part.config_size used, the rest stay 0

    std::vector<std::string> errors;

    // Pins and mode. In Program/Verify mode `pgc` is the clock level as the chip took it,
    // which stays behind the pin when an edge came too early to be seen.
    bool vdd = false, vpp = false, pgc = false, pgd = false;
    std::int64_t now_us = 0; // now_ns / 1000
    std::int64_t now_ns = 0;
    double vdd_volts = 5.0, vpp_volts = 13.0; // what the VDD and VPP lines carry when high
    key_detector key;
    bool program_mode = false;
    bool mclr_low_session = false; // entered by the key with MCLR left low (key_low)
    std::int64_t entered_us = 0;
    bool quiet_time_reported = false;

    // Serial shift engine.
    int clocks = 0; // falling edges taken in the current frame (0..19)
    std::uint8_t command = 0;
    std::uint16_t operand = 0;
    std::int64_t fourth_rise_us = 0;
    bool frame_refused = false; // the frame arrived while it is not allowed; it does nothing
    bool driving = false;       // PGD is an output (read frames)
    bool drive_level = false;
    std::uint8_t shift_out = 0;
    std::optional<std::int64_t> low_until_us;       // P10 after a programming hold
    std::optional<std::int64_t> erase_low_until_us; // P10 after a bulk erase

    // Single edges, while edge timing is modelled.
    bool edge_timing = false;
    std::int64_t rise_ns = 0;        // the last PGC rising edge taken
    std::int64_t fall_ns = 0;        // the last PGC falling edge taken
    bool fall_bit_counts = false;    // that edge's bit belongs to a command or an operand
    std::optional<bool> pending_bit; // that edge's bit, not yet shifted in: PGD must hold P4
    std::int64_t pgd_change_ns = 0;  // the last change of PGD
    bool pgd_before_change = false;  // and the level before it

    // Core.
    std::array<std::uint8_t, 4096> file{}; // data memory, SFRs at F80h..FFFh
    std::optional<std::uint8_t> goto_low;  // first word of a two-word GOTO
    std::uint32_t pc = 0;
    int unlock_step = 0; // 1: 55h written to EECON2, 2: then AAh

    // Table writes and programming.
    std::vector<std::uint8_t> holding; // write buffer (one per panel on FXX2 in multi-panel)
    bool multi_panel = false;
    std::uint8_t erase_control_lo = 0; // 3C0004h
    std::uint8_t erase_control_hi = 0; // 3C0005h
    std::uint8_t erase_control_up = 0; // 3C0006h (xxK80)
    std::uint8_t config_latch = 0xFF;
    std::uint32_t config_latch_address = 0;
    std::optional<programming_hold> hold;
    erase_arming arming = erase_arming::idle;
    std::uint32_t armed_key = 0;
    timed_operation timed;

    command8_state c8;
};

// Records a protocol violation with the time it happened.
void report(chip_state& s, const std::string& text);

// "3FFFFEh": `value` as `digits` upper-case hexadecimal digits and an "h", for messages.
std::string hex_text(std::uint32_t value, int digits);

// Ends a P10 wait (PGC held low after a programming hold or a bulk erase; `low_until` is
// when it ends) at the clock that ends it. When that clock came too early, returns how long
// after the start of the wait it came.
std::optional<std::int64_t> end_p10_wait(const chip_state& s,
                                         std::optional<std::int64_t>& low_until);

} // namespace sim::detail
