// The test bit-banger: line changes on a virtual clock, and the families' documented
// command sequences sent from the shared maker's sequences and the family's profile row.
#include "icsp_host.h"

#include <algorithm>
#include <stdexcept>

namespace sim_test {

using test_support::maker_sequence;
using test_support::registers_of;

namespace {
constexpr std::int64_t step_us = 1; // time between two line changes
} // namespace

bool has_error(const sim::virtual_chip& chip, const std::string& words) {
    for (const std::string& e : chip.protocol_errors()) {
        if (e.find(words) != std::string::npos)
            return true;
    }
    return false;
}

void icsp_host::wait_us(std::int64_t us) {
    now_ += us;
    chip_.advance(now_);
}

void icsp_host::apply() {
    chip_.set_pins(vdd_, vpp_, pgc_, pgd_, now_);
    now_ += step_us;
}

void icsp_host::set_lines(bool vdd, bool vpp, bool pgc, bool pgd) {
    vdd_ = vdd;
    vpp_ = vpp;
    pgc_ = pgc;
    pgd_ = pgd;
    apply();
}

void icsp_host::enter_with_key(std::uint32_t key, bool lsb_first, std::int64_t p19_us,
                               std::int64_t p12_us) {
    pgc_ = false;
    pgd_ = false;
    vdd_ = true;
    apply();
    wait_us(50);
    vpp_ = true;
    apply();
    vpp_ = false;
    apply();
    wait_us(p19_us < 0 ? profile().p19_us : p19_us);
    for (int i = 0; i < 32; ++i)
        clock_bit(((key >> (lsb_first ? i : 31 - i)) & 1) != 0);
    pgd_ = false;
    apply();
    vpp_ = true;
    apply();
    wait_us(p12_us < 0 ? profile().p12_us : p12_us);
}

void icsp_host::power_up(power_order order) {
    if (profile().entry == sim::entry_kind::key) {
        enter_with_key();
        return;
    }
    if (profile().entry == sim::entry_kind::key_low) {
        enter_key_low();
        return;
    }
    pgc_ = false;
    pgd_ = false;
    if (order == power_order::vdd_first) {
        vdd_ = true;
        apply();
        wait_us(50);
        vpp_ = true;
        apply();
    } else {
        vpp_ = true;
        apply();
        wait_us(50);
        vdd_ = true;
        apply();
    }
    wait_us(50);
}

void icsp_host::power_down() {
    pgc_ = false;
    pgd_ = false;
    apply();
    vdd_ = false;
    apply();
    vpp_ = false;
    apply();
}

void icsp_host::clock_bit(bool bit) {
    pgc_ = true;
    apply();
    pgd_ = bit;
    apply();
    pgc_ = false;
    apply();
}

void icsp_host::enter_key_low(std::uint32_t key) {
    set_lines(true, false, false, false);
    wait_us(50000);
    set_lines(true, true, false, false);
    wait_us(500);
    set_lines(true, false, false, false);
    wait_us(5000);
    for (int i = 31; i >= 0; --i)
        clock_bit(((key >> i) & 1) != 0);
    pgd_ = false;
    apply();
    wait_us(5000);
}

void icsp_host::command8(std::uint8_t command) {
    for (int i = 7; i >= 0; --i)
        clock_bit(((command >> i) & 1) != 0);
    wait_us(2);
}

void icsp_host::command8(std::uint8_t command, std::uint32_t field) {
    command8(command);
    const std::uint32_t frame = (field << 1) & 0xFFFFFF;
    for (int i = 23; i >= 0; --i)
        clock_bit(((frame >> i) & 1) != 0);
    wait_us(2);
}

std::uint32_t icsp_host::read8_frame(std::uint8_t command) {
    command8(command);
    pgd_ = true;
    apply();
    std::uint32_t frame = 0;
    for (int i = 0; i < 24; ++i) {
        pgc_ = true;
        apply();
        frame = (frame << 1) | (chip_.pgd_output(now_).value_or(true) ? 1u : 0u);
        pgc_ = false;
        apply();
    }
    pgd_ = false;
    apply();
    wait_us(2);
    return frame;
}

void icsp_host::send(std::uint8_t command, std::uint16_t payload) {
    for (int i = 0; i < 4; ++i)
        clock_bit(((command >> i) & 1) != 0);
    for (int i = 0; i < 16; ++i)
        clock_bit(((payload >> i) & 1) != 0);
    pgd_ = false;
    apply();
}

std::uint8_t icsp_host::read(std::uint8_t command) {
    for (int i = 0; i < 4; ++i)
        clock_bit(((command >> i) & 1) != 0);
    pgd_ = false;
    apply();
    for (int i = 0; i < 8; ++i) {
        pgc_ = true;
        apply();
        pgc_ = false;
        apply();
    }
    pgd_ = true; // released: DATA OUT held high while the chip drives
    apply();
    std::uint8_t value = 0;
    for (int i = 0; i < 8; ++i) {
        pgc_ = true;
        apply();
        const std::optional<bool> level = chip_.pgd_output(now_);
        if (level.value_or(true))
            value = static_cast<std::uint8_t>(value | (1u << i));
        pgc_ = false;
        apply();
    }
    pgd_ = false;
    apply();
    return value;
}

maker_sequence icsp_host::sequence() {
    return {chip_.part().family,
            [this](std::uint8_t command, std::uint16_t payload) { send(command, payload); }};
}

const sim::family_profile& icsp_host::profile() const {
    return sim::profile_of(chip_.part().family);
}

void icsp_host::set_pointer(std::uint32_t address) {
    sequence().set_pointer(address);
}

void icsp_host::program_hold(std::int64_t high_us, std::int64_t low_us) {
    pgd_ = false;
    apply();
    for (int i = 0; i < 3; ++i) {
        pgc_ = true;
        apply();
        pgc_ = false;
        apply();
    }
    pgc_ = true;
    apply();
    wait_us(high_us - step_us);
    pgc_ = false;
    apply();
    wait_us(low_us);
    for (int i = 0; i < 16; ++i)
        clock_bit(false);
}

void icsp_host::erase_hold(std::int64_t wait) {
    pgd_ = false;
    apply();
    for (int i = 0; i < 4; ++i) {
        pgc_ = true;
        apply();
        pgc_ = false;
        apply();
    }
    wait_us(wait);
    for (int i = 0; i < 16; ++i)
        clock_bit(false);
}

void icsp_host::load_erase_key(std::uint32_t address, std::uint16_t key) {
    set_pointer(address);
    send(0xC, key);
}

void icsp_host::load_erase_keys(std::uint16_t high_key, std::uint16_t low_key) {
    if (profile().erase_registers >= 2)
        load_erase_key(0x3C0005, high_key);
    load_erase_key(0x3C0004, low_key);
}

void icsp_host::bulk_erase(std::uint16_t high_key, std::uint16_t low_key, std::int64_t wait) {
    load_erase_keys(high_key, low_key);
    core(0x0000);
    erase_hold(wait);
}

void icsp_host::erase_region_k80(std::uint32_t key, std::int64_t wait) {
    sequence().load_erase_key(key);
    core(0x0000);
    erase_hold(wait);
}

void icsp_host::bulk_erase_chip() {
    // At least 10 ms, or the family's longest bulk erase, and P10.
    const std::int64_t wait =
        std::max<std::int64_t>(10000, profile().p11_erase_32k_us) + profile().p10_us;
    for (const std::uint32_t key : sequence().chip_erase_keys()) {
        sequence().load_erase_key(key);
        core(0x0000);
        erase_hold(wait);
    }
}

void icsp_host::select_code_memory() {
    sequence().select_code_memory();
}

void icsp_host::write_code(std::uint32_t address, const std::vector<std::uint8_t>& bytes,
                           std::int64_t hold_us) {
    const auto buffer = static_cast<std::size_t>(chip_.part().write_buffer);
    if (address % buffer != 0 || bytes.size() % buffer != 0)
        throw std::invalid_argument("write_code needs whole, aligned write buffers");
    select_code_memory();
    for (std::size_t block = 0; block < bytes.size(); block += buffer) {
        set_pointer(address + static_cast<std::uint32_t>(block));
        for (std::size_t i = 0; i < buffer; i += 2) {
            const auto word =
                static_cast<std::uint16_t>(bytes[block + i] | (bytes[block + i + 1] << 8));
            send(i + 2 < buffer ? 0xD : 0xF, word);
        }
        program_hold(hold_us, profile().p10_us);
    }
}

void icsp_host::write_code_multi_panel(std::uint32_t offset,
                                       const std::vector<std::vector<std::uint8_t>>& panels) {
    core(0x8EA6); // EEPGD
    core(0x8CA6); // CFGS
    core(0x84A6); // WREN
    set_pointer(0x3C0006);
    send(0xC, 0x0040); // multi-panel writes
    core(0x8EA6);
    core(0x9CA6);
    for (std::size_t panel = 0; panel < panels.size(); ++panel) {
        set_pointer(static_cast<std::uint32_t>(panel * 0x2000 + offset));
        const std::vector<std::uint8_t>& bytes = panels[panel];
        for (std::size_t i = 0; i < 8; i += 2) {
            const auto word = static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8));
            const bool last_word = i == 6;
            const bool last_panel = panel + 1 == panels.size();
            send(!last_word ? 0xD : (last_panel ? 0xF : 0xC), word);
        }
    }
    program_hold(1000, profile().p10_us);
    set_pointer(0x3C0006);
    core(0x8CA6);
    send(0xC, 0x0000); // back to single-panel
    core(0x9CA6);
}

