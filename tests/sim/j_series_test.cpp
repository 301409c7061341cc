// The J-series: key entry on the wire and its refusals, supply damage, the 0180h bulk erase,
// 64-byte rows, the configuration words at the FLASH's end and CP0.
#include "icsp_host.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using sim_test::has_error;
using sim_test::icsp_host;

// A J part on a 3.3 V adapter and its host.
struct bench {
    explicit bench(const char* name) : chip(*sim::find_part(name)), host(chip) {
        chip.set_supply_volts(3.3, 3.3);
    }
    sim::virtual_chip chip;
    icsp_host host;
};

struct entry_case {
    const char* what;
    const char* part;
    void (*run)(icsp_host&);
    const char* error; // nullptr: enters without a protocol error; "": refused silently
};

TEST(KeyEntry, TakesOnlyTheKeyMsbFirstWithItsWaits) {
    const entry_case cases[] = {
        {"key MSb first", "18F45J10", [](icsp_host& h) { h.enter_with_key(); }, nullptr},
        {"key MSb first", "18LF46J50", [](icsp_host& h) { h.enter_with_key(); }, nullptr},
        {"key MSb first", "18F87J11", [](icsp_host& h) { h.enter_with_key(); }, nullptr},
        {"key MSb first", "18F97J60", [](icsp_host& h) { h.enter_with_key(); }, nullptr},
        {"wrong key", "18F45J10", [](icsp_host& h) { h.enter_with_key(0x4D434851); },
         "4D434851h (32 bits) is not 4D434850h"},
        {"key LSb first", "18F26J13", [](icsp_host& h) { h.enter_with_key(0x4D434850, true); },
         "0A12C2B2h (32 bits) is not"},
        {"key 3 ms after MCLR fell", "18F25J11",
         [](icsp_host& h) { h.enter_with_key(0x4D434850, false, 3000); }, "needs P19 = 4000 us"},
        {"key 5 us after MCLR fell", "18F66J15",
         [](icsp_host& h) { h.enter_with_key(0x4D434850, false, 5); }, "needs P19 = 10 us"},
        {"VPP alone", "18F45J10",
         [](icsp_host& h) {
             h.set_lines(true, false, false, false);
             h.set_lines(true, true, false, false);
         },
         ""},
        {"MCLR at 13 V", "18F45J10",
         [](icsp_host& h) {
             h.chip().set_supply_volts(3.3, 13.0);
             h.enter_with_key();
         },
         "MCLR at 13.0 V, above VDD 3.3 V: a key-entry part is damaged"},
        {"VDD at 5 V", "18F86J60",
         [](icsp_host& h) {
             h.chip().set_supply_volts(5.0, 5.0);
             h.enter_with_key();
         },
         "VDD at 5.0 V, above the 3.6 V maximum of a 97J60 part: the part is damaged"},
    };
    for (const entry_case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " on " + c.part);
        bench b(c.part);
        sim::virtual_chip& chip = b.chip;
        icsp_host& host = b.host;
        c.run(host);
        EXPECT_EQ(chip.in_program_mode(), c.error == nullptr);
        if (c.error == nullptr) {
            EXPECT_EQ(host.read_device_id(), chip.part().device_id);
            EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
        } else {
            EXPECT_EQ(host.read_device_id(), 0xFFFF) << "nothing drives PGD";
            EXPECT_TRUE(*c.error == '\0' || has_error(chip, c.error));
        }
    }
}

TEST(KeyEntry, ClocksWithinP12AfterMclrRisesAreFlagged) {
    for (const char* part : {"18F24J10", "18F65J50"}) {
        bench b(part);
        sim::virtual_chip& chip = b.chip;
        icsp_host& host = b.host;
        host.enter_with_key(0x4D434850, false, -1, 0);
        host.core(0x0000);
        const std::string p12 = std::to_string(sim::profile_of(chip.part().family).p12_us);
        EXPECT_TRUE(has_error(chip, "within P12 (" + p12 + " us)")) << part;
    }
}

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return bytes;
}

TEST(JSeries, BulkErase0180hErasesEverythingAfterItsTime) {
    bench b("18F46J11");
    sim::virtual_chip& chip = b.chip;
    icsp_host& host = b.host;
    std::fill(chip.flash().begin(), chip.flash().end(), std::uint8_t{0x00});
    host.power_up();
    const std::int64_t erase_us = sim::profile_of(chip.part().family).p11_erase_us;
    host.bulk_erase(0x0101, 0x8080, erase_us - 1000);
    host.core(0x0000);
    EXPECT_TRUE(has_error(chip, "nothing erased"));
    EXPECT_EQ(chip.flash().front(), 0x00);
    chip.clear_protocol_errors();
    host.bulk_erase(0x0101, 0x8080, erase_us + 200);
    EXPECT_EQ(std::count(chip.flash().begin(), chip.flash().end(), 0xFF),
              static_cast<std::ptrdiff_t>(chip.flash().size()));
    EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
}

