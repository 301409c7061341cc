// Data EEPROM: writes through EEADR/EEDATA/EECON1 with WR polling on every family, the
// sequences a real chip would refuse, and reads.
#include "icsp_host.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using sim::chip_family;
using sim_test::fault_case;
using sim_test::has_error;
using sim_test::icsp_host;

// Loads a data EEPROM write and sets WREN, then WR with no unlock sequence between: how
// the 2XXX and K20 families start a write.
void write_without_unlock(icsp_host& host, std::uint32_t address, std::uint8_t value) {
    host.load_eeprom_write(address, value);
    host.core(0x84A6); // BSF EECON1,WREN
    host.core(0x82A6); // BSF EECON1,WR
}

// A powered 18F4520 in program mode (256 bytes of data EEPROM, no unlock sequence).
class EepromOn18F4520 : public ::testing::Test {
  protected:
    void SetUp() override { host.power_up(); }

    sim::virtual_chip chip{*sim::find_part("18F4520")};
    icsp_host host{chip};
};

TEST(Eeprom, WriteWithPollingAndReadBackOnEveryFamily) {
    for (const char* name : {"18F452", "18F1220", "18F4520", "18F2620", "18F45K20", "18F26K20",
                             "18F23K22", "18F46K22", "18LF14K22", "18F46K80"}) {
        sim::virtual_chip chip(*sim::find_part(name));
        icsp_host host(chip);
        host.power_up();
        const auto top = static_cast<std::uint32_t>(chip.part().eeprom_bytes - 1);
        EXPECT_GT(host.write_eeprom(0x05, 0xA5), 0) << name << ": WR read 1 while busy";
        host.write_eeprom(top, 0x3C);
        EXPECT_EQ(host.read_eeprom(0x05), 0xA5) << name;
        EXPECT_EQ(host.read_eeprom(top), 0x3C) << name;
        EXPECT_EQ(chip.eeprom()[top], 0x3C) << name;
        EXPECT_EQ(chip.eeprom()[0x04], 0xFF) << name;
        EXPECT_TRUE(chip.protocol_errors().empty())
            << name << ": " << chip.protocol_errors().front();
    }
}

TEST_F(EepromOn18F4520, HighAddressByteIsIgnoredOn256ByteParts) {
    host.write_eeprom(0x1FE, 0x42);
    EXPECT_EQ(chip.eeprom()[0xFE], 0x42);
    EXPECT_EQ(host.read_eeprom(0x0FE), 0x42);
}

TEST(Eeprom, X220WriteWithAFixedWaitInsteadOfPolling) {
    sim::virtual_chip chip(*sim::find_part("18F2320"));
    icsp_host host(chip);
    host.power_up();
    host.select_eeprom();
    host.core(0x0E10);
    host.core(0x6EA9);
    host.core(0x0E77);
    host.core(0x6EA8);
    host.core(0x84A6);
    for (std::uint16_t op :
         std::initializer_list<std::uint16_t>{0x0E55, 0x6EA7, 0x0EAA, 0x6EA7, 0x82A6, 0x0000})
        host.core(op);
    host.erase_hold(5000); // 0000 command bits, wait P11, payload
    host.core(0x94A6);
    EXPECT_EQ(chip.eeprom()[0x10], 0x77);
    EXPECT_TRUE(chip.protocol_errors().empty());
}

// The poll of the "waitwr" instruction: MOVF EECON1,W / MOVWF TABLAT / 0010, without the NOP
// the 2XXX/K20 tables put before the shift-out. Core instructions take effect at the end of
// their frame, so it reads the fresh EECON1.
TEST_F(EepromOn18F4520, PollWithoutTheNopBeforeTheShiftOutSeesWr) {
    write_without_unlock(host, 0x20, 0x99);
    const std::int64_t started = host.now();
    int polls = 0;
    for (std::uint8_t eecon1 = 0x02; (eecon1 & 0x02) && polls < 1000; ++polls) {
        host.core(0x50A6);
        host.core(0x6EF5);
        eecon1 = host.read(0x2);
        host.wait_us(500);
    }
    EXPECT_GE(polls, 2);
    EXPECT_GE(host.now() - started, 5000) << "WR read 1 until the write time was over";
    EXPECT_EQ(chip.eeprom()[0x20], 0x99);
}

