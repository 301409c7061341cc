// The GPIO line driver over the simulated GPIO chip (no libgpiod), which the sanitizer build
// runs too: the chip in the socket answers, and takes a write, only when the program's
// inversions are the adapter's.
#include "../support/serial_words.h"
#include "hardware/gpio_board_transport.h"
#include "hardware/port_lines.h"
#include "hardware/virtual_chip_socket.h"
#include "sim/virtual_chip.h"

#include <gtest/gtest.h>

namespace {

TEST(GPIOSimulatedChip, AnswersOnlyThroughTheAdaptersInversions) {
    settings::gpio_wiring adapter;
    adapter.vpp.inverted = adapter.clock.inverted = adapter.data_in.inverted = true;
    settings::gpio_wiring wrong_clock = adapter;
    wrong_clock.clock.inverted = false;
    for (const auto& [program, answers] : {std::pair{adapter, true}, {wrong_clock, false}}) {
        auto chip = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
        hardware::install_line_driver(hardware::open_simulated_gpio_adapter(
            hardware::socket_virtual_chip(chip), program, {.wiring = adapter, .call_ns = 0}));
        ASSERT_TRUE(hardware::port_ready());
        Module94::power_up(1);
        test_support::set_table_pointer(0x3FFFFE);
        const std::int32_t id = Module94::read_byte(9) | Module94::read_byte(9) << 8;
        const std::int32_t word = test_support::program_and_read_word(0x0100, 0xBEEF, 100);
        Module94::power_down();
        hardware::install_line_driver(nullptr);
        EXPECT_EQ((id & 0xFFF0) == 0x1080, answers) << id;
        EXPECT_EQ(word == 0xBEEF, answers) << word;
        EXPECT_EQ(chip->flash()[0x100] == 0xEF, answers);
    }
}

} // namespace
