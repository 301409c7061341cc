// Entering and leaving Program/Verify mode, and the read path: device ID, the table-read
// variants, PGD timing of the output phase, and what unimplemented addresses return.
#include "icsp_host.h"

#include <gtest/gtest.h>

namespace {

using sim_test::has_error;
using sim_test::icsp_host;
using sim_test::power_order;

sim::virtual_chip make_chip(const char* name) {
    return sim::virtual_chip(*sim::find_part(name));
}

TEST(ProgramMode, EntersInBothPowerOrdersAndLeavesWhenEitherSupplyDrops) {
    for (const power_order order : {power_order::vdd_first, power_order::vpp_first}) {
        for (const bool drop_vdd : {true, false}) {
            SCOPED_TRACE(order == power_order::vdd_first ? "VDD first" : "VPP first");
            SCOPED_TRACE(drop_vdd ? "VDD dropped" : "VPP dropped");
            sim::virtual_chip chip = make_chip("18F4520");
            icsp_host host(chip);
            host.power_up(order);
            EXPECT_TRUE(chip.in_program_mode());
            EXPECT_EQ(host.read_device_id(), 0x1080);
            host.set_lines(!drop_vdd, drop_vdd, false, false);
            EXPECT_FALSE(chip.in_program_mode());
            EXPECT_FALSE(chip.pgd_output(host.now()).has_value());
            EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
        }
    }
}

TEST(ProgramMode, RefusedWhenPgcOrPgdIsHighAsVppRises) {
    for (const bool pgc_high : {true, false}) {
        sim::virtual_chip chip = make_chip("18F452");
        icsp_host host(chip);
        host.set_lines(true, false, pgc_high, !pgc_high);
        host.set_lines(true, true, pgc_high, !pgc_high);
        EXPECT_FALSE(chip.in_program_mode()) << (pgc_high ? "PGC" : "PGD");
        EXPECT_TRUE(has_error(chip, "not entered"));
        host.set_lines(true, true, false, false);
        EXPECT_FALSE(chip.in_program_mode()) << "lowering the lines later does not enter";
        EXPECT_EQ(host.read_device_id(), 0xFFFF) << "nothing drives PGD";
    }
}

TEST(ProgramMode, ReadsTheDeviceIdOfEachPart) {
    for (const char* name : {"18F242", "18F1320", "18F2221", "18F2423", "18F4550", "18F2620",
                             "18F4510", "18F4450", "18F24K20", "18F46K20"}) {
        sim::virtual_chip chip = make_chip(name);
        icsp_host host(chip);
        host.power_up();
        EXPECT_EQ(host.read_device_id(), chip.part().device_id) << name;
        EXPECT_TRUE(chip.protocol_errors().empty()) << name;
    }
}

TEST(ProgramMode, TableReadVariantsMoveThePointerAsDocumented) {
    sim::virtual_chip chip = make_chip("18F4520");
    for (std::size_t i = 0; i < 16; ++i)
        chip.flash()[0x100 + i] = static_cast<std::uint8_t>(0xA0 + i);
    icsp_host host(chip);
    host.power_up();
    host.set_pointer(0x104);
    EXPECT_EQ(host.read(0x8), 0xA4); // TBLRD*
    EXPECT_EQ(host.read(0x9), 0xA4); // TBLRD*+
    EXPECT_EQ(host.read(0x8), 0xA5);
    EXPECT_EQ(host.read(0xA), 0xA5); // TBLRD*-
    EXPECT_EQ(host.read(0x8), 0xA4);
    EXPECT_EQ(host.read(0xB), 0xA5); // TBLRD+*
    EXPECT_EQ(host.read(0x2), 0xA5); // shift out TABLAT again
    // Increments wrap within 21 bits: 1FFFFFh + 1 reads code address 0.
    chip.flash()[0] = 0x5A;
    host.set_pointer(0x1FFFFF);
    EXPECT_EQ(host.read(0x9), 0x00);
    EXPECT_EQ(host.read(0x9), 0x5A);
}

TEST(ProgramMode, UnimplementedAddressesReadZero) {
    sim::virtual_chip chip = make_chip("18F2420"); // 16 KB
    chip.id_locations() = {1, 2, 3, 4, 5, 6, 7, 8};
    icsp_host host(chip);
    host.power_up();
    EXPECT_EQ(host.read_table(0x4000, 2), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(host.read_table(0x1FFFFE, 2), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(host.read_table(0x200006, 4), (std::vector<std::uint8_t>{7, 8, 0, 0}));
    EXPECT_EQ(host.read_table(0x30000C, 4), (std::vector<std::uint8_t>{0x03, 0x40, 0, 0}));
    EXPECT_EQ(host.read_table(0x300004, 1), (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(host.read_table(0x300007, 1), (std::vector<std::uint8_t>{0}));
}

TEST(ProgramMode, DrivesPgdOnlyInTheOutputPhaseOfAReadFrame) {
    sim::virtual_chip chip = make_chip("18F4520");
    icsp_host host(chip);
    host.power_up();
    chip.flash()[0] = 0b1011'0010;
    host.set_pointer(0);
    std::int64_t t = host.now();
    auto edge = [&](bool pgc, bool pgd) { chip.set_pins(true, true, pgc, pgd, ++t); };
    const int command = 0x8;
    for (int clock = 0; clock < 20; ++clock) {
        const bool bit = clock < 4 && ((command >> clock) & 1);
        edge(true, bit);
        if (clock >= 12) {
            const auto level = chip.pgd_output(t);
            ASSERT_TRUE(level.has_value()) << "clock " << clock;
            EXPECT_EQ(*level, ((0b1011'0010 >> (clock - 12)) & 1) != 0) << "clock " << clock;
        } else {
            EXPECT_FALSE(chip.pgd_output(t).has_value()) << "clock " << clock;
        }
        edge(false, bit);
        EXPECT_EQ(chip.pgd_output(t).has_value(), clock >= 11) << "after clock " << clock;
    }
    EXPECT_TRUE(chip.pgd_output(t).has_value()) << "held until the next frame";
    edge(true, false);
    EXPECT_FALSE(chip.pgd_output(t).has_value()) << "released on the next frame's first clock";
}

TEST(ProgramMode, RecordsUndefinedCommandsAndEarlyClocks) {
    sim::virtual_chip chip = make_chip("18F4520");
    icsp_host host(chip);
    host.set_lines(true, false, false, false);
    host.set_lines(true, true, false, false);
    host.send(0x1, 0xFFFF); // within P12 of VPP, and an undefined command
    EXPECT_TRUE(has_error(chip, "P12"));
    EXPECT_TRUE(has_error(chip, "undefined command 0001"));
    EXPECT_EQ(host.read_device_id(), 0x1080) << "the frame was consumed whole";
}

} // namespace
