// The part table: name lookup in every accepted form, and the consistency rules every row
// must keep (sizes, unique device IDs, erased configuration inside the implemented mask,
// a family profile row for each part).
#include "sim/part_table.h"

#include <gtest/gtest.h>

#include <bit>
#include <set>

namespace {

TEST(PartTable, FindsPartsByNameInEveryForm) {
    const struct {
        const char* query;
        const char* expected; // nullptr: unknown
    } cases[] = {
        {"18F4520", "18F4520"},     {"PIC18F4520", "18F4520"},     {"pic18f4520", "18F4520"},
        {"18f4520", "18F4520"},     {" PIC18F452 ", "18F452"},     {"pic18f23k20", "18F23K20"},
        {"PIC18F4450", "18F4450"},  {"pic18lf45k22", "18LF45K22"}, {"", nullptr},
        {"PIC", nullptr},           {"18F4521", nullptr},          {"PIC18F4520X", nullptr},
        {"PICPIC18F4520", nullptr},
    };
    for (const auto& c : cases) {
        const sim::part_info* part = sim::find_part(c.query);
        if (c.expected == nullptr) {
            EXPECT_EQ(part, nullptr) << "query '" << c.query << "'";
        } else {
            ASSERT_NE(part, nullptr) << "query '" << c.query << "'";
            EXPECT_EQ(part->name, c.expected) << "query '" << c.query << "'";
        }
    }
}

TEST(PartTable, PartNumberInsideAModelName) {
    EXPECT_EQ(sim::part_of_model("PIC18F4520"), "18F4520");
    EXPECT_EQ(sim::part_of_model("PIC18F452 (DIP)"), "18F452");
    EXPECT_EQ(sim::part_of_model("Other"), "Other");
    EXPECT_NE(sim::known_part_names().find("18F242, 18F252"), std::string::npos);
}

TEST(PartTable, EveryRowIsConsistent) {
    std::set<std::string> names;
    std::set<std::uint16_t> ids;
    for (const sim::part_info& p : sim::known_parts()) {
        SCOPED_TRACE(p.name);
        EXPECT_TRUE(names.insert(p.name).second) << "duplicate name";
        EXPECT_TRUE(ids.insert(p.device_id).second) << "duplicate DEVID";
        const sim::family_profile& profile = sim::profile_of(p.family);
        EXPECT_EQ(p.config_size, profile.config_bytes);
        for (std::size_t i = static_cast<std::size_t>(p.config_size); i < p.config_mask.size(); ++i)
            EXPECT_EQ(p.config_mask[i], 0) << "CONFIG byte " << i << " beyond the part's";
        if (profile.command8 != nullptr) {
            // 8-bit-command parts: a full 16-bit ID, every implemented bit erased to 1, the CP
            // bit implemented, rows of 64 or 128 bytes (K) or pages of 128 words (Q).
            const auto cp = static_cast<std::size_t>(profile.command8->cp_config_index);
            EXPECT_EQ(p.config_erased, p.config_mask);
            EXPECT_NE(p.config_mask[cp] & profile.command8->cp_bit, 0);
            EXPECT_TRUE(p.write_buffer == 64 || p.write_buffer == 128 || p.write_buffer == 256);
            EXPECT_TRUE(p.eeprom_bytes == 256 || p.eeprom_bytes == 512 || p.eeprom_bytes == 1024);
            EXPECT_EQ(p.vdd_max_volts, p.name.starts_with("18LF") ? 3.6 : 5.5);
            continue;
        }
        EXPECT_EQ(p.device_id & 0x0F, 0) << "revision bits must be 0";
        EXPECT_TRUE(p.write_buffer == 8 || p.write_buffer == 16 || p.write_buffer == 32 ||
                    p.write_buffer == 64);
        EXPECT_EQ(p.flash_bytes % 8192 == 0 || p.flash_bytes == 4096, true);
        EXPECT_TRUE(p.eeprom_bytes == 0 || p.eeprom_bytes == 128 || p.eeprom_bytes == 256 ||
                    p.eeprom_bytes == 1024);
        for (std::size_t i = 0; i < 14; ++i)
            EXPECT_EQ(p.config_erased[i] & ~p.config_mask[i], 0) << "CONFIG byte " << i;
        if (sim::profile_of(p.family).config_in_flash) {
            // Eight configuration bytes at the FLASH's end, CP0 always implemented.
            for (std::size_t i = 8; i < 14; ++i)
                EXPECT_EQ(p.config_mask[i], 0) << "CONFIG byte " << i;
            EXPECT_EQ(p.config_mask[1] & 0x04, 0x04);
            EXPECT_EQ(p.eeprom_bytes, 0);
            continue;
        }
        // CONFIG3L exists on the motor and power control parts and on the 80-pin parts with
        // an external memory bus (all 18F8xxx but the 8x9x LCD parts) only, CONFIG4H never;
        // one CP/WRT/EBTR bit per code block, or on the 8410 family one CP bit for the whole
        // memory, no WRT bits and at most one EBTR bit.
        const bool has_config3l = p.name == "18F2331" || p.name == "18F2431" ||
                                  p.name == "18F4331" || p.name == "18F4431" ||
                                  p.name == "18F1230" || p.name == "18F1330" ||
                                  (p.name.starts_with("18F8") && p.name[5] != '9');
        EXPECT_EQ(p.config_mask[4] != 0, has_config3l);
        EXPECT_EQ(p.config_mask[7], 0);
        const int blocks = std::popcount(static_cast<unsigned>(p.config_mask[8]));
        EXPECT_EQ(p.config_mask[8], (1 << blocks) - 1);
        if (p.config_mask[10] == 0) {
            EXPECT_EQ(blocks, 1);
            EXPECT_LE(p.config_mask[12], 0x01);
        } else {
            EXPECT_EQ(p.config_mask[10], p.config_mask[8]);
            EXPECT_EQ(p.config_mask[12], p.config_mask[8]);
        }
        EXPECT_EQ(p.flash_bytes % blocks, 0);
        // No data EEPROM, no CPD and WRTD bits.
        EXPECT_EQ((p.config_mask[9] & 0x80) != 0, p.eeprom_bytes != 0);
        EXPECT_EQ((p.config_mask[11] & 0x80) != 0, p.eeprom_bytes != 0);
    }
    EXPECT_EQ(sim::known_parts().size(), 251u + 84u);
}

// Every family a part names has its profile row (profile_of throws for one without), every
// row serves a part, and every documented erase key fits the row's erase registers.
TEST(PartTable, FamiliesHaveProfileRowsAndEveryRowHasParts) {
    std::set<sim::chip_family> named;
    for (const sim::part_info& p : sim::known_parts()) {
        EXPECT_EQ(sim::profile_of(p.family).family, p.family) << p.name;
        named.insert(p.family);
    }
    for (const sim::family_profile& row : sim::family_profiles()) {
        EXPECT_TRUE(named.contains(row.family)) << row.name << ": no part";
        for (const sim::erase_option& option : row.erase_options)
            EXPECT_LT(option.key, 1u << (8 * row.erase_registers)) << row.name;
    }
}

TEST(PartTable, SpotChecksAgainstTheDeviceTable) {
    const struct {
        const char* name;
        sim::chip_family family;
        int flash, eeprom, buffer;
        std::uint16_t devid;
        std::uint8_t blocks, erased_1h, erased_3h;
    } rows[] = {
        {"18F452", sim::chip_family::fxx2_xx8, 32768, 256, 8, 0x0420, 0x0F, 0x27, 0x01},
        {"18F248", sim::chip_family::fxx2_xx8, 16384, 256, 8, 0x0800, 0x03, 0x27, 0x00},
        {"18F1220", sim::chip_family::fx220_x320, 4096, 256, 8, 0x07E0, 0x03, 0xCF, 0x80},
        {"18F2321", sim::chip_family::f2xxx_4xxx, 8192, 256, 8, 0x2120, 0x03, 0x07, 0x83},
        {"18F2523", sim::chip_family::f2xxx_4xxx, 32768, 256, 32, 0x1110, 0x0F, 0x07, 0x83},
        {"18F4455", sim::chip_family::f2xxx_4xxx, 24576, 256, 32, 0x1220, 0x07, 0x05, 0x83},
        {"18F4525", sim::chip_family::f2xxx_4xxx, 49152, 1024, 64, 0x0C40, 0x07, 0x07, 0x83},
        {"18F2510", sim::chip_family::f2xxx_4xxx, 32768, 0, 32, 0x1120, 0x0F, 0x07, 0x83},
        {"18F2450", sim::chip_family::f2xxx_4xxx, 16384, 0, 16, 0x2420, 0x03, 0x05, 0x82},
        {"18F2580", sim::chip_family::f2xxx_4xxx, 32768, 256, 32, 0x1AC0, 0x0F, 0x07, 0x82},
        {"18F4610", sim::chip_family::f2xxx_4xxx, 65536, 0, 64, 0x0C20, 0x0F, 0x07, 0x83},
        {"18F4685", sim::chip_family::f2xxx_4xxx, 98304, 1024, 64, 0x2760, 0x3F, 0x07, 0x82},
        {"18F2431", sim::chip_family::fxx2_xx8, 16384, 256, 8, 0x08C0, 0x0F, 0xCF, 0x80},
        {"18F4331", sim::chip_family::fxx2_xx8, 8192, 256, 8, 0x08A0, 0x03, 0xCF, 0x9D},
        {"18F1330", sim::chip_family::f1230_1330, 8192, 128, 8, 0x1E20, 0x03, 0x07, 0x81},
        {"18F43K20", sim::chip_family::k20, 8192, 256, 8, 0x20C0, 0x03, 0x07, 0x8B},
        {"18F26K20", sim::chip_family::k20, 65536, 1024, 64, 0x2020, 0x0F, 0x07, 0x8B},
        {"18F23K22", sim::chip_family::k22, 8192, 256, 64, 0x5740, 0x03, 0x25, 0xBF},
        {"18LF46K22", sim::chip_family::k22, 65536, 1024, 64, 0x5420, 0x0F, 0x25, 0xBF},
        {"18F13K22", sim::chip_family::k1xk22, 8192, 256, 8, 0x4F40, 0x03, 0x27, 0x88},
        {"18LF14K22", sim::chip_family::k1xk22, 16384, 256, 16, 0x4F60, 0x03, 0x27, 0x88},
        {"18F45K80", sim::chip_family::k80, 32768, 1024, 64, 0x6160, 0x0F, 0x08, 0x89},
        {"18LF66K80", sim::chip_family::k80, 65536, 1024, 64, 0x61C0, 0x0F, 0x08, 0x8F},
        {"18F24K50", sim::chip_family::k22, 16384, 256, 64, 0x5C60, 0x03, 0x25, 0xD3},
        {"18LF14K50", sim::chip_family::k1xk22, 16384, 256, 16, 0x4720, 0x03, 0x27, 0x88},
        {"18F8585", sim::chip_family::fxx2_xx8, 49152, 1024, 8, 0x0A40, 0x07, 0x2F, 0x83},
        {"18F6720", sim::chip_family::fxx2_xx8, 131072, 1024, 8, 0x0620, 0xFF, 0x27, 0x01},
        {"18F8627", sim::chip_family::f6527_8722, 98304, 1024, 64, 0x13E0, 0x3F, 0x07, 0x83},
        {"18F6393", sim::chip_family::f8410, 8192, 0, 16, 0x1A00, 0x01, 0x07, 0x81},
        {"18LF24J50", sim::chip_family::j11_j13_j50_j53, 16384, 0, 64, 0x4CC0, 0, 0x07, 0x09},
        {"18F46J13", sim::chip_family::j11_j13_j50_j53, 65536, 0, 64, 0x59A0, 0, 0x04, 0x0F},
        {"18F45J10", sim::chip_family::j10, 32768, 0, 64, 0x1C20, 0, 0x04, 0x01},
        {"18F85J15", sim::chip_family::j6x_8x, 49152, 0, 64, 0x1700, 0, 0x04, 0x03},
        {"18F97J60", sim::chip_family::j97j60, 131072, 0, 64, 0x1FA0, 0, 0x04, 0x07},
        {"18F47K40", sim::chip_family::k40, 131072, 1024, 128, 0x6900, 0x03, 0x29, 0x3F},
        {"18LF24K40", sim::chip_family::k40, 16384, 256, 64, 0x6AA0, 0x03, 0x29, 0x3F},
        {"18LF26K42", sim::chip_family::k42_k83, 65536, 1024, 128, 0x6DA0, 0x01, 0x2B, 0x3F},
        {"18F25K83", sim::chip_family::k42_k83, 32768, 1024, 128, 0x6EE0, 0x01, 0x2B, 0x3F},
        {"18F47Q10", sim::chip_family::q10, 131072, 1024, 256, 0x70E0, 0x03, 0x29, 0x3F},
        {"18F47Q43", sim::chip_family::q43, 131072, 1024, 256, 0x74A0, 0x00, 0x29, 0x3F},
        {"18F16Q41", sim::chip_family::q40_q41, 65536, 512, 256, 0x7560, 0x01, 0xEB, 0x3F},
        {"18F26Q83", sim::chip_family::q83_q84, 65536, 1024, 256, 0xA306, 0x33, 0xFB, 0x3F},
    };
    for (const auto& r : rows) {
        const sim::part_info* p = sim::find_part(r.name);
        ASSERT_NE(p, nullptr) << r.name;
        EXPECT_EQ(p->family, r.family) << r.name;
        EXPECT_EQ(p->flash_bytes, r.flash) << r.name;
        EXPECT_EQ(p->eeprom_bytes, r.eeprom) << r.name;
        EXPECT_EQ(p->write_buffer, r.buffer) << r.name;
        EXPECT_EQ(p->device_id, r.devid) << r.name;
        EXPECT_EQ(p->config_mask[8], r.blocks) << r.name;
        EXPECT_EQ(p->config_erased[1], r.erased_1h) << r.name;
        EXPECT_EQ(p->config_erased[5], r.erased_3h) << r.name;
    }
}

} // namespace
