// Bulk erase with each family's keys and timing, the ways a bulk erase fails, partial
// erases, and row erase through EECON1.
#include "icsp_host.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using sim::chip_family;
using sim_test::fault_case;
using sim_test::has_error;
using sim_test::icsp_host;

// A used, fully protected chip: everything programmed to 0, every configuration bit 0.
void make_used(sim::virtual_chip& chip) {
    std::fill(chip.flash().begin(), chip.flash().end(), std::uint8_t{0});
    std::fill(chip.eeprom().begin(), chip.eeprom().end(), std::uint8_t{0x12});
    std::ranges::fill(chip.id_locations(), std::uint8_t{0});
    std::ranges::fill(chip.config(), std::uint8_t{0});
}

bool is_blank(sim::virtual_chip& chip) {
    const sim::part_info& p = chip.part();
    for (std::uint8_t b : chip.flash())
        if (b != 0xFF)
            return false;
    for (std::uint8_t b : chip.eeprom())
        if (b != 0xFF)
            return false;
    for (std::uint8_t b : chip.id_locations())
        if (b != 0xFF)
            return false;
    for (std::size_t i = 0; i < chip.config().size(); ++i)
        if (chip.config()[i] != (p.config_erased[i] & p.config_mask[i]))
            return false;
    return true;
}

TEST(BulkErase, ChipEraseKeysEraseEverythingAndResetConfiguration) {
    const struct {
        const char* part;
        std::uint16_t high, low;
        std::int64_t wait_us;
    } cases[] = {
        {"18F458", 0, 0x0080, 10005},         {"18F1220", 0, 0x0080, 5005},
        {"18F4520", 0x3F3F, 0x8F8F, 5100},    {"18F2620", 0x3F3F, 0x8F8F, 5100},
        {"18F4450", 0x3F3F, 0x8F8F, 5100},    {"18F25K20", 0x0F0F, 0x8F8F, 5200},
        {"18F25K20", 0x0F0F, 0x8787, 5200},   {"18F46K22", 0x0F0F, 0x8F8F, 15200},
        {"18LF24K22", 0x0F0F, 0x8F8F, 12200}, {"18F13K22", 0x0F0F, 0x8F8F, 5100},
        {"18F1330", 0x0F0F, 0x8787, 5100},    {"18F6720", 0, 0x0080, 10005},
        {"18F45K50", 0x0F0F, 0x8F8F, 15200},  {"18F8722", 0xFFFF, 0x8787, 5100},
        {"18F8410", 0x010A, 0x018A, 30200},
    };
    for (const auto& c : cases) {
        sim::virtual_chip chip(*sim::find_part(c.part));
        make_used(chip);
        icsp_host host(chip);
        host.power_up();
        host.bulk_erase(c.high, c.low, c.wait_us);
        EXPECT_TRUE(is_blank(chip)) << c.part << " keys " << c.high << "/" << c.low;
        EXPECT_EQ(host.read_table(0, 1)[0], 0xFF) << c.part;
        EXPECT_TRUE(chip.protocol_errors().empty())
            << c.part << ": " << chip.protocol_errors().front();
    }
}

TEST(BulkErase, WrongKeysOrTimingEraseNothing) {
    static const fault_case cases[] = {
        {"2XXX key on FXX2", "18F452", "not a documented erase option",
         [](icsp_host& h) { h.bulk_erase(0, 0x8F8F, 10005); }},
        {"K20 key on 2XXX", "18F4520", "not a documented erase option",
         [](icsp_host& h) { h.bulk_erase(0x0F0F, 0x8787, 5100); }},
        {"2XXX key on K20", "18F45K20", "not a documented erase option",
         [](icsp_host& h) { h.bulk_erase(0x3F3F, 0x8F8F, 5200); }},
        {"K20 key on 1230", "18F1330", "not a documented erase option",
         [](icsp_host& h) { h.bulk_erase(0x0F0F, 0x8F8F, 5100); }},
        {"registers in the wrong order", "18F4520", "not a documented erase option",
         [](icsp_host& h) {
             h.load_erase_key(0x3C0004, 0x8F8F);
             h.load_erase_key(0x3C0005, 0x3F3F);
             h.core(0x0000);
             h.erase_hold(5100);
         }},
        {"FXX2 wait of the older 5 ms", "18F452", "needs P11",
         [](icsp_host& h) {
             h.bulk_erase(0, 0x0080, 5005);
             h.core(0x0000);
         }},
        {"2XXX wait under 5 ms", "18F4520", "needs P11",
         [](icsp_host& h) {
             h.bulk_erase(0x3F3F, 0x8F8F, 4900);
             h.core(0x0000);
         }},
        {"the 12 ms of the small K22 parts on a 64 KB one", "18LF26K22", "needs P11 = 15000 us",
         [](icsp_host& h) {
             h.bulk_erase(0x0F0F, 0x8F8F, 12200);
             h.core(0x0000);
         }},
        {"2XXX key on 6527/8722", "18F8722", "not a documented erase option",
         [](icsp_host& h) { h.bulk_erase(0x3F3F, 0x8F8F, 5100); }},
        {"the 2XXX erase wait on the 8410 family", "18F6410", "needs P11",
         [](icsp_host& h) {
             h.bulk_erase(0x010A, 0x018A, 5100);
             h.core(0x0000);
         }},
        {"chip-erase keys on xxK80, which has none", "18F46K80", "not a documented erase option",
         [](icsp_host& h) { h.bulk_erase(0x0F0F, 0x8F8F, 5100); }},
        {"xxK80 region key without 3C0006h", "18F46K80", "erase key 000104h",
         [](icsp_host& h) { h.bulk_erase(0x0101, 0x0404, 5100); }},
        {"no NOP after the key", "18F4520", "not followed by a 0000 0000 NOP",
         [](icsp_host& h) {
             h.load_erase_keys(0x3F3F, 0x8F8F);
             h.core(0x0E00);
             h.erase_hold(5100);
         }},
        {"PGD raised during the erase", "18F4520", "PGD raised",
         [](icsp_host& h) {
             h.load_erase_keys(0x3F3F, 0x8F8F);
             h.core(0x0000);
             h.send(0x0, 0x8000); // the erase frame with a 1 in its payload
             h.wait_us(6000);
         }},
    };
    for (const fault_case& c : cases) {
        sim::virtual_chip chip(*sim::find_part(c.part));
        make_used(chip);
        icsp_host host(chip);
        host.power_up();
        c.run(host);
        host.wait_us(20000);
        EXPECT_EQ(chip.flash()[0x1000], 0x00) << c.what;
        EXPECT_EQ(chip.config()[8], 0x00) << c.what << ": protection still on";
        EXPECT_TRUE(has_error(chip, c.error)) << c.what;
    }
}