TEST(JSeries, ProgramsRowsOfEachTimingAndRefusesAShortHold) {
    for (const char* part : {"18F24J10", "18LF27J53", "18F63J90", "18F66J60"}) {
        SCOPED_TRACE(part);
        bench b(part);
        sim::virtual_chip& chip = b.chip;
        icsp_host& host = b.host;
        host.power_up();
        const std::int64_t p9 = sim::profile_of(chip.part().family).p9_us;
        const std::vector<std::uint8_t> rows = pattern(128, 3);
        host.write_code(0x40, rows, p9);
        host.write_code(0x100, pattern(64, 9), p9 - 100);
        EXPECT_EQ(host.read_table(0x40, 128), rows);
        EXPECT_EQ(host.read_table(0x100, 1).front(), 0xFF);
        EXPECT_TRUE(has_error(chip, "short P9 hold"));
    }
}

TEST(JSeries, WriteBufferKeepsItsContentBetweenRows) {
    bench b("18F45J50");
    icsp_host& host = b.host;
    host.power_up();
    host.write_code(0x000, pattern(64, 1), 1200);
    host.set_pointer(0x040);
    host.send(0xF, 0x5AA5); // only the first word of the next row
    host.program_hold(1200);
    std::vector<std::uint8_t> expected = pattern(64, 1);
    expected[0] = 0xA5;
    expected[1] = 0x5A;
    EXPECT_EQ(host.read_table(0x040, 64), expected);
}

// Writes the last row with `config` as its last 8 bytes.
void write_config_row(icsp_host& host, const std::vector<std::uint8_t>& config) {
    const auto size = static_cast<std::uint32_t>(host.chip().flash().size());
    std::vector<std::uint8_t> row(64, 0xFF);
    std::copy(config.begin(), config.end(), row.end() - 8);
    host.write_code(size - 64, row, sim::profile_of(host.chip().part().family).p9_us);
}

TEST(JSeries, ConfigurationWordsReachTheRegistersAtTheNextEntry) {
    bench b("18F25J10");
    sim::virtual_chip& chip = b.chip;
    icsp_host& host = b.host;
    host.power_up();
    const std::vector<std::uint8_t> erased = host.read_table(0x300000, 8);
    EXPECT_EQ(erased, (std::vector<std::uint8_t>{0xE1, 0x04, 0xC7, 0x0F, 0, 0x01, 0, 0}));
    write_config_row(host, {0xA0, 0xF4, 0xC5, 0xF3, 0xFF, 0xF0, 0xFF, 0xFF});
    EXPECT_EQ(host.read_table(0x7FF8, 2), (std::vector<std::uint8_t>{0xA0, 0xF4}));
    EXPECT_EQ(host.read_table(0x300000, 8), erased) << "mirrored only at entry";
    host.set_pointer(0x300000);
    host.send(0xF, 0x0000);
    EXPECT_TRUE(has_error(chip, "cannot be written"));
    host.power_down();
    host.power_up();
    EXPECT_EQ(host.read_table(0x300000, 8),
              (std::vector<std::uint8_t>{0xA0, 0x04, 0xC5, 0x03, 0, 0x00, 0, 0}));
}

TEST(JSeries, Cp0ProtectsAllFlashFromTheNextEntryUntilABulkErase) {
    bench b("18F67J10");
    sim::virtual_chip& chip = b.chip;
    icsp_host& host = b.host;
    host.power_up();
    host.write_code(0x0, pattern(64, 5), 3400);
    write_config_row(host, {0xE1, 0xF0, 0xC7, 0xFF, 0xFF, 0xF1, 0xFF, 0xFF}); // CP0 = 0
    EXPECT_EQ(host.read_table(0x0, 64), pattern(64, 5));
    host.power_down();
    host.power_up();
    EXPECT_EQ(host.read_table(0x0, 2), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(host.read_table(0x1FFF8, 2), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(host.read_table(0x300001, 1).front(), 0x00) << "registers stay readable";
    host.bulk_erase_chip();
    host.power_down();
    host.power_up();
    EXPECT_EQ(host.read_table(0x0, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(host.read_table(0x300001, 1).front(), 0x04);
    EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
}

} // namespace
