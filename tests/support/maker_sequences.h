// The chip maker's ICSP command sequences for each programming family, as the frames
// (4-bit command, 16-bit payload) a host sends: the bit-banger of the virtual chip tests
// sends them, and the Program All test expects them in the program's port trace. The facts
// the virtual chip obeys as well (control registers, erase registers and keys, WREN, the
// EECON2 unlock, the GOTO 100000h before configuration writes, panel writes, the clock a
// self-timed write starts on) are read from the family's profile row; the one fact only the
// sequences carry, whether the document loads EEADRH, is loads_eeadrh() below.
#pragma once

#include "sim/family_profile.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace test_support {

// EECON1 bits.
inline constexpr int eepgd = 7, cfgs = 6, wren = 2, wr = 1, rd = 0;

// Access-bank addresses (the low bytes) of the data EEPROM and flash control registers.
struct eeprom_registers {
    std::uint16_t eecon1, eecon2, eedata, eeadr, eeadrh;
};

inline eeprom_registers registers_of(sim::chip_family family) {
    const sim::register_map& r = sim::profile_of(family).registers;
    const auto low = [](std::uint16_t address) {
        return static_cast<std::uint16_t>(address & 0xFF);
    };
    return {low(r.eecon1), low(r.eecon2), low(r.eedata), low(r.eeadr), low(r.eeadrh)};
}

// Whether the family's data EEPROM sequence loads EEADRH: the X220/X320, 1230/1330 and
// 1XK22 documents load EEADR alone, and the 8410 family has no data EEPROM.
inline bool loads_eeadrh(sim::chip_family family) {
    switch (family) {
    case sim::chip_family::fxx2_xx8:
    case sim::chip_family::f2xxx_4xxx:
    case sim::chip_family::k20:
    case sim::chip_family::k22:
    case sim::chip_family::k80:
    case sim::chip_family::f6527_8722:
        return true;
    case sim::chip_family::fx220_x320:
    case sim::chip_family::f1230_1330:
    case sim::chip_family::k1xk22:
    case sim::chip_family::f8410:
    case sim::chip_family::j10: // no data EEPROM
    case sim::chip_family::j11_j13_j50_j53:
    case sim::chip_family::j6x_8x:
    case sim::chip_family::j97j60:
    case sim::chip_family::k40: // no core instructions: the 8-bit commands reach the EEPROM
    case sim::chip_family::k42_k83:
    case sim::chip_family::q10:
    case sim::chip_family::q43:
    case sim::chip_family::q40_q41:
    case sim::chip_family::q83_q84:
        return false;
    }
    return true;
}

class maker_sequence {
  public:
    using frame_sink = std::function<void(std::uint8_t command, std::uint16_t payload)>;

    maker_sequence(sim::chip_family family, frame_sink send)
        : family_(family), profile_(sim::profile_of(family)), send_(std::move(send)) {}

    const sim::family_profile& profile() const { return profile_; }

    void core(std::uint16_t opcode) { send_(0x0, opcode); }

    // MOVLW/MOVWF into TBLPTRU, TBLPTRH, TBLPTRL.
    void set_pointer(std::uint32_t address) {
        core(static_cast<std::uint16_t>(0x0E00 | ((address >> 16) & 0xFF)));
        core(0x6EF8);
        core(static_cast<std::uint16_t>(0x0E00 | ((address >> 8) & 0xFF)));
        core(0x6EF7);
        core(static_cast<std::uint16_t>(0x0E00 | (address & 0xFF)));
        core(0x6EF6);
    }

    void bsf_eecon1(int bit) { core(bit_operation(0x8000, bit)); }
    void bcf_eecon1(int bit) { core(bit_operation(0x9000, bit)); }

