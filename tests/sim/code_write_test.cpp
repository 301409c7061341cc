// Code and ID writes through the write buffer for every family and buffer size, the FXX2
// multi-panel mode, and the conditions that make a programming cycle program nothing.
#include "icsp_host.h"

#include <gtest/gtest.h>

namespace {

using sim_test::fault_case;
using sim_test::has_error;
using sim_test::icsp_host;

std::vector<std::uint8_t> pattern(std::size_t count, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

// Points TBLPTR at 0 and loads eight zero bytes into the write buffer, the last frame with
// the 1111 command that starts programming.
void load_eight_zeros(icsp_host& h) {
    h.set_pointer(0);
    for (int i = 0; i < 3; ++i)
        h.send(0xD, 0);
    h.send(0xF, 0);
}

TEST(CodeWrite, FullBuffersReadBackOnEveryFamily) {
    for (const char* name :
         {"18F452", "18F2320", "18F4321", "18F2450", "18F4520", "18F4620", "18F23K20", "18F45K20",
          "18F46K20", "18F23K22", "18LF46K22", "18F13K22", "18LF14K22", "18F66K80"}) {
        SCOPED_TRACE(name);
        sim::virtual_chip chip(*sim::find_part(name));
        icsp_host host(chip);
        host.power_up();
        const auto buffer = static_cast<std::uint32_t>(chip.part().write_buffer);
        const std::uint32_t address = 3 * buffer;
        const std::vector<std::uint8_t> data = pattern(2 * buffer, 0x11);
        host.write_code(address, data);
        EXPECT_EQ(host.read_table(address, data.size()), data);
        EXPECT_EQ(host.read_table(address - 1, 1)[0], 0xFF) << "byte before the rows";
        EXPECT_EQ(host.read_table(address + 2 * buffer, 1)[0], 0xFF) << "byte after the rows";
        // ID locations: the first 8 bytes of a buffer at 200000h.
        const std::vector<std::uint8_t> id{0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8};
        std::vector<std::uint8_t> id_block(buffer, 0xFF);
        std::copy(id.begin(), id.end(), id_block.begin());
        host.write_code(0x200000, id_block);
        EXPECT_EQ(host.read_table(0x200000, 8), id);
        EXPECT_TRUE(chip.protocol_errors().empty()) << chip.protocol_errors().front();
    }
}

TEST(CodeWrite, Fxx2MultiPanelWritesEveryPanelAtOneOffset) {
    sim::virtual_chip chip(*sim::find_part("18F452")); // four 8 KB panels
    icsp_host host(chip);
    host.power_up();
    const std::vector<std::vector<std::uint8_t>> panels{pattern(8, 0x10), pattern(8, 0x20),
                                                        pattern(8, 0x30), pattern(8, 0x40)};
    host.write_code_multi_panel(0x0400, panels);
    for (std::uint32_t p = 0; p < 4; ++p)
        EXPECT_EQ(host.read_table(p * 0x2000 + 0x400, 8), panels[p]) << "panel " << p;
    EXPECT_TRUE(chip.protocol_errors().empty());
    // The boot block (first 512 bytes) cannot be written in multi-panel mode.
    host.write_code_multi_panel(0x0000, panels);
    EXPECT_EQ(host.read_table(0, 8), std::vector<std::uint8_t>(8, 0xFF));
    EXPECT_EQ(host.read_table(0x2000, 8), panels[1]);
    EXPECT_TRUE(has_error(chip, "boot block written in multi-panel mode"));
}

TEST(CodeWrite, ProgrammingOnlyClearsBits) {
    sim::virtual_chip chip(*sim::find_part("18F4520"));
    icsp_host host(chip);
    host.power_up();
    std::vector<std::uint8_t> first(32, 0xF0), second(32, 0x3C);
    host.write_code(0, first);
    host.write_code(0, second);
    EXPECT_EQ(host.read_table(0, 2), (std::vector<std::uint8_t>{0x30, 0x30}));
}

// Sequences that must not program anything, each with the error it must leave.
TEST(CodeWrite, FaultySequencesProgramNothing) {
    static const fault_case cases[] = {
        {"P9 one microsecond short", "18F4321", "short P9",
         [](icsp_host& h) { h.write_code(0, std::vector<std::uint8_t>(8, 0x00), 999); }},
        {"K20 without WREN", "18F23K20", "without EECON1.WREN",
         [](icsp_host& h) {
             h.core(0x8EA6);
             h.core(0x9CA6);
             load_eight_zeros(h);
             h.program_hold(1000);
         }},
        {"EEPGD left at 0", "18F4321", "EEPGD = 0",
         [](icsp_host& h) {
             h.core(0x9CA6);
             load_eight_zeros(h);
             h.program_hold(1000);
         }},
        {"hold frame is not 0000", "18F4321", "not followed by a 0000 hold",
         [](icsp_host& h) {
             h.select_code_memory();
             load_eight_zeros(h);
             h.send(0xD, 0);
         }},
    };
    for (const fault_case& c : cases) {
        sim::virtual_chip chip(*sim::find_part(c.part));
        icsp_host host(chip);
        host.power_up();
        c.run(host);
        EXPECT_EQ(host.read_table(0, 8), std::vector<std::uint8_t>(8, 0xFF)) << c.what;
        EXPECT_TRUE(has_error(chip, c.error)) << c.what;
        // The holding registers were cleared: a correct cycle now writes only its own data.
        host.write_code(8, pattern(8, 1));
        EXPECT_EQ(host.read_table(0, 16)[0], 0xFF) << c.what;
        EXPECT_EQ(host.read_table(8, 8), pattern(8, 1)) << c.what;
    }
}

TEST(CodeWrite, ShortP10IsRecordedButTheRowIsProgrammed) {
    sim::virtual_chip chip(*sim::find_part("18F4520"));
    icsp_host host(chip);
    host.power_up();
    host.select_code_memory();
    host.set_pointer(0);
    for (int i = 0; i < 15; ++i)
        host.send(0xD, 0x1234);
    host.send(0xF, 0x1234);
    host.program_hold(1000, 10);
    EXPECT_EQ(host.read_table(30, 2), (std::vector<std::uint8_t>{0x34, 0x12}));
    EXPECT_TRUE(has_error(chip, "short P10"));
}

} // namespace
