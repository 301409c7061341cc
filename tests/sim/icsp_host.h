// A small host-side bit-banger for the virtual chip tests: it drives VDD, VPP, PGC and PGD
// of a sim::virtual_chip on a virtual microsecond clock, sends 4-bit commands with 16-bit
// payloads LSb first (data set while PGC is high, taken on the falling edge), runs read
// frames, programming holds and erase waits, and sends the documented command sequences of
// each family (erase, code, ID, configuration, data EEPROM, reads) from the shared maker's
// sequences.
#pragma once

#include "../support/maker_sequences.h"
#include "sim/virtual_chip.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim_test {

enum class power_order { vdd_first, vpp_first };

class icsp_host {
  public:
    explicit icsp_host(sim::virtual_chip& chip) : chip_(chip) {}

    std::int64_t now() const { return now_; }
    void wait_us(std::int64_t us);

    // Line control: each call is one pin change at the current time, then 1 us passes.
    void set_lines(bool vdd, bool vpp, bool pgc, bool pgd);
    // Both supplies in `order`; on a key-entry part, VDD and the documented key entry (with
    // MCLR left low on the 8-bit-command families).
    void power_up(power_order order = power_order::vdd_first);
    // Key entry: VDD on, MCLR (the VPP line) pulsed high and taken low, `p19_us`, the 32 bits
    // of `key` (MSb first, or LSb first when told), MCLR high, `p12_us`. Negative waits take
    // the family's P19 and P12.
    void enter_with_key(std::uint32_t key = 0x4D434850, bool lsb_first = false,
                        std::int64_t p19_us = -1, std::int64_t p12_us = -1);
    void power_down();

    void send(std::uint8_t command, std::uint16_t payload);
    // Command, 8 idle clocks, then 8 bits sampled while PGC is high (a line the chip does
    // not drive reads 1, the host's DATA OUT being held high).
    std::uint8_t read(std::uint8_t command);
    void core(std::uint16_t opcode) { send(0x0, opcode); }
    void set_pointer(std::uint32_t address);
    // 0000 with the 4th clock held high for high_us, then PGC low for low_us, then 16 zeros.
    void program_hold(std::int64_t high_us, std::int64_t low_us = 250);
    // 0000 with 4 clocks, then wait_us with PGD low, then the 16 zero payload bits.
    void erase_hold(std::int64_t wait_us);

    // Documented sequences.
    // One erase key into the register at 3C0004h (low) or 3C0005h (high), by a table write.
    void load_erase_key(std::uint32_t address, std::uint16_t key);
    // The family's key registers: 3C0005h then 3C0004h, or 3C0004h alone on FXX2 and X220.
    void load_erase_keys(std::uint16_t high_key, std::uint16_t low_key);
    // The keys, the NOP and the erase wait.
    void bulk_erase(std::uint16_t high_key, std::uint16_t low_key, std::int64_t wait_us);
    // The family's chip-erase key, waiting 10 ms (or the family's longer bulk erase, 15 ms
    // on K22) and P10; on xxK80, which has no chip erase, every region in turn.
    void bulk_erase_chip();
    // One xxK80 region: the 3C0006h:3C0005h:3C0004h key, the NOP and the erase wait.
    void erase_region_k80(std::uint32_t key, std::int64_t wait_us);
    void select_code_memory();
    // Writes bytes at a buffer-aligned address, one write-buffer block per cycle.
    void write_code(std::uint32_t address, const std::vector<std::uint8_t>& bytes,
                    std::int64_t hold_us = 1000);
    // FXX2/XX8 multi-panel write of one 8-byte block per panel at the same panel offset.
    void write_code_multi_panel(std::uint32_t offset,
                                const std::vector<std::vector<std::uint8_t>>& panels);
    void select_config_memory();
    // One configuration byte (index 0 = CONFIG1L) in its own programming cycle.
    void write_config(int index, std::uint8_t value);
    void write_config_all(const std::vector<std::uint8_t>& values);
    void select_eeprom();
    void set_eeprom_address(std::uint32_t address);
    // Selects the data EEPROM and loads the address and EEDATA of a write; WREN and WR are
    // left to the caller.
    void load_eeprom_write(std::uint32_t address, std::uint8_t value);
    // Data EEPROM write with WR polling; returns the number of polls seen with WR = 1.
    int write_eeprom(std::uint32_t address, std::uint8_t value);
    std::uint8_t read_eeprom(std::uint32_t address);
    std::uint8_t read_eecon1();
    std::vector<std::uint8_t> read_table(std::uint32_t address, std::size_t count);
    std::uint16_t read_device_id();

    // 8-bit-command families. Key entry with MCLR left low: VDD on, 50 ms, MCLR high for
    // 500 us and low, 5 ms, the key MSb first, PGD low, 5 ms.
    void enter_key_low(std::uint32_t key = 0x4D434850);
    // An 8-bit command MSb first, then 2 us (TDLY).
    void command8(std::uint8_t command);
    // The command, then `field` << 1 in 24 bits MSb first, then 2 us.
    void command8(std::uint8_t command, std::uint32_t field);
    // The command, then 24 clocks with DATA OUT high, PGD sampled while PGC is high: the
    // frame as read, bit 23 first.
    std::uint32_t read8_frame(std::uint8_t command);
    std::uint16_t read8(std::uint8_t command) {
        return static_cast<std::uint16_t>((read8_frame(command) >> 1) & 0xFFFF);
    }

    sim::virtual_chip& chip() { return chip_; }

  private:
    // The maker's sequences of the chip's family, sent through this host.
    test_support::maker_sequence sequence();
    const sim::family_profile& profile() const;
    void apply();
    void clock_bit(bool bit);

    sim::virtual_chip& chip_;
    std::int64_t now_ = 0;
    bool vdd_ = false, vpp_ = false, pgc_ = false, pgd_ = false;
};

// A host sequence a real chip would refuse: what it is, the part it runs on, words of the
// protocol error it must leave, and the sequence itself.
struct fault_case {
    const char* what;
    const char* part;
    const char* error;
    void (*run)(icsp_host&);
};

// True when one of the chip's protocol errors contains the words.
bool has_error(const sim::virtual_chip& chip, const std::string& words);

} // namespace sim_test
