// The simulated adapter with a scripted chip: which chip pins the registers reach through
// the wiring (every output pin, hardware-inverted bits, buffers), DATA IN and the status
// register, and the host time each register access costs, down to parts of a microsecond.
#include "fake_chip.h"
#include "hardware_test_support.h"

namespace {

using hardware::adapter_wiring;
using hardware::simulated_adapter;
using levels = simulated_adapter::chip_levels;
using namespace Module94;

class SimulatedAdapter : public hardware_test::hardware_fixture {
  protected:
    void SetUp() override {
        hardware_fixture::SetUp();
        use_wiring({});
    }
    void use_wiring(const adapter_wiring& wiring) {
        chip = {};
        auto made = std::make_unique<simulated_adapter>(
            888, std::make_unique<hardware_test::fake_chip>(chip), wiring);
        made->open();
        adapter = made.get();
        hardware::install_port_backend(std::move(made));
        set_lines_idle();
    }
    levels told() const {
        const auto& c = chip.changes.back();
        return {c.vdd, c.vpp, c.pgc, c.pgd};
    }

    hardware_test::fake_chip_state chip;
    simulated_adapter* adapter = nullptr;
};

TEST_F(SimulatedAdapter, DefaultWiringMatchesTheDefaultSettings) {
    EXPECT_EQ(told(), (levels{false, false, false, false}));
    const std::pair<void (*)(), levels> steps[] = {
        {vdd_on, {true, false, false, false}},   {vpp_on, {true, true, false, false}},
        {clock_high, {true, true, true, false}}, {data_high, {true, true, true, true}},
        {clock_low, {true, true, false, true}},  {vdd_off, {false, true, false, true}}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].first();
        EXPECT_EQ(told(), steps[i].second) << "step " << i;
    }
}

TEST_F(SimulatedAdapter, EveryOutputPinReachesTheChip) {
    for (const std::int32_t pin : {1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 16, 17}) {
        for (const bool buffer_inverts : {false, true}) {
            use_wiring({{pin, buffer_inverts}, {0, false}, {0, false}, {0, false}, {10, true}});
            port_settings.pin_vdd = pin;
            port_settings.invert_vdd = buffer_inverts;
            vdd_off();
            EXPECT_FALSE(adapter->levels().vdd) << pin << " " << buffer_inverts;
            vdd_on();
            EXPECT_TRUE(told().vdd) << pin << " " << buffer_inverts;
            EXPECT_EQ(adapter->connector_level(pin), !buffer_inverts) << pin;
        }
    }
}

TEST_F(SimulatedAdapter, DataInReadsEachInputPinAndUnconnectedInputsReadHigh) {
    // Status bits 3-7 with DATA IN low on `pin` and the other inputs floating high
    // (pin 11 is the hardware-inverted bit 7).
    const std::pair<std::int32_t, int> pins[] = {
        {10, 0x38}, {11, 0xF8}, {12, 0x58}, {13, 0x68}, {15, 0x70}};
    for (const auto& [pin, status] : pins) {
        use_wiring({{4, false}, {5, false}, {3, true}, {2, true}, {pin, false}});
        port_settings.pin_datain = pin;
        port_settings.invert_datain = 0;
        for (const bool level : {true, false}) {
            chip.drive = level;
            EXPECT_EQ(read_data_in(), level) << "pin " << pin;
        }
        EXPECT_EQ(adapter->inp32(0x379) & 0xF8, status) << "pin " << pin;
    }
}

TEST_F(SimulatedAdapter, AccessesCostHostTimeAndTheChipHearsOnlyChanges) {
    const std::size_t told_before = chip.changes.size();
    std::int64_t before = clock.now_us();
    read_data_in(); // no line changes
    EXPECT_EQ(chip.changes.size(), told_before);
    EXPECT_EQ(clock.now_us() - before, 3); // two writes and a read, 1 us each
    adapter->set_access_cost_us(5);
    before = clock.now_us();
    vdd_on();
    EXPECT_EQ(clock.now_us() - before, 15);
    EXPECT_EQ(chip.changes.back().time_ns, (before + 5) * 1000) << "told at the data write";
    EXPECT_TRUE(chip.edge_timing);
    adapter->set_access_cost_us(0);
    EXPECT_FALSE(chip.edge_timing) << "the host's own clock: several accesses per microsecond";
    before = clock.now_us();
    vdd_off();
    EXPECT_EQ(clock.now_us(), before);
}

TEST_F(SimulatedAdapter, PartsOfAMicrosecondAddUpAcrossAccesses) {
    adapter->set_access_cost_ns(400);
    EXPECT_EQ(adapter->access_cost_ns(), 400);
    EXPECT_TRUE(chip.edge_timing);
    const std::int64_t before = clock.now_us();
    const std::size_t told_before = chip.changes.size();
    const std::uint8_t writes[] = {0x07, 0x0F, 0x03}; // VDD on, VPP on, both off
    for (const std::uint8_t data : writes)
        adapter->out32(888, data);
    EXPECT_EQ(clock.now_us() - before, 1) << "1200 ns: one microsecond slept, 200 ns kept";
    ASSERT_EQ(chip.changes.size(), told_before + 3);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(chip.changes[told_before + i].time_ns,
                  before * 1000 + 400 * static_cast<std::int64_t>(i + 1));
    adapter->out32(888, 0x07);
    EXPECT_EQ(chip.changes.back().time_ns, before * 1000 + 1600);
}

} // namespace
