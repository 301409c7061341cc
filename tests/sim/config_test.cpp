// Configuration bytes (one byte per programming cycle, parity rule, masks) and the code,
// data and write protection they switch on.
#include "icsp_host.h"

#include <gtest/gtest.h>

namespace {

using sim_test::fault_case;
using sim_test::has_error;
using sim_test::icsp_host;

// Writes a value to every configuration byte but keeps protection off, and reads back
// (value & mask): unimplemented bits and bytes read 0, bits that erase to 0 can be set.
TEST(Config, EveryByteReadsBackMasked) {
    for (const char* name : {"18F452", "18F1220", "18F4321", "18F4550", "18F4525", "18F2450",
                             "18F46K20", "18F46K22", "18LF13K22", "18F66K80"}) {
        SCOPED_TRACE(name);
        sim::virtual_chip chip(*sim::find_part(name));
        icsp_host host(chip);
        host.power_up();
        std::vector<std::uint8_t> values(14);
        for (std::size_t i = 0; i < 14; ++i)
            values[i] = static_cast<std::uint8_t>(0xA5 ^ (i * 0x11));
        for (const std::size_t protection : {8u, 9u, 10u, 11u})
            values[protection] = 0xFF;
        host.write_config_all(values);
        const std::vector<std::uint8_t> read = host.read_table(0x300000, 16);
        for (std::size_t i = 0; i < 14; ++i)
            EXPECT_EQ(read[i], values[i] & chip.part().config_mask[i]) << "CONFIG byte " << i;
        EXPECT_EQ(read[14], 0);
        EXPECT_EQ(read[15], 0);
        EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
    }
}

TEST(Config, EachAddressTakesThePayloadHalfOfItsParity) {
    sim::virtual_chip chip(*sim::find_part("18F4520"));
    icsp_host host(chip);
    host.power_up();
    host.select_config_memory();
    host.set_pointer(0x300002);
    host.send(0xF, 0x1A0B); // even: takes 0Bh
    host.program_hold(1000);
    host.core(0x0E03);
    host.core(0x6EF6);
    host.send(0xF, 0x1A0B); // odd: takes 1Ah
    host.program_hold(1000);
    EXPECT_EQ(host.read_table(0x300002, 2), (std::vector<std::uint8_t>{0x0B, 0x1A}));
}

TEST(Config, FaultyConfigurationWritesChangeNothing) {
    static const fault_case cases[] = {
        {"auto-increment write", "18F4520", "auto-increment",
         [](icsp_host& h) {
             h.select_config_memory();
             h.set_pointer(0x300002);
             h.send(0xD, 0x0000);
             h.send(0xF, 0x1F1F);
             h.program_hold(1000);
         }},
        {"CFGS left at 0", "18F4520", "CFGS = 0",
         [](icsp_host& h) {
             h.select_code_memory();
             h.set_pointer(0x300002);
             h.send(0xF, 0x0000);
             h.program_hold(1000);
         }},
        {"K20 byte held only P9, not P9A", "18F45K20", "short P9",
         [](icsp_host& h) {
             h.select_config_memory();
             h.set_pointer(0x300002);
             h.send(0xF, 0x0000);
             h.program_hold(4999);
         }},
    };
    for (const fault_case& c : cases) {
        sim::virtual_chip chip(*sim::find_part(c.part));
        icsp_host host(chip);
        host.power_up();
        c.run(host);
        const sim::part_info& part = chip.part();
        EXPECT_EQ(chip.config()[2], part.config_erased[2] & part.config_mask[2]) << c.what;
        EXPECT_TRUE(has_error(chip, c.error)) << c.what;
    }
}

// Every K part needs P9A = 5 ms for a configuration byte: held the 1 ms of a code write,
// the byte keeps its erased value, as on a real part.
TEST(Config, KPartsProgramConfigurationOnlyWithTheLongerHold) {
    for (const char* name : {"18F23K20", "18F46K22", "18LF14K22", "18F25K80"}) {
        SCOPED_TRACE(name);
        sim::virtual_chip chip(*sim::find_part(name));
        icsp_host host(chip);
        host.power_up();
        const std::uint8_t erased = chip.part().config_erased[2] & chip.part().config_mask[2];
        host.select_config_memory();
        host.set_pointer(0x300002);
        host.send(0xF, 0x0000);
        host.program_hold(1000, 200);
        EXPECT_EQ(chip.config()[2], erased);
        EXPECT_TRUE(has_error(chip, "short P9 hold (1000 us, needs 5000 us)"));
        host.send(0xF, 0x0000);
        host.program_hold(5000, 200);
        EXPECT_EQ(chip.config()[2], 0x00);
    }
}

TEST(Config, WrtcFreezesConfigurationUntilBulkErase) {
    sim::virtual_chip chip(*sim::find_part("18F4620"));
    icsp_host host(chip);
    host.power_up();
    host.write_config(11, 0xC0); // WRTC = 0
    host.write_config(2, 0x00);
    EXPECT_EQ(chip.config()[2], 0x1F);
    host.bulk_erase_chip();
    host.write_config(2, 0x00);
    EXPECT_EQ(chip.config()[2], 0x00);
}

TEST(Config, CodeProtectionHidesProtectedRegionsOnly) {
    sim::virtual_chip chip(*sim::find_part("18F4520")); // boot 0..7FFh, blocks of 8 KB
    std::fill(chip.flash().begin(), chip.flash().end(), std::uint8_t{0x5A});
    std::fill(chip.eeprom().begin(), chip.eeprom().end(), std::uint8_t{0x6B});
    icsp_host host(chip);
    host.power_up();
    host.write_config(8, 0x0D); // CP1 = 0
    host.write_config(9, 0x40); // CPD = 0, boot unprotected
    EXPECT_EQ(host.read_table(0x07FF, 2), (std::vector<std::uint8_t>{0x5A, 0x5A}));
    EXPECT_EQ(host.read_table(0x1FFF, 2), (std::vector<std::uint8_t>{0x5A, 0x00}));
    EXPECT_EQ(host.read_table(0x3FFF, 2), (std::vector<std::uint8_t>{0x00, 0x5A}));
    EXPECT_EQ(host.read_eeprom(0x10), 0x00);
    EXPECT_EQ(host.read_device_id(), 0x1080) << "DEVID stays readable";
    EXPECT_EQ(host.read_table(0x300008, 1)[0], 0x0D) << "configuration stays readable";
    host.write_config(9, 0x00); // CPB = 0
    EXPECT_EQ(host.read_table(0x0000, 1)[0], 0x00);
    // Writing the CP bits back to 1 does not unprotect; only a bulk erase does.
    host.write_config(8, 0x0F);
    host.write_config(9, 0xC0);
    EXPECT_EQ(host.read_table(0x2000, 1)[0], 0x00);
    host.bulk_erase_chip();
    host.write_code(0x2000, std::vector<std::uint8_t>(32, 0x77));
    EXPECT_EQ(host.read_table(0x2000, 1)[0], 0x77);
}

TEST(Config, WriteProtectionIgnoresWritesToTheBlock) {
    sim::virtual_chip chip(*sim::find_part("18F2620")); // 16 KB blocks
    icsp_host host(chip);
    host.power_up();
    host.write_config(10, 0x0E); // WRT0 = 0: block 0 = 800h..3FFFh
    host.write_code(0x0800, std::vector<std::uint8_t>(64, 0x00));
    host.write_code(0x4000, std::vector<std::uint8_t>(64, 0x00));
    host.write_code(0x0000, std::vector<std::uint8_t>(64, 0x00));
    EXPECT_EQ(chip.flash()[0x0800], 0xFF);
    EXPECT_EQ(chip.flash()[0x4000], 0x00);
    EXPECT_EQ(chip.flash()[0x0000], 0x00) << "boot block unaffected";
}

TEST(Config, OlderFamiliesNeedThePcOutsideAProtectedBlock) {
    sim::virtual_chip chip(*sim::find_part("18F452"));
    icsp_host host(chip);
    host.power_up();
    host.write_config(9, 0x80); // CPB = 0 with the GOTO 100000h of the documented sequence
    host.core(0x8EA6);
    host.core(0x8CA6);
    host.core(0xEF00); // GOTO 0: the PC sits in the protected boot block
    host.core(0xF000);
    host.set_pointer(0x300002);
    host.send(0xF, 0x0000);
    host.program_hold(1000);
    EXPECT_EQ(chip.config()[2], 0x0F);
    EXPECT_TRUE(has_error(chip, "PC sits in a code-protected block"));
    host.write_config(2, 0x00); // with the GOTO 100000h again
    EXPECT_EQ(chip.config()[2], 0x00);
}

} // namespace