void icsp_host::select_config_memory() {
    sequence().select_config_memory();
}

void icsp_host::write_config(int index, std::uint8_t value) {
    select_config_memory();
    set_pointer(0x300000 + static_cast<std::uint32_t>(index));
    send(0xF, static_cast<std::uint16_t>(value * 0x0101));
    program_hold(profile().p9_config_us, profile().p10_us);
}

void icsp_host::write_config_all(const std::vector<std::uint8_t>& values) {
    // CONFIG6H (with WRTC) last.
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        if (i != 11)
            write_config(i, values[static_cast<std::size_t>(i)]);
    }
    if (values.size() > 11)
        write_config(11, values[11]);
}

void icsp_host::select_eeprom() {
    sequence().select_eeprom();
}

void icsp_host::set_eeprom_address(std::uint32_t address) {
    sequence().set_eeprom_address(address);
}

std::uint8_t icsp_host::read_eecon1() {
    core(maker_sequence::movf_w(registers_of(chip_.part().family).eecon1));
    core(0x6EF5); // MOVWF TABLAT
    core(0x0000);
    return read(0x2);
}

void icsp_host::load_eeprom_write(std::uint32_t address, std::uint8_t value) {
    sequence().load_eeprom_write(address, value);
}

int icsp_host::write_eeprom(std::uint32_t address, std::uint8_t value) {
    maker_sequence seq = sequence();
    load_eeprom_write(address, value);
    seq.start_eeprom_write();
    // A write that starts after the next frame gets its NOPs; the first poll starts the
    // others.
    const int frames = seq.frames_until_write_starts();
    if (frames > 1) {
        for (int i = 0; i < frames; ++i)
            core(0x0000);
    }
    int busy_polls = 0;
    for (int poll = 0; poll < 100000; ++poll) {
        if ((read_eecon1() & 0x02) == 0)
            break;
        ++busy_polls;
        wait_us(100);
    }
    wait_us(profile().p10_us);
    seq.bcf_eecon1(test_support::wren);
    return busy_polls;
}

std::uint8_t icsp_host::read_eeprom(std::uint32_t address) {
    const auto r = registers_of(chip_.part().family);
    select_eeprom();
    set_eeprom_address(address);
    sequence().bsf_eecon1(test_support::rd);
    core(maker_sequence::movf_w(r.eedata));
    core(0x6EF5); // MOVWF TABLAT
    core(0x0000);
    return read(0x2);
}

std::vector<std::uint8_t> icsp_host::read_table(std::uint32_t address, std::size_t count) {
    set_pointer(address);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(read(0x9));
    return bytes;
}

std::uint16_t icsp_host::read_device_id() {
    const std::vector<std::uint8_t> id = read_table(0x3FFFFE, 2);
    return static_cast<std::uint16_t>(id[0] | (id[1] << 8));
}

} // namespace sim_test