    // One bulk-erase key into the family's erase registers, 3C0006h or 3C0005h first. The
    // FXX2 and X220 documents write the key byte as 00kkh, the later ones repeat it in both
    // halves of the payload.
    void load_erase_key(std::uint32_t key) {
        const int registers = profile_.erase_registers;
        for (int reg = registers - 1; reg >= 0; --reg) {
            const auto byte = static_cast<std::uint16_t>((key >> (8 * reg)) & 0xFF);
            set_pointer(0x3C0004u + static_cast<std::uint32_t>(reg));
            send_(0xC, registers == 1 ? byte : static_cast<std::uint16_t>(byte * 0x0101));
        }
    }

    // The keys that erase the whole chip, in order: the family's chip-erase key, or on a
    // family without one every region's key as the family lists them.
    std::vector<std::uint32_t> chip_erase_keys() const {
        std::vector<std::uint32_t> keys;
        for (const sim::erase_option& option : profile_.erase_options) {
            if (option.plan.chip)
                return {option.key};
            keys.push_back(option.key);
        }
        return keys;
    }

    // Panel writes: BSF EEPGD, BSF CFGS and 0 into 3C0006h select single-panel writes.
    void select_single_panel() {
        bsf_eecon1(eepgd);
        bsf_eecon1(cfgs);
        set_pointer(0x3C0006);
        send_(0xC, 0x0000);
    }

    // EEPGD and CFGS where EECON1 has them (not on the J-series), and WREN where needed.
    void select_code_memory() {
        if (profile_.eecon1_selects_memory) {
            bsf_eecon1(eepgd);
            bcf_eecon1(cfgs);
        }
        if (profile_.wren_for_table_writes)
            bsf_eecon1(wren);
    }

    void select_config_memory() {
        bsf_eecon1(eepgd);
        bsf_eecon1(cfgs);
        if (profile_.wren_for_table_writes)
            bsf_eecon1(wren);
        if (profile_.protected_pc_blocks_writes) {
            core(0xEF00); // GOTO 100000h
            core(0xF800);
        }
    }

    void select_eeprom() {
        bcf_eecon1(eepgd);
        bcf_eecon1(cfgs);
    }

    void set_eeprom_address(std::uint32_t address) {
        const eeprom_registers r = registers_of(family_);
        core(static_cast<std::uint16_t>(0x0E00 | (address & 0xFF)));
        core(movwf(r.eeadr));
        if (!loads_eeadrh(family_))
            return;
        core(static_cast<std::uint16_t>(0x0E00 | ((address >> 8) & 0xFF)));
        core(movwf(r.eeadrh));
    }

    // Selects the data EEPROM and loads the address and EEDATA of a write.
    void load_eeprom_write(std::uint32_t address, std::uint8_t value) {
        select_eeprom();
        set_eeprom_address(address);
        core(static_cast<std::uint16_t>(0x0E00 | value));
        core(movwf(registers_of(family_).eedata));
    }

    // WREN, the EECON2 55h/AAh unlock where the family needs it, and WR.
    void start_eeprom_write() {
        bsf_eecon1(wren);
        if (profile_.unlock_before_wr) {
            const std::uint16_t eecon2 = registers_of(family_).eecon2;
            core(0x0E55);
            core(movwf(eecon2));
            core(0x0EAA);
            core(movwf(eecon2));
        }
        bsf_eecon1(wr);
    }

    // Frames after BSF EECON1,WR up to the one whose clocks start the self-timed write.
    int frames_until_write_starts() const { return (profile_.write_start_clock + 19) / 20; }

    static std::uint16_t movwf(std::uint16_t file) {
        return static_cast<std::uint16_t>(0x6E00 | file);
    }
    static std::uint16_t movf_w(std::uint16_t file) {
        return static_cast<std::uint16_t>(0x5000 | file);
    }

  private:
    std::uint16_t bit_operation(int opcode, int bit) const {
        return static_cast<std::uint16_t>(opcode | (bit << 9) | registers_of(family_).eecon1);
    }

    sim::chip_family family_;
    const sim::family_profile& profile_;
    frame_sink send_;
};

} // namespace test_support
