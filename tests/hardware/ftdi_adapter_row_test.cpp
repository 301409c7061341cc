// The FTDI row of the adapter table on a board emulated under umockdev, through the CLI:
// `ports` lists the board with its --port spec, and a chip command runs on it with the
// stored FTDI wiring; the doctor on a board wired otherwise names the setting to change.
#include "../support/fake_parports.h"
#include "../support/ftdi_emulator.h"
#include "cli/commands.h"
#include "cli/port_commands.h"
#include "hardware/virtual_chip_socket.h"
#include "sim/virtual_chip.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

namespace {

TEST(FTDIAdapterRow, PortsListsTheBoardAndAChipCommandRunsOnIt) {
    ASSERT_TRUE(test_support::ftdi_emulator::in_mock_environment());
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    test_support::ftdi_emulator board;
    auto chip = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
    board.insert_chip(hardware::socket_virtual_chip(chip));

    std::ostringstream out, err;
    cli::session s{out, err, {}, {}, false};
    const test_support::fake_parports no_parallel_port;
    const auto refuse_io = [](unsigned long, unsigned long, int) {
        errno = EPERM;
        return -1;
    };
    // No parallel port, but a board this user can open.
    EXPECT_EQ(cli::command_ports(s, no_parallel_port.roots(), refuse_io), 0) << err.str();
    EXPECT_NE(out.str().find("\nftdi:PW1A2B3C  FT232R serial PW1A2B3C, bus 1 device 2  yes\n"),
              std::string::npos)
        << out.str();

    out.str({});
    EXPECT_EQ(cli::run_cli({"identify", "--port", "ftdi:PW1A2B3C", "--vdd", "5", "--vpp", "13"},
                           PINWRIGHT_SOURCE_DIR "/data", out, err),
              0)
        << err.str();
    EXPECT_NE(out.str().find("PIC18F4520"), std::string::npos) << out.str();
    EXPECT_TRUE(chip->protocol_errors().empty()) << chip->protocol_errors().front();
}

// The board reads PGD on DTR (D4), the stored wiring on CTS (D3): the doctor's tries,
// each reopening the board through libftdi1, find the bit.
TEST(FTDIAdapterRow, DoctorNamesTheBitDataInIsOn) {
    ASSERT_TRUE(test_support::ftdi_emulator::in_mock_environment());
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    settings::ftdi_wiring board_wiring;
    board_wiring.data_in.bit = 4;
    test_support::ftdi_emulator board({.wiring = board_wiring});
    board.insert_chip(hardware::socket_virtual_chip(
        std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"))));
    std::ostringstream out, err;
    EXPECT_EQ(cli::run_cli({"doctor", "--port", "ftdi:PW1A2B3C", "--model", "PIC18F4520", "--vdd",
                            "5", "--vpp", "13"},
                           PINWRIGHT_SOURCE_DIR "/data", out, err),
              3)
        << err.str();
    for (const char* says :
         {"With \"FTDI DATAIN Bit\" set to 4 (D4 (DTR)) the chip answers as PIC18F4520",
          "set FTDI%20DATAIN%20Bit=4"})
        EXPECT_NE(out.str().find(says), std::string::npos) << out.str();
}

} // namespace
