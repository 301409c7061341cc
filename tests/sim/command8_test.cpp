// The 8-bit-command families on the wire, one part each: key entry with MCLR low and the
// high-voltage entry, the ID words, bulk erase, FLASH, configuration, EEPROM and user ID
// writes read back, busy refusals, code protection, and one command and one read bit by bit.
#include "icsp_host.h"
#include "sim/chip_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using sim_test::has_error;
using sim_test::icsp_host;

constexpr const char* one_part_per_family[] = {"18F47K40", "18F26K42", "18F26K83", "18F47Q10",
                                               "18F47Q43", "18F16Q41", "18F47Q84"};

struct bench {
    explicit bench(const char* name, double vdd = 5.0, double mclr = 5.0)
        : chip(*sim::find_part(name)), host(chip) {
        chip.set_supply_volts(vdd, mclr);
    }
    const sim::family_profile& profile() const { return sim::profile_of(chip.part().family); }
    const sim::command8_rules& rules() const { return *profile().command8; }
    bool rows() const { return profile().frame == sim::command_frame::rows_8bit; }
    // The erased configuration word or byte at 300000h + index.
    std::uint16_t erased_config(std::uint32_t index) const {
        const sim::config_array& mask = chip.part().config_mask;
        return rules().config_step == 1
                   ? mask[index]
                   : static_cast<std::uint16_t>(mask[index] | mask[index + 1] << 8);
    }

    // One word (or byte) programmed at `address`: through the data latch and E0h on the K
    // families, by C0h with the data elsewhere; then the busy time `wait_us`.
    void program(std::uint32_t address, std::uint16_t value, std::int64_t wait_us) {
        host.command8(0x80, address);
        if (rows()) {
            host.command8(0x00, value);
            host.command8(0xE0);
        } else {
            host.command8(0xC0, value);
        }
        host.wait_us(wait_us);
    }
    std::uint16_t read(std::uint32_t address) {
        host.command8(0x80, address);
        return host.read8(0xFC);
    }
    // Everything erased: 300000h and the EEPROM by the PC, or all four regions by payload.
    void erase_all() {
        const std::int64_t wait = rules().times.bulk_erase;
        if (profile().frame == sim::command_frame::regions_8bit) {
            host.command8(0x18, 0x00000F);
            host.wait_us(wait);
            return;
        }
        for (const std::uint32_t pc : {0x300000u, rules().eeprom_base}) {
            host.command8(0x80, pc);
            host.command8(0x18);
            host.wait_us(wait);
        }
    }

    sim::virtual_chip chip;
    icsp_host host;
};

struct entry_case {
    const char* what;
    double mclr_volts;
    void (*run)(icsp_host&);
    bool enters;
    const char* error; // nullptr: none
};

TEST(Command8Entry, KeyWithMclrLowOrHighVoltageWithinNineVolts) {
    const auto hv_entry = [](icsp_host& h) {
        h.set_lines(true, false, false, false);
        h.wait_us(1000);
        h.set_lines(true, true, false, false);
        h.wait_us(1000);
    };
    const entry_case cases[] = {
        {"key, MCLR low", 5.0, [](icsp_host& h) { h.enter_key_low(); }, true, nullptr},
        {"MCLR raised after the key", 5.0,
         [](icsp_host& h) {
             h.enter_key_low();
             h.set_lines(true, true, false, false);
         },
         false, nullptr},
        {"wrong key", 5.0, [](icsp_host& h) { h.enter_key_low(0x4D434851); }, false,
         "4D434851h is not 4D434850h"},
        {"MCLR at 8.5 V", 8.5, hv_entry, true, nullptr},
        {"MCLR at 13 V", 13.0, hv_entry, false, "above the 9.0 V maximum"},
    };
    for (const char* part : one_part_per_family) {
        for (const entry_case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " on " + part);
            bench b(part, 5.0, c.mclr_volts);
            c.run(b.host);
            EXPECT_EQ(b.chip.in_program_mode(), c.enters);
            if (c.enters) {
                EXPECT_EQ(b.read(0x3FFFFE), b.chip.part().device_id);
                EXPECT_EQ(b.read(0x3FFFFC), 0xA0C1);
            }
            if (c.error == nullptr)
                EXPECT_TRUE(b.chip.protocol_errors().empty()) << b.chip.protocol_errors().front();
            else
                EXPECT_TRUE(has_error(b.chip, c.error));
        }
    }
    bench lf("18LF26K42");
    lf.host.enter_key_low();
    EXPECT_FALSE(lf.chip.in_program_mode());
    EXPECT_TRUE(has_error(lf.chip, "VDD at 5.0 V, above the 3.6 V maximum of a 18LF26K42 part"));
}

