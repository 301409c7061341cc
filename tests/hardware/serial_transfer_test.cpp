// Serial transfer: bit order in time, the read-back phase, the programming hold and power
// sequences on the virtual clock, and the address split.
#include "hardware_test_support.h"

namespace {

using hardware_test::line_history;
using hardware_test::line_levels;
using namespace Module94;

// DATA OUT at every falling CLOCK edge: the bits the chip takes, in time order.
std::string bits_taken(const std::vector<line_levels>& h) {
    std::string bits;
    for (std::size_t i = 1; i < h.size(); ++i)
        if (h[i - 1].clock && !h[i].clock)
            bits += h[i].dataout ? '1' : '0';
    return bits;
}

// The times of the rising and of the falling CLOCK edges.
std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>>
clock_edges(const std::vector<line_levels>& h) {
    std::vector<std::int64_t> rises, falls;
    for (std::size_t i = 1; i < h.size(); ++i)
        if (h[i].clock != h[i - 1].clock)
            (h[i].clock ? rises : falls).push_back(h[i].time_us);
    return {rises, falls};
}

class SerialTransfer : public hardware_test::hardware_fixture {
  protected:
    void SetUp() override {
        hardware_fixture::SetUp();
        set_lines_idle();
        clear_records();
    }
};

TEST_F(SerialTransfer, SendCommandShiftsLeastSignificantBitFirstOneChangePerWrite) {
    send_command(0x0D, 0x1234);
    const auto h = line_history(port->accesses);
    EXPECT_EQ(bits_taken(h), "1011"
                             "0010110001001000");
    EXPECT_FALSE(h.back().clock || h.back().dataout);
    std::string expected; // 20 bits of three line changes, DATA OUT back to 0 twice
    for (int i = 0; i < 62; ++i)
        expected += "WWRYY";
    EXPECT_EQ(timeline, expected);
}

TEST_F(SerialTransfer, OutOfRangeArgumentsChangeNoLine) {
    send_command(16, 0);
    send_command(0, 65536);
    send_command(-1, 0);
    EXPECT_EQ(read_byte(-1), 0);
    EXPECT_EQ(read_byte(16), 0);
    EXPECT_TRUE(timeline.empty());
}

// In both pacings; the fast one reads the status register only for the eight sampled
// bits and writes twice per clock, DATA OUT going to 1 with the first output clock.
TEST_F(SerialTransfer, ReadByteSamplesWhileClockIsHighBitZeroFirst) {
    for (const bool fast : {false, true})
        for (const std::int32_t pattern : {0x05, 0x80, 0xA5}) {
            SCOPED_TRACE(std::to_string(pattern) + (fast ? " fast" : ""));
            port_pacing.fast = fast;
            // A chip's answer, from the rising edges written so far: bit k from the rising
            // edge of clock 13+k while CLOCK is high, the complement while it is low; logical
            // 1 is pin 10 low (inverting receiver).
            port->status_source = [pattern](const hardware_test::recording_port& p) {
                const auto history = line_history(p.accesses);
                int rises = 0;
                for (std::size_t i = 1; i < history.size(); ++i)
                    rises += history[i].clock && !history[i - 1].clock;
                const int k = rises - 13;
                const bool bit = k >= 0 && k < 8 && ((pattern >> k) & 1);
                return std::uint8_t(bit == history.back().clock ? 0x00 : 0x40);
            };
            clear_records();
            EXPECT_EQ(read_byte(9), pattern);
            const auto h = line_history(port->accesses);
            EXPECT_EQ(bits_taken(h), "1001" + std::string(8, '0') + std::string(8, '1'));
            EXPECT_FALSE(h.back().clock || h.back().dataout);
            if (fast) {
                EXPECT_EQ(std::count(timeline.begin(), timeline.end(), 'R'), 8);
                EXPECT_EQ(std::count(timeline.begin(), timeline.end(), 'W'), 41);
            }
        }
}

TEST_F(SerialTransfer, ProgramPulseHoldsTheFourthClockForTheProgrammingTime) {
    program_pulse(7);
    const auto h = line_history(port->accesses);
    EXPECT_EQ(bits_taken(h), std::string(20, '0'));
    const auto [rises, falls] = clock_edges(h);
    ASSERT_EQ(rises.size(), 20u);
    EXPECT_EQ(falls[3] - rises[3], 7000);
    // Then CLOCK stays low for the discharge time before the payload clocks.
    EXPECT_GE(rises[4] - falls[3], 200);
    EXPECT_EQ(clock.now_us(), 8000);
}

TEST_F(SerialTransfer, PowerSequencesOrderAndWait) {
    for (const std::int32_t sequence : {1, 2}) {
        clear_records();
        const std::int64_t start = clock.now_us();
        power_up(sequence);
        auto h = line_history(port->accesses);
        ASSERT_EQ(h.size(), 3u) << sequence;
        EXPECT_EQ(h[1].vdd, sequence == 1) << sequence;
        EXPECT_EQ(h[1].vpp, sequence == 2) << sequence;
        EXPECT_TRUE(h[2].vdd && h[2].vpp && h[2].time_us == start + 50000) << sequence;
        clear_records();
        power_down(); // VDD first whatever the sequence
        h = line_history(port->accesses);
        ASSERT_EQ(h.size(), 3u);
        EXPECT_TRUE(!h[1].vdd && h[1].vpp) << sequence;
        EXPECT_TRUE(!h[2].vdd && !h[2].vpp && h[2].time_us == start + 150000) << sequence;
        EXPECT_EQ(clock.now_us(), start + 200000);
    }
    clear_records();
    power_up(0);
    EXPECT_TRUE(timeline.empty());
}

// Key entry in both pacings: VDD first, MCLR pulsed and taken low, at least 4 ms, the key
// "MCHP" most significant bit first with MCLR low, MCLR high again and 400 us before any
// command; power-down then takes MCLR low before VDD.
TEST_F(SerialTransfer, KeyEntryClocksTheKeyMsbFirstWithMclrLow) {
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "paced");
        port_pacing.fast = fast;
        clear_records();
        power_up_with_key();
        send_command(0, 0);
        const auto h = line_history(port->accesses);
        std::vector<std::size_t> mclr_changes;
        for (std::size_t i = 1; i < h.size(); ++i) {
            if (h[i].vpp != h[i - 1].vpp)
                mclr_changes.push_back(i);
            EXPECT_TRUE(h[i].vdd || !h[i].vpp) << "MCLR high without VDD at " << i;
        }
        ASSERT_EQ(mclr_changes.size(), 3u);
        const auto& rise = h[mclr_changes[0]];
        const auto& fall = h[mclr_changes[1]];
        const auto& back = h[mclr_changes[2]];
        EXPECT_GE(rise.time_us - h[1].time_us, 50000); // VDD settled first
        std::vector<line_levels> key(h.begin() + static_cast<long>(mclr_changes[1]),
                                     h.begin() + static_cast<long>(mclr_changes[2]));
        std::vector<line_levels> after(h.begin() + static_cast<long>(mclr_changes[2]), h.end());
        EXPECT_EQ(bits_taken(key), "01001101010000110100100001010000");
        const auto [key_rises, key_falls] = clock_edges(key);
        ASSERT_FALSE(key_rises.empty());
        EXPECT_GE(key_rises.front() - fall.time_us, 4000);
        const auto [command_rises, command_falls] = clock_edges(after);
        ASSERT_EQ(command_rises.size(), 20u);
        EXPECT_GE(command_rises.front() - back.time_us, 400);
        EXPECT_TRUE(!back.clock && back.vdd);