// The self-timed write starts on the 4th PGC falling edge after WR is set, on K20 the 24th:
// with a single NOP after BSF WR a K20 has not started yet.
TEST(Eeprom, WriteStartsOnTheFamilysStartClock) {
    for (const char* name : {"18F4520", "18F45K20"}) {
        sim::virtual_chip chip(*sim::find_part(name));
        const bool k20 = chip.part().family == chip_family::k20;
        icsp_host host(chip);
        host.power_up();
        write_without_unlock(host, 0x08, 0x5A);
        host.core(0x0000);
        host.wait_us(20000);
        EXPECT_EQ(chip.eeprom()[0x08], k20 ? 0xFF : 0x5A) << name;
        EXPECT_EQ(chip.write_in_progress(), k20) << name;
        host.core(0x0000);
        host.wait_us(5000);
        EXPECT_EQ(chip.eeprom()[0x08], 0x5A) << name;
        EXPECT_FALSE(chip.write_in_progress()) << name;
    }
}

TEST(Eeprom, RefusedSequencesWriteNothing) {
    static const fault_case cases[] = {
        {"WR without WREN", "18F4520", "without WREN",
         [](icsp_host& h) {
             h.load_eeprom_write(0x10, 0x55);
             h.core(0x82A6);
         }},
        {"FXX2 without the unlock", "18F452", "unlock",
         [](icsp_host& h) { write_without_unlock(h, 0x10, 0x55); }},
        {"X220 unlock with an instruction between AAh and WR", "18F4320", "unlock",
         [](icsp_host& h) {
             h.load_eeprom_write(0x10, 0x55);
             h.core(0x84A6);
             for (std::uint16_t op : std::initializer_list<std::uint16_t>{0x0E55, 0x6EA7, 0x0EAA,
                                                                          0x6EA7, 0x0000, 0x82A6})
                 h.core(op);
         }},
        {"part without data EEPROM", "18F2510", "without data EEPROM",
         [](icsp_host& h) { h.write_eeprom(0x10, 0x55); }},
    };
    for (const fault_case& c : cases) {
        sim::virtual_chip chip(*sim::find_part(c.part));
        icsp_host host(chip);
        host.power_up();
        c.run(host);
        host.wait_us(20000);
        EXPECT_EQ(host.read_eecon1() & 0x02, 0) << c.what << ": WR stays clear";
        if (!chip.eeprom().empty()) {
            EXPECT_EQ(chip.eeprom()[0x10], 0xFF) << c.what;
        }
        EXPECT_TRUE(has_error(chip, c.error)) << c.what;
    }
}

TEST_F(EepromOn18F4520, CommandsThatWouldDisturbARunningWriteAreIgnored) {
    write_without_unlock(host, 0x30, 0x66);
    host.core(0x0000);
    host.core(0x0E31);
    host.core(0x6EA9); // EEADR while busy
    host.core(0x82A6); // BSF EECON1,WR: a second write before the first has ended
    host.set_pointer(0);
    host.send(0xF, 0x0000); // table write while busy
    host.wait_us(6000);
    EXPECT_EQ(chip.eeprom()[0x30], 0x66);
    EXPECT_EQ(chip.eeprom()[0x31], 0xFF);
    EXPECT_TRUE(has_error(chip, "write to FA9h while a write is in progress"));
    EXPECT_TRUE(has_error(chip, "EECON1.WR set while a write is in progress: nothing written"));
    EXPECT_TRUE(has_error(chip, "table write (command 1111) while a write is in progress"));
}

TEST_F(EepromOn18F4520, PowerLossDuringTheWriteLosesTheByte) {
    write_without_unlock(host, 0x40, 0x01);
    host.core(0x0000);
    EXPECT_TRUE(chip.write_in_progress());
    host.power_down();
    host.wait_us(10000);
    EXPECT_EQ(chip.eeprom()[0x40], 0xFF);
    EXPECT_TRUE(has_error(chip, "power removed during the data EEPROM write"));
}

} // namespace
