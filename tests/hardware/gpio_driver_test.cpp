// The GPIO line driver through the unmodified libgpiod on a chip emulated under umockdev,
// with the strict virtual PIC18F4520 in the adapter's socket: the kernel requests (flags,
// active-low for inverted lines, safe initial values, CLOCK and DATA OUT in one set call),
// the device ID and a programmed word read back, the release of every line on close and
// on a vanished chip, a refused pull-up, and the chips as listed and looked up.
#include "../support/gpio_emulator.h"
#include "../support/serial_words.h"
#include "hardware/adapter_gpio_row.h"
#include "hardware/gpio_chip_access.h"
#include "hardware/gpio_line_driver.h"
#include "hardware/port_lines.h"
#include "hardware/serial_transfer.h"
#include "hardware/virtual_chip_socket.h"
#include "sim/virtual_chip.h"

#include <linux/gpio.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using namespace Module94;
using test_support::gpio_emulator;

// The device ID, then 0xBEEF programmed at 0x100 and read back, in one power cycle.
std::pair<std::int32_t, std::int32_t> identify_and_program() {
    power_up(1);
    test_support::set_table_pointer(0x3FFFFE);
    const std::int32_t id = read_byte(9) | read_byte(9) << 8;
    const std::int32_t word = test_support::program_and_read_word(0x0100, 0xBEEF, 100);
    power_down();
    return {id, word};
}

settings::gpio_wiring inverted(bool supplies, bool clock, bool data_out, bool data_in) {
    settings::gpio_wiring wiring;
    wiring.vdd.inverted = wiring.vpp.inverted = supplies;
    wiring.clock.inverted = clock;
    wiring.data_out.inverted = data_out;
    wiring.data_in.inverted = data_in;
    wiring.data_in_pull_up = data_in;
    return wiring;
}

struct wiring_row {
    const char* name;
    settings::gpio_wiring wiring;
    // Offsets of each output request, in the driver's order, and whether it is active-low.
    std::vector<std::pair<std::vector<std::uint32_t>, bool>> outputs;
};

class GPIODriverOnEmulatedChip : public ::testing::TestWithParam<wiring_row> {
  protected:
    void TearDown() override { hardware::install_line_driver(nullptr); }
    std::shared_ptr<sim::virtual_chip> chip =
        std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
};

TEST_P(GPIODriverOnEmulatedChip, RequestsSafelyProgramsAndReleasesEveryLine) {
    const wiring_row& row = GetParam();
    gpio_emulator emulated({.wiring = row.wiring});
    emulated.insert_chip(hardware::socket_virtual_chip(chip));
    hardware::install_line_driver(hardware::open_gpio_adapter(emulated.path(), row.wiring));
    ASSERT_TRUE(hardware::port_ready())
        << hardware::failure_text(hardware::current_line_driver().status());
    EXPECT_EQ(hardware::current_line_driver().description(), "/dev/gpiochip0 (pinctrl-bcm2835)");
    EXPECT_EQ(emulated.levels(), hardware::gpio_pin_board::chip_levels{}) << "off from the start";

    const auto requests = emulated.requests();
    ASSERT_EQ(requests.size(), row.outputs.size() + 1);
    for (std::size_t k = 0; k < row.outputs.size(); ++k) {
        EXPECT_EQ(requests[k].offsets, row.outputs[k].first) << k;
        EXPECT_EQ(requests[k].flags,
                  GPIOHANDLE_REQUEST_OUTPUT |
                      (row.outputs[k].second ? GPIOHANDLE_REQUEST_ACTIVE_LOW : 0))
            << k;
        EXPECT_EQ(requests[k].initial, std::vector<int>(requests[k].offsets.size(), 0)) << k;
        EXPECT_EQ(requests[k].consumer, "pinwright");
    }
    const bool data_in_inverted = row.wiring.data_in.inverted;
    EXPECT_EQ(requests.back().offsets, std::vector<std::uint32_t>{25});
    EXPECT_EQ(requests.back().flags,
              GPIOHANDLE_REQUEST_INPUT | (data_in_inverted ? GPIOHANDLE_REQUEST_ACTIVE_LOW |
                                                                 GPIOHANDLE_REQUEST_BIAS_PULL_UP
                                                           : 0));

    // A bit's rising edge with its data: one set call when CLOCK and DATA OUT share a request.
    const std::int64_t before = emulated.set_calls();
    clock_and_data(true, true);
    const bool shared = row.wiring.clock.inverted == row.wiring.data_out.inverted;
    EXPECT_EQ(emulated.set_calls() - before, shared ? 1 : 2);
    set_lines_idle();

    const auto [id, word] = identify_and_program();
    EXPECT_EQ(id & 0xFFF0, 0x1080);
    EXPECT_EQ(word, 0xBEEF);
    EXPECT_TRUE(chip->protocol_errors().empty()) << chip->protocol_errors().front();
    hardware::install_line_driver(nullptr); // closes the chip
    EXPECT_TRUE(emulated.all_released());
    EXPECT_EQ(emulated.levels(), hardware::gpio_pin_board::chip_levels{});
}