        clear_records();
        power_down();
        const auto down = line_history(port->accesses);
        ASSERT_EQ(down.size(), 3u);
        EXPECT_TRUE(!down[1].vpp && down[1].vdd);
        EXPECT_TRUE(!down[2].vpp && !down[2].vdd);
        // The next high-voltage power-down is VDD first again.
        power_up(1);
        clear_records();
        power_down();
        EXPECT_TRUE(line_history(port->accesses)[1].vpp);
    }
}

// The 8-bit frame: command and payload most significant bit first, the field shifted left
// once (start and stop bits 0); a read is 24 clocks whose value is bits 16:1; key entry for
// these families leaves MCLR low.
TEST_F(SerialTransfer, EightBitFrameAndKeyEntryWithMclrLow) {
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "paced");
        port_pacing.fast = fast;
        clear_records();
        send_command8(0x80, 0x300000);
        send_command8(0xF8);
        EXPECT_EQ(bits_taken(line_history(port->accesses)), "10000000"
                                                            "011000000000000000000000"
                                                            "11111000");
        // A chip answering 74A0h: frame bit 23 - i on the rising edge of read clock i.
        constexpr std::int32_t frame = 0x74A0 << 1;
        port->status_source = [](const hardware_test::recording_port& p) {
            const auto history = line_history(p.accesses);
            int rises = 0;
            for (std::size_t i = 1; i < history.size(); ++i)
                rises += history[i].clock && !history[i - 1].clock;
            const int i = rises - 9;
            const bool bit = i >= 0 && i < 24 && ((frame >> (23 - i)) & 1);
            return std::uint8_t(bit == history.back().clock ? 0x00 : 0x40);
        };
        clear_records();
        EXPECT_EQ(byte_value(read_deferred8(0xFC, 2)), 0x74A0);
        EXPECT_EQ(bits_taken(line_history(port->accesses)), "11111100" + std::string(24, '1'));
        port->status_source = nullptr;

        clear_records();
        power_up_with_key(true);
        send_command8(0xF8);
        const auto h = line_history(port->accesses);
        std::vector<std::size_t> mclr_changes;
        for (std::size_t i = 1; i < h.size(); ++i)
            if (h[i].vpp != h[i - 1].vpp)
                mclr_changes.push_back(i);
        ASSERT_EQ(mclr_changes.size(), 2u); // the pulse; then MCLR stays low
        std::vector<line_levels> after(h.begin() + static_cast<long>(mclr_changes[1]), h.end());
        EXPECT_EQ(bits_taken(after), "01001101010000110100100001010000"
                                     "11111000");
        const auto [rises, falls] = clock_edges(after);
        ASSERT_EQ(rises.size(), 40u);
        EXPECT_GE(rises[32] - falls[31], 1000);
        power_down();
    }
}