TEST(Command8, ErasesProgramsAndReadsBackEveryMemory) {
    for (const char* part : one_part_per_family) {
        SCOPED_TRACE(part);
        bench b(part);
        std::ranges::fill(b.chip.flash(), std::uint8_t{0});
        std::ranges::fill(b.chip.id_locations(), std::uint8_t{0});
        b.host.enter_key_low();
        b.erase_all();
        EXPECT_EQ(b.read(0x000000), 0xFFFF);
        EXPECT_EQ(b.read(0x200000), 0xFFFF);
        EXPECT_EQ(b.read(0x3FFFFE), b.chip.part().device_id) << "the ID survives the erase";
        const sim::nvm_times& t = b.rules().times;
        // FLASH: 64-byte halves of one row (K), or words (Q), at 1000h.
        std::vector<std::uint8_t> data(128);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::uint8_t>(i * 7 + 1);
        if (b.rows()) {
            for (std::uint32_t half = 0; half < 128; half += 64) {
                b.host.command8(0x80, 0x1000 + half);
                for (std::uint32_t i = 0; i < 64; i += 2)
                    b.host.command8(i + 2 < 64 ? 0x02 : 0x00,
                                    data[half + i] | data[half + i + 1] << 8);
                if (half == 0) { // internally timed
                    b.host.command8(0xE0);
                    b.host.wait_us(t.code);
                } else { // externally timed
                    b.host.command8(0xC0);
                    b.host.wait_us(t.external_min);
                    b.host.command8(0x82);
                    b.host.wait_us(t.external_tail);
                }
            }
        } else {
            b.host.command8(0x80, 0x1000);
            for (std::uint32_t i = 0; i < 128; i += 2) {
                b.host.command8(0xE0, data[i] | data[i + 1] << 8);
                b.host.wait_us(t.code);
            }
        }
        b.host.command8(0x80, 0x1000);
        for (std::uint32_t i = 0; i < 128; i += 2)
            EXPECT_EQ(b.host.read8(0xFE), data[i] | data[i + 1] << 8) << "FLASH " << i;
        // A configuration word or byte, a user ID word and an EEPROM byte.
        const std::uint16_t config = b.rules().config_step == 2 ? 0x1122 : 0x22;
        b.program(0x300000, config, t.config);
        b.program(0x200002, 0x5AA5, t.user_id);
        b.program(b.rules().eeprom_base + 5, 0x3C, t.eeprom);
        EXPECT_EQ(b.read(0x300000), config & b.erased_config(0));
        EXPECT_EQ(b.read(0x200002), 0x5AA5);
        EXPECT_EQ(b.read(b.rules().eeprom_base + 5), 0x3C);
        EXPECT_EQ(b.chip.eeprom()[5], 0x3C);
        // The EEPROM alone: by the PC at its base, or by payload bit 0.
        if (b.profile().frame == sim::command_frame::regions_8bit) {
            b.host.command8(0x18, 0x000001);
        } else {
            b.host.command8(0x80, b.rules().eeprom_base);
            b.host.command8(0x18);
        }
        b.host.wait_us(t.bulk_erase);
        EXPECT_EQ(b.read(b.rules().eeprom_base + 5), 0xFF);
        EXPECT_EQ(b.read(0x1000), data[0] | data[1] << 8);
        EXPECT_EQ(b.read(0x200002), 0x5AA5);
        EXPECT_TRUE(b.chip.protocol_errors().empty()) << b.chip.protocol_errors().front();
        // A command before the EEPROM write's time is up is ignored and flagged.
        b.program(b.rules().eeprom_base + 6, 0x00, 0);
        b.host.command8(0x80, 0x000000);
        EXPECT_TRUE(has_error(b.chip, "before an EEPROM write ended: ignored"));
        EXPECT_TRUE(b.chip.write_in_progress());
    }
}

