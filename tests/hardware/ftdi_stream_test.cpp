// The FTDI bit-bang byte stream: wiring to bytes, samples read from the byte after their
// state, padding of holds, chunks within the FIFOs.
#include "hardware/ftdi_stream.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using hardware::ftdi_chip_info;
using hardware::ftdi_chip_kind;
using hardware::ftdi_stream;
using hardware::line_levels;
using settings::ftdi_wiring;

const hardware::ftdi_chip& ft232r = ftdi_chip_info(ftdi_chip_kind::ft232r);

TEST(FtdiStream, WiringAndInversionMapLinesToPins) {
    ftdi_wiring inverted;
    inverted.vpp = {2, true};
    inverted.clock = {7, true};
    inverted.data_in = {4, true};
    ftdi_wiring no_supplies;
    no_supplies.vdd = no_supplies.vpp = {-1, false};
    const struct {
        const ftdi_wiring& wiring;
        line_levels levels;
        std::uint8_t byte, direction;
    } rows[] = {
        {ftdi_wiring{}, {}, 0x00, 0x63},
        {ftdi_wiring{}, {.vdd = true, .data_out = true}, 0x22, 0x63},
        {ftdi_wiring{}, {true, true, true, true}, 0x63, 0x63},
        {inverted, {}, 0x84, 0xA6},
        {inverted, {.vpp = true, .clock = true, .data_out = true}, 0x02, 0xA6},
        {no_supplies, {true, true, false, true}, 0x02, 0x03},
    };
    for (const auto& r : rows) {
        const ftdi_stream stream(r.wiring, ft232r);
        EXPECT_EQ(stream.pins(r.levels), r.byte) << int(r.byte);
        EXPECT_EQ(stream.direction(), r.direction) << int(r.byte);
    }
    const ftdi_stream plain(ftdi_wiring{}, ft232r), low_active(inverted, ft232r);
    EXPECT_TRUE(plain.data_in(0x08) && !plain.data_in(0xF7));
    EXPECT_TRUE(!low_active.data_in(0x10) && low_active.data_in(0xEF));
}

TEST(FtdiStream, WiringProblemsNameTheLinesAndPins) {
    const auto problem = [](auto change) {
        ftdi_wiring wiring;
        change(wiring);
        return hardware::ftdi_wiring_problem(wiring);
    };
    EXPECT_EQ(problem([](ftdi_wiring&) {}), "");
    EXPECT_EQ(problem([](ftdi_wiring& w) { w.vdd.bit = -1; }), "");
    EXPECT_EQ(problem([](ftdi_wiring& w) { w.data_in.bit = -1; }),
              "DATA IN is not connected (give it one of D0-D7)");
    EXPECT_EQ(problem([](ftdi_wiring& w) { w.vpp.bit = 8; }),
              "VPP is on D8, but FTDI bit-bang pins are D0-D7");
    EXPECT_EQ(problem([](ftdi_wiring& w) { w.data_in.bit = 0; }),
              "CLOCK and DATA IN are both on D0 (TXD) (give each line its own pin)");
}

// Each case runs a script (c: stage CLOCK, d: stage DATA OUT, s: sample, p: pad 1 us), then
// checks the bytes sent and which read-back byte each sample takes: DATA IN (D3) is high
// only at that index.
TEST(FtdiStream, SampleReadsTheByteAfterItsState) {
    const struct {
        const char* script;
        std::vector<std::uint8_t> bytes;
        std::vector<std::size_t> indexes;
    } rows[] = {
        {"csd", {0x01, 0x02}, {1}},                   // followed by a stage
        {"css", {0x01, 0x01}, {1, 1}},                // last: a repeat appended
        {"s", {0x00}, {0}},                           // first: the state already on the pins
        {"dsp", {0x02, 0x02, 0x02, 0x02, 0x02}, {1}}, // padding follows
    };
    for (const auto& r : rows) {
        ftdi_stream stream(ftdi_wiring{}, ft232r);
        std::vector<hardware::sample_ticket> tickets;
        for (const char* op = r.script; *op != 0; ++op) {
            if (*op == 's')
                tickets.push_back(stream.sample());
            else if (*op == 'p')
                stream.pad(1);
            else
                stream.stage({.clock = *op == 'c', .data_out = *op == 'd'});
        }
        EXPECT_FALSE(stream.ready(tickets.front())) << r.script;
        EXPECT_EQ(stream.take(), r.bytes) << r.script;
        EXPECT_EQ(stream.queued_bytes(), 0u) << r.script;
        for (std::size_t k = 0; k < tickets.size(); ++k) {
            std::vector<std::uint8_t> read_back(r.bytes.size(), 0x00);
            read_back[r.indexes[k]] = 0x08;
            stream.resolve(read_back);
            EXPECT_TRUE(stream.ready(tickets[k]) && stream.value(tickets[k])) << r.script << k;
            read_back[r.indexes[k]] = 0xF7;
            stream.resolve(read_back); // settled: a second read-back changes nothing
            EXPECT_TRUE(stream.value(tickets[k])) << r.script << k;
        }
    }
    ftdi_stream failed(ftdi_wiring{}, ft232r);
    failed.stage({.vdd = true});
    const auto ticket = failed.sample();
    failed.fail();
    EXPECT_TRUE(failed.ready(ticket) && !failed.value(ticket) && failed.take().empty());
}