INSTANTIATE_TEST_SUITE_P(
    Wirings, GPIODriverOnEmulatedChip,
    ::testing::Values(
        wiring_row{"NoneInverted", {}, {{{22, 18, 23, 24}, false}}},
        wiring_row{"AllInverted", inverted(true, true, true, true), {{{22, 18, 23, 24}, true}}},
        wiring_row{"SuppliesAndDataOutInverted",
                   inverted(true, false, true, false),
                   {{{22, 18, 24}, true}, {{23}, false}}}),
    [](const auto& p) { return std::string(p.param.name); });

// The chip vanishing mid-run: the run never reads back what it wrote, the driver is
// port_lost with the reason, every line is released and the supplies are off.
TEST(GPIODriverOnVanishingChip, IsPortLostAndReleasesEveryLine) {
    gpio_emulator emulated;
    emulated.insert_chip(hardware::socket_virtual_chip(
        std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"))));
    hardware::install_line_driver(hardware::open_gpio_adapter("pinctrl-bcm2835", {}));
    ASSERT_TRUE(hardware::port_ready());
    emulated.vanish_after(300);
    const auto [id, word] = identify_and_program();
    const hardware::port_status status = hardware::current_line_driver().status();
    EXPECT_EQ(status.code, hardware::port_error::port_lost);
    EXPECT_NE(word, 0xBEEF);
    EXPECT_EQ(hardware::failure_text(status),
              "/dev/gpiochip0 (pinctrl-bcm2835) failed while in use (setting lines 22, 18, 23, 24: "
              "the GPIO chip is gone (ENODEV))");
    EXPECT_TRUE(emulated.all_released()) << "released at the failure, before close";
    EXPECT_EQ(emulated.levels(), hardware::gpio_pin_board::chip_levels{});
    hardware::install_line_driver(nullptr);
}

// What opening says when it cannot: each with the chip tried and the fix; nothing stays
// requested.
TEST(GPIODriverOpening, NamesWhatStandsInTheWay) {
    settings::gpio_wiring pull_up;
    pull_up.data_in_pull_up = true;
    settings::gpio_wiring beyond;
    beyond.data_in.offset = 60;
    settings::gpio_wiring shared;
    shared.clock.offset = 25;
    const struct {
        const char* spec;
        settings::gpio_wiring wiring;
        const char* says;
    } rows[] = {
        {"pinctrl-bcm2835", {}, ""},
        {"gpiochip0", {}, ""},
        {"/dev/gpiochip0", pull_up,
         "cannot open /dev/gpiochip0 (pinctrl-bcm2835): I/O failure (requesting line 25 "
         "as the input DATA IN with a pull-up: the kernel refused the pull-up (line bias needs "
         "Linux 5.5 or later)"},
        {"/dev/gpiochip0", beyond,
         "the GPIO wiring cannot drive the lines: DATA IN is on line 60, but gpiochip0 has lines "
         "0-53 only; correct it in Hardware Settings"},
        {"/dev/gpiochip0", shared,
         "CLOCK and DATA IN are both on line 25 (give each its own line)"},
        {"/dev/gpiochip7", {}, "no such GPIO chip; `pinwright-cli ports` lists the chips"},
        {"rp1", {}, "no GPIO chip has the label \"rp1\"; `pinwright-cli ports` lists the chips"},
    };
    gpio_emulator emulated({.bias_supported = false});
    for (const auto& row : rows) {
        const auto driver = hardware::open_gpio_adapter(row.spec, row.wiring);
        const std::string text = hardware::failure_text(driver->status());
        EXPECT_EQ(driver->is_ready(), *row.says == 0) << row.spec << ": " << text;
        EXPECT_NE(text.find(row.says), std::string::npos) << row.spec << ": " << text;
    }
    EXPECT_TRUE(emulated.all_released());

    const auto chips = hardware::list_gpio_chips();
    ASSERT_EQ(chips.size(), 1u);
    EXPECT_EQ(chips[0].info.label, "pinctrl-bcm2835");
    EXPECT_EQ(chips[0].info.lines, 54);
    EXPECT_TRUE(chips[0].access.usable());
}

// Who may open a chip: this process runs as root in CI, so the verdicts are checked as
// texts for the errors a user meets.
TEST(GPIOAccessVerdict, NamesTheGroupAndTheRule) {
    const auto denied = hardware::gpio_access_verdict("/dev/gpiochip0", EACCES);
    EXPECT_EQ(denied.code, hardware::port_error::permission_denied);
    EXPECT_EQ(denied.reason, "no read and write access to /dev/gpiochip0 (Permission denied)");
    EXPECT_EQ(denied.fix, "join the gpio group (sudo groupadd -f gpio; sudo adduser $USER gpio) "
                          "and install the package's udev rule (60-pinwright-gpio.rules), which "
                          "gives the group the GPIO chips; then log out and in");
    EXPECT_TRUE(hardware::gpio_access_verdict("/dev/gpiochip0", 0).usable());
    EXPECT_EQ(hardware::gpio_access_verdict("/dev/gpiochip0", ENOENT).code,
              hardware::port_error::no_device_node);
}

} // namespace
