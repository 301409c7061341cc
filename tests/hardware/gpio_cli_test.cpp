// pinwright-cli with --port gpio:... through the unmodified libgpiod on a chip emulated
// under umockdev, with a strict virtual chip in the adapter's socket: Erase All, Program
// All, Verify and Read All of one part of each family; `ports` listing the chip; the doctor
// finding the line DATA IN is on; a chip that vanishes mid-run.
#include "../support/cli_chip_run.h"
#include "../support/fake_parports.h"
#include "../support/gpio_emulator.h"
#include "cli/port_commands.h"
#include "hardware/virtual_chip_socket.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using test_support::family_part;
using test_support::gpio_emulator;

const std::string port = "gpio:/dev/gpiochip0";

class GPIOCliFamily : public ::testing::TestWithParam<family_part> {
  protected:
    test_support::cli_chip_run cli;
};

TEST_P(GPIOCliFamily, ErasesProgramsVerifiesAndReads) {
    ASSERT_TRUE(gpio_emulator::in_mock_environment());
    const family_part& row = GetParam();
    const std::string model = std::string("PIC") + row.part;
    ASSERT_NO_FATAL_FAILURE(cli.assemble(row.part, row.watchdog));
    gpio_emulator emulated({.handle_calls_in_process = true});
    emulated.insert_chip(hardware::socket_virtual_chip(cli.make_chip(row.part)));

    const std::pair<std::vector<std::string>, const char*> steps[] = {
        {{"erase"}, "Chip erased. "},
        {{"program", cli.path("app.hex")}, "Chip programmed. "},
        {{"verify", cli.path("app.hex")}, "Chip verified. "},
        {{"read", cli.path("back.hex")}, "Chip read. "}};
    for (const auto& [args, caption] : steps) {
        EXPECT_EQ(cli.run(args, model, row.voltages, port), 0) << args[0] << ":\n" << cli.output();
        EXPECT_NE(cli.out.str().find(caption), std::string::npos) << cli.output();
        if (args[0] == "erase") {
            EXPECT_TRUE(cli.chip_filled_with(0xFF));
        }
    }
    EXPECT_TRUE(cli.chip_holds(cli.load("app.hex")));
    const image::memory_buffer back = cli.load("back.hex");
    EXPECT_TRUE(cli.chip_holds(back));
    EXPECT_TRUE(std::equal(cli.chip->config().begin(), cli.chip->config().end(),
                           back.config_image.begin()));
    EXPECT_TRUE(cli.chip->protocol_errors().empty()) << cli.chip->protocol_errors().front();
    EXPECT_TRUE(emulated.all_released());
    EXPECT_EQ(emulated.levels(), hardware::gpio_pin_board::chip_levels{});
}

INSTANTIATE_TEST_SUITE_P(OnePartPerFamily, GPIOCliFamily,
                         ::testing::ValuesIn(test_support::one_part_per_family),
                         [](const auto& p) { return std::string(p.param.part); });

// `ports` lists the chip with its --port spec; the doctor, on an adapter that reads PGD on
// line 27 while the stored wiring says 25, names the setting to change.
TEST(GPIOCli, PortsListsTheChipAndTheDoctorFindsTheDataInLine) {
    ASSERT_TRUE(gpio_emulator::in_mock_environment());
    test_support::cli_chip_run cli;
    settings::gpio_wiring adapter;
    adapter.data_in.offset = 27;
    gpio_emulator emulated({.wiring = adapter, .handle_calls_in_process = true});
    emulated.insert_chip(hardware::socket_virtual_chip(cli.make_chip("18F4520")));

    cli::session s{cli.out, cli.err, {}, {}, false};
    const test_support::fake_parports no_parallel_port;
    const auto refuse_io = [](unsigned long, unsigned long, int) {
        errno = EPERM;
        return -1;
    };
    EXPECT_EQ(cli::command_ports(s, no_parallel_port.roots(), refuse_io), 0) << cli.err.str();
    for (const char* says :
         {"\n\nLinux GPIO chip (a Raspberry Pi's header) through the GPIO "
          "character device:\n",
          "\ngpio:/dev/gpiochip0  gpiochip0 \"pinctrl-bcm2835\", 54 lines  yes\n"})
        EXPECT_NE(cli.out.str().find(says), std::string::npos) << cli.out.str();

    EXPECT_EQ(cli.run({"doctor"}, "PIC18F4520", test_support::five_volts, "gpio:pinctrl-bcm2835"),
              3)
        << cli.output();
    for (const char* says : {"With \"GPIO DATAIN Line\" set to 27 the chip answers as PIC18F4520",
                             "set GPIO%20DATAIN%20Line=27"})
        EXPECT_NE(cli.out.str().find(says), std::string::npos) << cli.output();
    EXPECT_TRUE(emulated.all_released());
}

// The chip vanishing during Program All stops it with exit 3 and no success; every line is
// released and the supplies are off.
TEST(GPIOCli, AVanishedChipNeverEndsInSuccess) {
    ASSERT_TRUE(gpio_emulator::in_mock_environment());
    test_support::cli_chip_run cli;
    ASSERT_NO_FATAL_FAILURE(cli.assemble("18f2221", "WDT"));
    gpio_emulator emulated({.handle_calls_in_process = true});
    emulated.insert_chip(hardware::socket_virtual_chip(cli.make_chip("18F2221")));
    emulated.vanish_after(20'000); // past the ID read and the erase, among the writes
    EXPECT_EQ(
        cli.run({"program", cli.path("app.hex")}, "PIC18F2221", test_support::five_volts, port), 3)
        << cli.output();
    EXPECT_EQ(cli.out.str().find("Chip programmed. "), std::string::npos) << cli.output();
    EXPECT_NE(cli.output().find("Program All stopped: /dev/gpiochip0 (pinctrl-bcm2835) failed "
                                "while in use (setting lines 22, 18, 23, 24: the GPIO chip is "
                                "gone (ENODEV))"),
              std::string::npos)
        << cli.output();
    EXPECT_TRUE(emulated.all_released());
    EXPECT_EQ(emulated.levels(), hardware::gpio_pin_board::chip_levels{});
}

} // namespace