TEST(FtdiStream, HoldsArePaddedOnlyWithinTheLimitAndAKnownClock) {
    const struct {
        ftdi_chip_kind chip;
        std::int64_t us;
        bool padded;
        std::size_t repeats;
    } rows[] = {
        {ftdi_chip_kind::ft232r, 0, true, 0},     {ftdi_chip_kind::ft232r, 1, true, 4},
        {ftdi_chip_kind::ft232r, 100, true, 301}, {ftdi_chip_kind::ft232r, 127, true, 382},
        {ftdi_chip_kind::ft232r, 128, false, 0},  {ftdi_chip_kind::ft232r, 1000, false, 0},
        {ftdi_chip_kind::ft232h, 1, false, 0},    {ftdi_chip_kind::ft_x, 1, false, 0},
    };
    for (const auto& r : rows) {
        ftdi_stream stream(ftdi_wiring{}, ftdi_chip_info(r.chip));
        stream.stage({.vdd = true});
        EXPECT_EQ(stream.pad(r.us), r.padded) << r.us;
        EXPECT_EQ(stream.take(), std::vector<std::uint8_t>(1 + r.repeats, 0x20)) << r.us;
    }
}

TEST(FtdiStream, ChunksKeepTwoInFlightWithinTheFifos) {
    for (const auto kind : {ftdi_chip_kind::ft232r, ftdi_chip_kind::ft232h, ftdi_chip_kind::ft2232c,
                            ftdi_chip_kind::ft_x})
        for (const std::size_t total : {0u, 1u, 191u, 192u, 385u, 4096u, 100001u}) {
            const ftdi_stream stream(ftdi_wiring{}, ftdi_chip_info(kind));
            const auto sizes = stream.chunks(total);
            EXPECT_EQ(std::accumulate(sizes.begin(), sizes.end(), std::size_t{0}), total);
            for (std::size_t k = 0; k < sizes.size(); ++k) {
                EXPECT_GT(sizes[k], 0u);
                if (k + 1 < sizes.size()) {
                    EXPECT_LE(sizes[k] + sizes[k + 1], ftdi_chip_info(kind).max_outstanding)
                        << ftdi_chip_info(kind).name << " " << total;
                }
            }
        }
}

TEST(FtdiStream, ChipsAndBusTime) {
    EXPECT_STREQ(hardware::ftdi_chip_from_bcd_device(0x0600).name, "FT232R");
    EXPECT_STREQ(hardware::ftdi_chip_from_bcd_device(0x0900).name, "FT232H");
    EXPECT_FALSE(hardware::ftdi_chip_from_bcd_device(0x0400).sync_bitbang);
    EXPECT_FALSE(hardware::ftdi_chip_from_bcd_device(0x1234).sync_bitbang);
    // 124 bytes: two OUT packets of 64 and two IN packets of 62 data bytes; 125: a third IN.
    const auto full_speed = hardware::ftdi_timing(ft232r);
    EXPECT_EQ(hardware::ftdi_bus_ns(full_speed, 124), 4 * full_speed.packet_ns);
    EXPECT_EQ(hardware::ftdi_bus_ns(full_speed, 125), 5 * full_speed.packet_ns);
    EXPECT_EQ(hardware::ftdi_pin_name(3), "D3 (CTS)");
    EXPECT_EQ(hardware::ftdi_pin_name(7), "D7 (RI)");
}

} // namespace