TEST(Command8, CodeProtectionHidesFlashIdsAndEepromUntilBulkErase) {
    for (const char* part : one_part_per_family) {
        SCOPED_TRACE(part);
        bench b(part);
        std::ranges::fill(b.chip.flash(), std::uint8_t{0x12});
        std::ranges::fill(b.chip.id_locations(), std::uint8_t{0x34});
        std::ranges::fill(b.chip.eeprom(), std::uint8_t{0x56});
        b.host.enter_key_low();
        const auto cp = static_cast<std::uint32_t>(b.rules().cp_config_index);
        const std::uint32_t config_at = 0x300000 + (cp & ~(b.rules().config_step - 1u));
        const auto cleared = static_cast<std::uint16_t>(
            b.rules().config_step == 2 ? ~(b.rules().cp_bit << (8 * (cp & 1))) & 0xFFFF
                                       : ~b.rules().cp_bit & 0xFF);
        b.program(config_at, cleared, b.rules().times.config);
        EXPECT_EQ(b.read(0x000100), 0);
        EXPECT_EQ(b.read(0x200000), 0);
        EXPECT_EQ(b.read(b.rules().eeprom_base), 0);
        EXPECT_EQ(b.read(config_at), cleared & b.erased_config(config_at - 0x300000));
        EXPECT_EQ(b.read(0x3FFFFE), b.chip.part().device_id);
        EXPECT_EQ(b.chip.config()[cp] & b.rules().cp_bit, 0);
        b.erase_all();
        EXPECT_EQ(b.read(0x000100), 0xFFFF);
        EXPECT_EQ(b.read(b.rules().eeprom_base), 0xFF);
        EXPECT_TRUE(b.chip.protocol_errors().empty()) << b.chip.protocol_errors().front();
    }
}

// The chip file keeps the EEPROM at 310000h/380000h, the whole user ID area and the
// configuration bytes the part has.
TEST(Command8, ChipFileKeepsEveryMemory) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "pinwright_command8_chip.hex").string();
    for (const char* part : {"18F47Q10", "18F47Q43"}) {
        SCOPED_TRACE(part);
        sim::virtual_chip chip(*sim::find_part(part));
        chip.flash()[0x1FFFF] = 0x11;
        chip.eeprom().back() = 0x22;
        chip.id_locations().back() = 0x33;
        chip.config().back() = 0x04;
        ASSERT_TRUE(sim::save_chip_file(path, chip).ok());
        sim::virtual_chip back(chip.part());
        const image::hex_read_result read = sim::load_chip_file(path, back);
        ASSERT_TRUE(read.accepted());
        EXPECT_TRUE(read.warning.ok()) << image::failure_text(read.warning);
        EXPECT_EQ(back.flash(), chip.flash());
        EXPECT_EQ(back.eeprom(), chip.eeprom());
        EXPECT_TRUE(std::ranges::equal(back.id_locations(), chip.id_locations()));
        EXPECT_TRUE(std::ranges::equal(back.config(), chip.config()));
    }
    std::filesystem::remove(path);
}

// 80h with 300000h on the wire: 10000000, then 600000h MSb first; and a read of the device
// ID 74A0h of an 18F47Q43 as the chip drives it on the rising edges: 74A0h << 1 = 00E940h.
TEST(Command8, OneCommandAndOneReadBitByBit) {
    bench b("18F47Q43");
    b.host.enter_key_low();
    const std::string load_pc = "10000000"
                                "011000000000000000000000";
    for (std::size_t i = 0; i < load_pc.size(); ++i) {
        const bool bit = load_pc[i] == '1';
        b.host.set_lines(true, false, true, false);
        b.host.set_lines(true, false, true, bit);
        b.host.set_lines(true, false, false, bit);
        if (i == 7)
            b.host.wait_us(2); // TDLY between command and payload
    }
    b.host.wait_us(2);
    EXPECT_EQ(b.host.read8(0xFC), b.chip.part().config_mask[0]) << "PC at 300000h";

    b.host.command8(0x80, 0x3FFFFE);
    const std::string read_id = "11111100";
    for (const char bit : read_id) {
        b.host.set_lines(true, false, true, false);
        b.host.set_lines(true, false, true, bit == '1');
        b.host.set_lines(true, false, false, bit == '1');
    }
    b.host.wait_us(2);
    std::string driven;
    for (int i = 0; i < 24; ++i) {
        b.host.set_lines(true, false, true, true);
        const std::optional<bool> level = b.chip.pgd_output(b.host.now());
        driven += !level ? '-' : *level ? '1' : '0';
        b.host.set_lines(true, false, false, true);
    }
    EXPECT_EQ(driven, "000000001110100101000000");
    EXPECT_FALSE(b.chip.pgd_output(b.host.now())) << "PGD released after the 24th clock";
    EXPECT_TRUE(b.chip.protocol_errors().empty()) << b.chip.protocol_errors().front();
}

} // namespace