// Fast port access: the same bits on the same edges, two writes per bit (the data level
// with the rising edge), the discharge hold the part's own, and the adapter's delay after
// every write.
TEST_F(SerialTransfer, FastAccessSendsTheSameBitsWithTwoWritesEach) {
    port_pacing.fast = true;
    send_command(0x0D, 0x1234);
    auto h = line_history(port->accesses);
    EXPECT_EQ(bits_taken(h), "1011"
                             "0010110001001000");
    std::string expected;
    for (int i = 0; i < 40; ++i)
        expected += "WY";
    EXPECT_EQ(timeline, expected);
    // Each rising edge carries its bit: DATA OUT never changes while CLOCK is high.
    for (std::size_t i = 1; i < h.size(); ++i)
        if (h[i - 1].clock && h[i].clock)
            ADD_FAILURE() << "a write while CLOCK stayed high";

    clear_records();
    const std::int64_t start = clock.now_us();
    program_pulse(1, 150);
    h = line_history(port->accesses);
    EXPECT_EQ(bits_taken(h), std::string(20, '0'));
    const auto [rises, falls] = clock_edges(h);
    ASSERT_EQ(rises.size(), 20u);
    EXPECT_EQ(falls[3] - rises[3], 1000);
    EXPECT_EQ(rises[4] - falls[3], 150);
    EXPECT_EQ(clock.now_us() - start, 1150);

    port_pacing.delay_us = 3;
    clear_records();
    const std::int64_t before = clock.now_us();
    send_command(0, 0);
    EXPECT_EQ(clock.now_us() - before, 40 * 3);
}

TEST(SplitAddress, TruncatingByteSplit) {
    const struct {
        std::int32_t value, upper, high, low;
    } rows[] = {{0x012345, 1, 0x23, 0x45},
                {1 << 24, 256, 0, 0},
                {0x3FFFFE, 0x3F, 0xFF, 0xFE},
                {0x00FFFF, 0, 0xFF, 0xFF},
                {-65537, -1, 0, -1}};
    for (const auto& r : rows) {
        split_address(r.value);
        EXPECT_TRUE(upper_byte == r.upper && high_byte == r.high && low_byte == r.low)
            << r.value << ": " << upper_byte << " " << high_byte << " " << low_byte;
    }
    EXPECT_EQ(bit_string(0x1D, 4), "1101");
    EXPECT_EQ(bit_string(0x1234, 16), "0001001000110100");
}

} // namespace
