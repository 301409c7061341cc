// The 8-bit-command engine. Bits are taken on PGC falling edges, MSb first: 8 command bits,
// then, for commands with data, 24 payload bits holding the field shifted left by one (start
// and stop bits 0). A read drives PGD on each of the 24 payload rising edges with the value
// shifted left by one, bit 23 first, and lets go after the 24th falling edge. Every command
// and payload must be followed by TDLY before the next rising edge. A write or erase keeps
// the chip busy for its time; a command clocked in meanwhile is ignored and reported.
//
// The three command sets differ in how data reaches the memory: K40/K42/K83 load row latches
// (FLASH) or a data latch (configuration, user IDs, EEPROM) and program them with E0h (or
// C0h ... 82h); Q10 and the later Q families program at once with C0h/E0h and a payload.
// Q10 and the K families pick the bulk-erase regions by the PC, the later Q families by the
// payload's bits.
#include "sim/command8_engine.h"

#include "sim/serial_engine.h"

#include <algorithm>

namespace sim::detail {

namespace {

enum class area { flash, user_id, config, eeprom, revision, device_id, none };

// What a command does with the wire after its 8 bits.
enum class command_shape { no_payload, payload_in, read, undefined };

constexpr std::uint32_t region_eeprom = 0x1;
constexpr std::uint32_t region_flash = 0x2;
constexpr std::uint32_t region_user_id = 0x4;
constexpr std::uint32_t region_config = 0x8;

const command8_rules& rules(const chip_state& s) {
    return *s.profile.command8;
}

std::string ns_text(std::int64_t ns) {
    return std::to_string(ns) + " ns";
}

command_shape shape_of(command_frame frame, std::uint8_t command) {
    switch (command) {
    case 0x80:
        return command_shape::payload_in;
    case 0xFC:
    case 0xFE:
        return command_shape::read;
    case 0xF8:
    case 0xF0:
        return command_shape::no_payload;
    default:
        break;
    }
    switch (frame) {
    case command_frame::rows_8bit:
        if (command == 0x00 || command == 0x02)
            return command_shape::payload_in;
        if (command == 0xE0 || command == 0xC0 || command == 0x82 || command == 0x18)
            return command_shape::no_payload;
        return command_shape::undefined;
    case command_frame::words_8bit:
        if (command == 0xC0 || command == 0xE0)
            return command_shape::payload_in;
        if (command == 0x18)
            return command_shape::no_payload;
        return command_shape::undefined;
    case command_frame::regions_8bit:
        if (command == 0xC0 || command == 0xE0 || command == 0x18 || command == 0x4C)
            return command_shape::payload_in;
        return command_shape::undefined;
    case command_frame::classic_4bit:
        return command_shape::undefined;
    }
    return command_shape::undefined;
}

area area_of(const chip_state& s, std::uint32_t address) {
    if (address < s.flash.size())
        return area::flash;
    if (address >= id_base && address < id_base + s.id.size())
        return area::user_id;
    if (address >= config_base &&
        address < config_base + static_cast<std::uint32_t>(s.part.config_size))
        return area::config;
    const std::uint32_t eeprom_base = rules(s).eeprom_base;
    if (address >= eeprom_base && address < eeprom_base + s.eeprom.size())
        return area::eeprom;
    if ((address & ~1u) == revision_id_address)
        return area::revision;
    if ((address & ~1u) == devid1_address)
        return area::device_id;
    return area::none;
}

// How far F8h, FEh and the incrementing writes move the PC.
std::uint32_t step_at(const chip_state& s, std::uint32_t address) {
    switch (area_of(s, address)) {
    case area::eeprom:
        return 1;
    case area::config:
        return static_cast<std::uint32_t>(rules(s).config_step);
    case area::flash:
    case area::user_id:
    case area::revision:
    case area::device_id:
    case area::none:
        return 2;
    }
    return 2;
}

void step_pc(chip_state& s) {
    s.c8.pc = (s.c8.pc + step_at(s, s.c8.pc)) & table_space_mask;
}

bool protected_now(const chip_state& s) {
    const command8_rules& r = rules(s);
    const auto index = static_cast<std::size_t>(r.cp_config_index);
    return (s.part.config_mask[index] & r.cp_bit) != 0 && (s.config[index] & r.cp_bit) == 0;
}

std::uint8_t config_byte(const chip_state& s, std::uint32_t index) {
    if (index >= static_cast<std::uint32_t>(s.part.config_size))
        return 0;
    return s.config[index] & s.part.config_mask[index];
}

std::uint16_t word_of(const std::vector<std::uint8_t>& bytes, std::uint32_t offset) {
    const std::uint8_t low = offset < bytes.size() ? bytes[offset] : 0;
    const std::uint8_t high = offset + 1 < bytes.size() ? bytes[offset + 1] : 0;
    return static_cast<std::uint16_t>(low | (high << 8));
}

// The word or byte a read at `address` gives (protected FLASH, user IDs and EEPROM read 0).
std::uint16_t read_at(const chip_state& s, std::uint32_t address) {
    const bool hidden = protected_now(s);
    switch (area_of(s, address)) {
    case area::flash:
        return hidden ? 0 : word_of(s.flash, address);
    case area::user_id:
        return hidden ? 0 : word_of(s.id, address - id_base);
    case area::eeprom:
        return hidden ? 0 : s.eeprom[address - rules(s).eeprom_base];
    case area::config: {
        const std::uint32_t index = address - config_base;
        if (rules(s).config_step == 1)
            return config_byte(s, index);
        return static_cast<std::uint16_t>(config_byte(s, index) | config_byte(s, index + 1) << 8);
    }
    case area::revision:
        return revision_id_word;
    case area::device_id:
        return s.part.device_id;
    case area::none:
        return 0;
    }
    return 0;
}

void set_busy(chip_state& s, std::int64_t us, const std::string& what) {
    s.c8.busy_until_ns = s.now_ns + us * 1000;
    s.c8.busy_with = what;
}

// Programs `value` (a word, or a byte in EEPROM and byte-wide configuration) at `address`:
// FLASH, user ID and configuration cells take the AND, an EEPROM byte is replaced.
void program_at(chip_state& s, std::uint32_t address, std::uint16_t value) {
    const nvm_times& t = rules(s).times;
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    const auto high = static_cast<std::uint8_t>(value >> 8);
    const area where = area_of(s, address);
    if ((where == area::flash || where == area::user_id || where == area::eeprom) &&
        protected_now(s)) {
        report(s, "program at " + hex_text(address, 6) + " refused: code protection is on");
        return;
    }
    switch (where) {
    case area::flash:
    case area::user_id: {
        std::vector<std::uint8_t>& bytes = where == area::flash ? s.flash : s.id;
        const std::uint32_t at = (address - (where == area::flash ? 0 : id_base)) & ~1u;
        bytes[at] &= low;
        if (at + 1 < bytes.size())
            bytes[at + 1] &= high;
        set_busy(s, where == area::flash ? t.code : t.user_id, "a word write");
        return;
    }
    case area::eeprom:
        s.eeprom[address - rules(s).eeprom_base] = low;
        set_busy(s, t.eeprom, "an EEPROM write");
        return;
    case area::config: {
        const std::uint32_t index = address - config_base;
        const auto size = static_cast<std::uint32_t>(s.part.config_size);
        s.config[index] &= static_cast<std::uint8_t>(low & s.part.config_mask[index]);
        if (rules(s).config_step == 2 && index + 1 < size)
            s.config[index + 1] &= static_cast<std::uint8_t>(high & s.part.config_mask[index + 1]);
        set_busy(s, t.config, "a configuration write");
        return;
    }
    case area::revision:
    case area::device_id:
    case area::none:
        report(s, "program at " + hex_text(address, 6) +
                      ": no writable memory there, nothing written");
        return;
    }
}

void clear_latches(chip_state& s) {
    std::fill(s.c8.latches.begin(), s.c8.latches.end(), std::uint8_t{0xFF});
    s.c8.word_latch = 0xFFFF;
}

std::uint32_t row_bytes(const chip_state& s) {
    return static_cast<std::uint32_t>(std::max<std::int32_t>(s.part.write_buffer, 2));
}

// K families: 00h/02h put the word into the row latch the PC's low bits select (FLASH) or
// into the data latch (elsewhere).
void load_latch(chip_state& s, std::uint16_t word) {
    if (area_of(s, s.c8.pc) == area::flash) {
        const std::uint32_t row = row_bytes(s);
        const std::uint32_t at = (s.c8.pc & ~1u) % row;
        s.c8.latches[at] = static_cast<std::uint8_t>(word & 0xFF);
        s.c8.latches[(at + 1) % row] = static_cast<std::uint8_t>(word >> 8);
    } else {
        s.c8.word_latch = word;
    }
}

// K families: program what the latches hold at `address` (the whole row in FLASH).
void program_latches(chip_state& s, std::uint32_t address) {
    if (area_of(s, address) != area::flash) {
        program_at(s, address, s.c8.word_latch);
    } else if (protected_now(s)) {
        report(s, "row write at " + hex_text(address, 6) + " refused: code protection is on");
    } else {
        const std::uint32_t row = row_bytes(s);
        const std::uint32_t base = address - address % row;
        for (std::uint32_t i = 0; i < row && base + i < s.flash.size(); ++i)
            s.flash[base + i] &= s.c8.latches[i];
        set_busy(s, rules(s).times.code, "a row write");
    }
    clear_latches(s);
}

void erase_config(chip_state& s) {
    for (std::size_t i = 0; i < s.config.size(); ++i)
        s.config[i] = s.part.config_erased[i] & s.part.config_mask[i];
}

void erase_regions(chip_state& s, std::uint32_t regions) {
    if (regions & region_flash)
        std::fill(s.flash.begin(), s.flash.end(), std::uint8_t{0xFF});
    if (regions & region_user_id)
        std::fill(s.id.begin(), s.id.end(), std::uint8_t{0xFF});
    if (regions & region_eeprom)
        std::fill(s.eeprom.begin(), s.eeprom.end(), std::uint8_t{0xFF});
    if (regions & region_config)
        erase_config(s);
    set_busy(s, rules(s).times.bulk_erase, "a bulk erase");
}

// K families and Q10: the PC picks the regions. Below 300000h: FLASH and configuration;
// from 300000h to the EEPROM: the user IDs as well; in the EEPROM: the EEPROM.
void bulk_erase_by_pc(chip_state& s) {
    const std::uint32_t pc = s.c8.pc;
    const std::uint32_t eeprom_base = rules(s).eeprom_base;
    if (pc < config_base)
        erase_regions(s, region_flash | region_config);
    else if (pc < eeprom_base)
        erase_regions(s, region_flash | region_config | region_user_id);
    else if (pc < eeprom_base + 0x10000)
        erase_regions(s, region_eeprom);
    else
        report(s, "bulk erase with the PC at " + hex_text(pc, 6) + ": nothing erased");
}

// Q40 and later: the payload's bits pick the regions; on a code-protected part the
// configuration region takes everything with it, and nothing else may be erased alone.
void bulk_erase_by_payload(chip_state& s, std::uint32_t field) {
    std::uint32_t regions = field & 0xF;
    if (protected_now(s)) {
        if ((regions & region_config) == 0) {
            report(s, "bulk erase " + hex_text(field, 6) +
                          " of a code-protected part without the configuration region: "
                          "nothing erased");
            return;
        }
        regions = 0xF;
    }
    erase_regions(s, regions);
}

void page_erase(chip_state& s) {
    const std::uint32_t pc = s.c8.pc;
    if (area_of(s, pc) != area::flash) {
        report(s, "row or page erase with the PC at " + hex_text(pc, 6) +
                      ", outside the FLASH: ignored");
        return;
    }
    if (protected_now(s)) {
        report(s, "row or page erase at " + hex_text(pc, 6) + " refused: code protection is on");
        return;
    }
    const std::uint32_t page = row_bytes(s);
    const std::uint32_t base = pc - pc % page;
    const auto end = std::min<std::size_t>(base + page, s.flash.size());
    std::fill(s.flash.begin() + base, s.flash.begin() + static_cast<std::ptrdiff_t>(end),
              std::uint8_t{0xFF});
    set_busy(s, rules(s).times.page_erase, "a row or page erase");
}

// An externally timed write (C0h on the K families) ends with 82h; the busy time up to
// TPEXT has refused an earlier 82h.
void end_external_write(chip_state& s) {
    s.c8.external_since_us.reset();
    program_latches(s, s.c8.external_pc);
    set_busy(s, rules(s).times.external_tail, "the end of an externally timed write");
}

void execute_without_payload(chip_state& s, std::uint8_t command) {
    switch (command) {
    case 0xF8:
        step_pc(s);
        return;
    case 0xF0:
        page_erase(s);
        return;
    case 0x18:
        bulk_erase_by_pc(s);
        return;
    case 0xE0: // rows only: internally timed programming
        program_latches(s, s.c8.pc);
        return;
    case 0xC0:
        s.c8.external_since_us = s.now_us;
        s.c8.external_pc = s.c8.pc;
        set_busy(s, rules(s).times.external_min, "an externally timed write (TPEXT)");
        return;
    case 0x82:
        if (s.c8.external_since_us)
            end_external_write(s);
        else
            report(s, "82h without an externally timed write: ignored");
        return;
    default:
        return;
    }
}

void execute_with_payload(chip_state& s, std::uint8_t command, std::uint32_t payload) {
    const std::uint32_t field = (payload >> 1) & table_space_mask;
    if (command != 0x4C && (payload & 0x800001) != 0)
        report(s, "payload " + hex_text(payload, 6) + " of command " + hex_text(command, 2) +
                      " has its start or stop bit set (fields go shifted left by one): taken "
                      "as " +
                      hex_text(field, 6));
    const auto word = static_cast<std::uint16_t>(field & 0xFFFF);
    switch (command) {
    case 0x80:
        s.c8.pc = field;
        return;
    case 0x00:
    case 0x02:
        load_latch(s, word);
        if (command == 0x02)
            step_pc(s);
        return;
    case 0xC0:
    case 0xE0:
        program_at(s, s.c8.pc, word);
        if (command == 0xE0)
            step_pc(s);
        return;
    case 0x18:
        bulk_erase_by_payload(s, field);
        return;
    case 0x4C: // Program Access Enable: opens SAFLOCK/ICSPDIS writes, which are not modelled
        return;
    default:
        return;
    }
}

// The 8 command bits are in.
void command_in(chip_state& s) {
    command8_state& c = s.c8;
    c.clocks = 0;
    c.part_end_ns = s.now_ns;
    c.tdly_due = true;
    if (c.external_since_us && c.command != 0x82 && !c.ignored) {
        report(s, "externally timed write not ended by 82h (command " + hex_text(c.command, 2) +
                      "): nothing programmed");
        c.external_since_us.reset();
        clear_latches(s);
    }
    switch (shape_of(s.profile.frame, c.command)) {
    case command_shape::payload_in:
        c.in_payload = true;
        c.reading = false;
        c.payload = 0;
        return;
    case command_shape::read:
        c.in_payload = true;
        c.reading = true;
        if (!c.ignored) {
            c.read_frame = static_cast<std::uint32_t>(read_at(s, c.pc)) << 1;
            if (c.command == 0xFE)
                step_pc(s);
        }
        return;
    case command_shape::no_payload:
        if (!c.ignored)
            execute_without_payload(s, c.command);
        return;
    case command_shape::undefined:
        if (!c.ignored)
            report(s, "undefined command " + hex_text(c.command, 2) + " ignored");
        return;
    }
}

void payload_in(chip_state& s) {
    command8_state& c = s.c8;
    c.clocks = 0;
    c.in_payload = false;
    c.part_end_ns = s.now_ns;
    c.tdly_due = true;
    if (c.reading) {
        s.driving = false;
        c.reading = false;
        return;
    }
    if (!c.ignored)
        execute_with_payload(s, c.command, c.payload);
}

void clock_rising(chip_state& s) {
    command8_state& c = s.c8;
    if (!c.clocked) {
        c.clocked = true;
        const std::int64_t after = s.now_us - s.entered_us;
        if (after < s.limits.p12)
            report(s, "PGC rose " + std::to_string(after) +
                          " us after entering Program/Verify "
                          "mode, needs " +
                          std::to_string(s.limits.p12) + " us");
    }
    if (c.tdly_due) {
        c.tdly_due = false;
        const std::int64_t gap = s.now_ns - c.part_end_ns;
        if (gap < rules(s).tdly_us * 1000)
            report(s, "PGC rose " + ns_text(gap) + " after a command or payload, needs TDLY = " +
                          std::to_string(rules(s).tdly_us) + " us");
    }
    if (!c.in_payload && c.clocks == 0) {
        c.command = 0;
        c.ignored = s.now_ns < c.busy_until_ns;
        if (c.ignored)
            report(s, "command clocked " + std::to_string((c.busy_until_ns - s.now_ns) / 1000) +
                          " us before " + c.busy_with + " ended: ignored");
    }
    if (c.in_payload && c.reading && !c.ignored) {
        s.driving = true;
        s.drive_level = ((c.read_frame >> (23 - c.clocks)) & 1) != 0;
    }
}

void clock_falling(chip_state& s, bool bit) {
    command8_state& c = s.c8;
    if (!c.in_payload) {
        c.command = static_cast<std::uint8_t>((c.command << 1) | (bit ? 1 : 0));
        if (++c.clocks == 8)
            command_in(s);
        return;
    }
    if (!c.reading)
        c.payload = ((c.payload << 1) | (bit ? 1u : 0u)) & 0xFFFFFF;
    if (++c.clocks == 24)
        payload_in(s);
}

// While edge timing is modelled: a clock phase shorter than P2A/P2B or a period shorter than
// P2 is not seen as an edge.
bool rising_edge_seen(chip_state& s) {
    if (!s.edge_timing)
        return true;
    const std::int64_t low = s.now_ns - s.fall_ns;
    const std::int64_t period = s.now_ns - s.rise_ns;
    if (low < s.limits.p2a_ns || period < s.limits.p2_ns) {
        report(s, "PGC low for " + ns_text(low) + " (period " + ns_text(period) + "), needs " +
                      ns_text(s.limits.p2a_ns) + " (P2A) and " + ns_text(s.limits.p2_ns) +
                      " (P2): rising edge missed");
        return false;
    }
    return true;
}

bool falling_edge_seen(chip_state& s) {
    if (!s.edge_timing)
        return true;
    const std::int64_t high = s.now_ns - s.rise_ns;
    if (high < s.limits.p2b_ns) {
        report(s, "PGC high for " + ns_text(high) + ", needs " + ns_text(s.limits.p2b_ns) +
                      " (P2B): falling edge missed");
        return false;
    }
    return true;
}

} // namespace

void reset_command8(chip_state& s) {
    s.c8 = command8_state{};
    s.c8.latches.assign(static_cast<std::size_t>(std::max<std::int32_t>(s.part.write_buffer, 2)),
                        0xFF);
    s.driving = false;
    s.drive_level = false;
    s.rise_ns = s.now_ns;
    s.fall_ns = s.now_ns;
}

bool command8_busy(const chip_state& s) {
    return s.program_mode && s.now_ns < s.c8.busy_until_ns;
}

void command8_lines(chip_state& s, bool pgc, bool pgd) {
    const bool pgd_moved = take_pgd(s, pgd);
    if (pgc && !s.pgc) {
        if (rising_edge_seen(s)) {
            s.pgc = true;
            s.rise_ns = s.now_ns;
            clock_rising(s);
        }
    } else if (!pgc && s.pgc) {
        if (!falling_edge_seen(s))
            return;
        s.pgc = false;
        s.fall_ns = s.now_ns;
        // While the chip drives PGD for a read, the host's level takes no part.
        const bool counts = !(s.c8.in_payload && s.c8.reading);
        clock_falling(s, bit_at_fall(s, pgd_moved, counts, counts));
    }
}

} // namespace sim::detail