TEST(BulkErase, AcceptsTheEraseFrameClockedWholeBeforeTheWait) {
    // NOP, then a whole 0000 0000 frame, then the wait: PGD stays low, the payload clocks
    // run during the erase, and the next command comes after P11.
    sim::virtual_chip chip(*sim::find_part("18F2550"));
    make_used(chip);
    icsp_host host(chip);
    host.power_up();
    host.load_erase_keys(0x3F3F, 0x8F8F);
    host.core(0x0000);
    host.core(0x0000);
    host.wait_us(10000);
    EXPECT_EQ(host.read_device_id(), 0x1240);
    EXPECT_TRUE(is_blank(chip));
    EXPECT_TRUE(chip.protocol_errors().empty());
}

TEST(BulkErase, PartialErasesTouchOnlyTheirRegion) {
    const struct {
        const char* part;
        std::int64_t wait_us;
        std::uint16_t eeprom_key, block1_key, boot_key;
        std::uint32_t boot_end;
    } cases[] = {
        {"18F4520", 5100, 0x0084, 0x0280, 0x0081, 0x800}, // 2 KB boot block, 8 KB blocks
        {"18F458", 10005, 0x81, 0x89, 0x83, 0x200},       // 512-byte boot block, 8 KB panels
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        sim::virtual_chip chip(*sim::find_part(c.part));
        make_used(chip);
        icsp_host host(chip);
        host.power_up();
        const auto erase = [&](std::uint16_t key) { // each key byte in both payload bytes
            host.bulk_erase(static_cast<std::uint16_t>((key >> 8) * 0x101),
                            static_cast<std::uint16_t>((key & 0xFF) * 0x101), c.wait_us);
        };
        erase(c.eeprom_key); // data EEPROM only
        EXPECT_EQ(chip.eeprom()[0], 0xFF);
        EXPECT_EQ(chip.flash()[0x100], 0x00);
        erase(c.block1_key);
        EXPECT_EQ(chip.flash()[0x1FFF], 0x00);
        EXPECT_EQ(chip.flash()[0x2000], 0xFF);
        EXPECT_EQ(chip.flash()[0x3FFF], 0xFF);
        EXPECT_EQ(chip.flash()[0x4000], 0x00);
        EXPECT_EQ(chip.config()[8], 0x02) << "CP1 reset with its block";
        erase(c.boot_key);
        EXPECT_EQ(chip.flash()[c.boot_end - 1], 0xFF);
        EXPECT_EQ(chip.flash()[c.boot_end], 0x00);
        EXPECT_EQ(chip.config()[9], 0xC0) << "CPD and CPB reset with the EEPROM and boot block";
        EXPECT_TRUE(chip.protocol_errors().empty());
    }
}

// xxK80 parts have no chip erase: each code block, the boot block, the configuration and the
// data EEPROM have a 3C0006h:3C0005h:3C0004h key of their own.
TEST(BulkErase, K80ErasesRegionByRegion) {
    sim::virtual_chip chip(*sim::find_part("18F46K80")); // 16 KB blocks
    make_used(chip);                                     // BBSIZ = 0: a 1K-word boot block
    icsp_host host(chip);
    host.power_up();
    host.erase_region_k80(0x800204, 5100); // code block 1
    EXPECT_EQ(chip.flash()[0x3FFF], 0x00);
    EXPECT_EQ(chip.flash()[0x4000], 0xFF);
    EXPECT_EQ(chip.flash()[0x7FFF], 0xFF);
    EXPECT_EQ(chip.flash()[0x8000], 0x00);
    EXPECT_EQ(chip.config()[8], 0x02) << "CP1 reset with its block";
    EXPECT_EQ(chip.eeprom()[0], 0x12);
    host.erase_region_k80(0x800104, 5100); // code block 0, after the boot block
    EXPECT_EQ(chip.flash()[0x7FF], 0x00);
    EXPECT_EQ(chip.flash()[0x800], 0xFF);
    host.erase_region_k80(0x800005, 5100); // boot block
    EXPECT_EQ(chip.flash()[0x0], 0xFF);
    for (const std::uint32_t key : {0x800404u, 0x800804u, 0x800002u, 0x800004u})
        host.erase_region_k80(key, 5100);
    const sim::part_info& p = chip.part();
    EXPECT_TRUE(
        std::all_of(chip.flash().begin(), chip.flash().end(), [](auto b) { return b == 0xFF; }));
    EXPECT_TRUE(
        std::all_of(chip.eeprom().begin(), chip.eeprom().end(), [](auto b) { return b == 0xFF; }));
    for (std::size_t i = 0; i < 14; ++i)
        EXPECT_EQ(chip.config()[i], p.config_erased[i] & p.config_mask[i]) << "CONFIG byte " << i;
    EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
}

TEST(BulkErase, CodeProtectedEepromMustBeIncludedOn2xxx) {
    sim::virtual_chip chip(*sim::find_part("18F4520"));
    make_used(chip); // CPD = 0
    icsp_host host(chip);
    host.power_up();
    host.bulk_erase(0x0000, 0x8282, 5100);
    EXPECT_TRUE(has_error(chip, "leaves out the code-protected data EEPROM"));
    EXPECT_EQ(chip.config()[9], 0x00);
}

// Row erase (64 bytes) through EECON1: FXX2/X220 self-timed after the unlock, 2XXX held by
// the next 0000 frame's 4th clock, K20 self-timed from the 24th clock.
TEST(RowErase, ErasesTheRowHoldingTblptr) {
    for (const char* name : {"18F452", "18F1320", "18F4520", "18F45K20"}) {
        sim::virtual_chip chip(*sim::find_part(name));
        std::fill(chip.flash().begin(), chip.flash().end(), std::uint8_t{0});
        const chip_family family = chip.part().family;
        icsp_host host(chip);
        host.power_up();
        host.core(0x8EA6);
        host.core(0x9CA6);
        host.core(0x84A6);
        host.set_pointer(0x1050); // inside row 1040h..107Fh
        host.core(0x88A6);        // FREE
        if (family == chip_family::fxx2_xx8 || family == chip_family::fx220_x320) {
            host.core(0x0E55);
            host.core(0x6EA7);
            host.core(0x0EAA);
            host.core(0x6EA7);
        }
        host.core(0x82A6); // WR
        if (family == chip_family::f2xxx_4xxx) {
            host.program_hold(1000);
        } else {
            host.core(0x0000);
            host.core(0x0000);
            host.wait_us(10200);
            EXPECT_EQ(host.read_eecon1() & 0x02, 0) << name << ": WR cleared";
        }
        host.core(0x94A6);
        EXPECT_EQ(chip.flash()[0x103F], 0x00) << name;
        EXPECT_EQ(chip.flash()[0x1040], 0xFF) << name;
        EXPECT_EQ(chip.flash()[0x107F], 0xFF) << name;
        EXPECT_EQ(chip.flash()[0x1080], 0x00) << name;
        EXPECT_TRUE(chip.protocol_errors().empty()) << name;
    }
}

} // namespace

namespace {

// FXX2 multi-panel row erase: FREE with a 1111 start and a programming hold erases the row
// at the same offset in every panel.
TEST(RowErase, Fxx2MultiPanelErasesTheRowInEveryPanel) {
    sim::virtual_chip chip(*sim::find_part("18F252")); // four panels
    std::fill(chip.flash().begin(), chip.flash().end(), std::uint8_t{0});
    icsp_host host(chip);
    host.power_up();
    host.core(0x8EA6);
    host.core(0x8CA6);
    host.core(0x84A6);
    host.set_pointer(0x3C0006);
    host.send(0xC, 0x0040);
    host.core(0x9CA6);
    host.core(0x88A6); // FREE
    host.set_pointer(0x0440);
    host.send(0xF, 0xFFFF);
    host.program_hold(1000);
    for (std::uint32_t panel = 0; panel < 4; ++panel) {
        const std::uint32_t row = panel * 0x2000 + 0x440;
        EXPECT_EQ(chip.flash()[row - 1], 0x00) << "panel " << panel;
        EXPECT_EQ(chip.flash()[row], 0xFF) << "panel " << panel;
        EXPECT_EQ(chip.flash()[row + 63], 0xFF) << "panel " << panel;
        EXPECT_EQ(chip.flash()[row + 64], 0x00) << "panel " << panel;
    }
    EXPECT_TRUE(chip.protocol_errors().empty());
}

} // namespace
