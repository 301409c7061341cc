// pinwright-cli: commands run in-process, and the executable itself for what only a
// real process shows (exit codes, the database found beside the executable).
#include "../support/fake_parports.h"
#include "cli/commands.h"
#include "cli/port_commands.h"
#include "cli/progress_display.h"
#include "core/hex_text.h"
#include "devices/device_table.h"
#include "hardware/adapter_choice.h"
#include "settings/setting_names.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pty.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }

    int run(std::vector<std::string> args) {
        out_.str({});
        err_.str({});
        return cli::run_cli(args, PINWRIGHT_SOURCE_DIR "/data", out_, err_);
    }

    std::string path(const std::string& name) const {
        return folder_.path().toStdString() + "/" + name;
    }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }

    std::string read(const std::string& name) const {
        std::ifstream file(path(name), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    QTemporaryDir folder_;
    std::ostringstream out_, err_;
};

TEST_F(Cli, HelpVersionAndUsageErrors) {
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out_.str().find("check-devices [FILE]"), std::string::npos);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out_.str().rfind("pinwright-cli ", 0), 0u);
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"frobnicate"}), 2);
    EXPECT_NE(err_.str().find("unknown command \"frobnicate\""), std::string::npos);
    EXPECT_EQ(run({"models", "--bogus"}), 2);
    EXPECT_NE(err_.str().find("unknown option --bogus"), std::string::npos);
    EXPECT_EQ(run({"models", "--model"}), 2);
    EXPECT_NE(err_.str().find("--model needs a value"), std::string::npos);
    EXPECT_EQ(run({"models", "-h"}), 0);
    EXPECT_NE(out_.str().find("check-devices [FILE]"), std::string::npos);
    for (const char* part : {"\n  ports ", "--port ADAPTER", "/dev/parportN", "ftdi[:SPEC]",
                             "ppdev:/dev/parportN", "direct:0xADDR", "gpio:CHIP", "  sim  "})
        EXPECT_NE(out_.str().find(part), std::string::npos) << part;

    // Only the program's own spellings are options, and "--" ends them.
    const std::pair<std::vector<std::string>, std::string> misuse[] = {
        {{"-hq"}, "unknown option -hq"},
        {{"--q", "models"}, "unknown option --q"},
        {{"models", "--quiet=1"}, "unknown option --quiet=1"},
        {{"--bogus", "--model"}, "unknown option --bogus"},
        {{"models", "--", "-h"}, "models takes no arguments"},
        {{"--", "--help"}, "unknown command \"--help\""},
        {{"models", "--delay-us", "-1"},
         "--delay-us needs the wait after every port write in "
         "microseconds, a whole number from 0 to 10000, not \"-1\""},
        {{"models", "--sim-access-ns=0"}, "--sim-access-ns needs the simulated port's time"},
        {{"erase", "--fast", "--no-fast"}, "--fast and --no-fast cannot be used together"},
        {{"erase", "--sim-access-ns", "5"}, "--sim-access-ns and --real-time need --simulate"},
        {{"erase", "--simulate", "--real-time", "--sim-access-ns", "5"},
         "--sim-access-ns needs the virtual clock"},
    };
    for (const auto& [args, error] : misuse) {
        EXPECT_EQ(run(args), 2) << error;
        EXPECT_NE(err_.str().find(error), std::string::npos) << err_.str();
    }
}

TEST_F(Cli, ModelsListsNumberNameAndSizes) {
    ASSERT_EQ(run({"models"}), 0) << err_.str();
    const std::string text = out_.str();
    EXPECT_NE(text.find("PIC18F4520"), std::string::npos);
    std::istringstream lines(text);
    std::string header, first;
    std::getline(lines, header);
    std::getline(lines, first);
    std::istringstream fields(first);
    int number = 0, flash = 0, eeprom = 0;
    std::string name;
    fields >> number >> name >> flash >> eeprom;
    EXPECT_EQ(number, 1);
    EXPECT_EQ(name, "PIC18F242");
    EXPECT_EQ(flash, 16384);
    EXPECT_EQ(eeprom, 256);
}

TEST_F(Cli, DatabaseProblemsAreUsageErrors) {
    EXPECT_EQ(run({"models", "--devices", path("missing.txt")}), 2);
    EXPECT_NE(err_.str().find(path("missing.txt")), std::string::npos);
    write("lf.txt", "# lines ended by LF only\nmodel: A\nflash: 2\n");
    EXPECT_EQ(run({"--devices=" + path("lf.txt"), "convert", "a.hex", "b.hex"}), 2);
    EXPECT_NE(err_.str().find("defines no model"), std::string::npos) << err_.str();
    write("bad.txt", "model: A\r\nerasealg: 40\r\n");
    EXPECT_EQ(run({"models", "--devices", path("bad.txt")}), 2);
    EXPECT_NE(err_.str().find("bad.txt:2: algorithm number 40"), std::string::npos) << err_.str();

    // A model beyond any PIC18 is listed as such and never selected, stored or named.
    write("huge.txt", "model: A\r\nflash: 2147483648\r\neeprom: 0\r\nmodel: B\r\nflash: "
                      "64\r\neeprom: 0\r\n");
    EXPECT_EQ(run({"models", "--devices", path("huge.txt")}), 0);
    EXPECT_NE(out_.str().find("A     cannot be selected: its FLASH size \"2147483648\" is more "
                              "than the 2097152 bytes a PIC18 can have\n2    B"),
              std::string::npos)
        << out_.str();
    EXPECT_EQ(run({"convert", "a.hex", "b.hex", "--devices", path("huge.txt"), "--model", "a"}), 2);
    EXPECT_NE(err_.str().find("model 1 (A) cannot be selected: its FLASH size"), std::string::npos)
        << err_.str();
    EXPECT_EQ(run({"convert", "a.hex", "b.hex", "--devices", path("huge.txt")}), 2);
    EXPECT_NE(err_.str().find("the stored model 1 (A) cannot be selected"), std::string::npos)
        << err_.str();
}

TEST_F(Cli, ModelChoice) {
    write("in.hex", ":00000001FF\r\n");
    struct case_t {
        const char* request;
        int code;
        std::string expected; // in the output or the error text
    };
    devices::device_table shipped;
    ASSERT_TRUE(
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", shipped)
            .ok());
    const case_t cases[] = {
        {"18f452", 0, "PIC18F452."},
        {"PIC18F4520", 0, "PIC18F4520."},
        {"1", 0, "PIC18F242."},
        {"0", 2, "outside 1 to"},
        {"18F45", 2, "unknown model"},
        {"4520", 0, "PIC18F4520."},
        {"K20", 2, "ambiguous"},
        {"520", 2,
         "outside 1 to " + std::to_string(shipped.model_count()) +
             " (see pinwright-cli models); names that end with 520: PIC18F2520, PIC18F4520"},
        {"18f99", 2, "unknown model \"18f99\""},
        {"auto", 2, "with the chip commands only"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run({"convert", path("in.hex"), path("out.hex"), "--model", c.request}), c.code)
            << c.request << ": " << err_.str();
        EXPECT_NE((out_.str() + err_.str()).find(c.expected), std::string::npos)
            << c.request << ": " << out_.str() << err_.str();
    }
}

TEST_F(Cli, ConvertRewritesAcceptedFilesOnly) {
    // Out-of-range data is a warning: the file is still converted.
    write("in.hex", ":0100000011EE\r\n:020000040001F9\r\n:01000000AA55\r\n:00000001FF\r\n");
    ASSERT_EQ(run({"convert", path("in.hex"), path("out.hex"), "--model", "18f452"}), 0)
        << err_.str();
    EXPECT_NE(err_.str().find("There are data for 1 addresses out of range:"), std::string::npos)
        << err_.str();
    EXPECT_EQ(read("out.hex").rfind(":020000040000FA\r\n:0200000011FFEE\r\n", 0), 0u)
        << read("out.hex");

    // A record error rejects the file with the reader's message and writes nothing.
    write("bad.hex", ":0100000011EF\r\n");
    EXPECT_EQ(run({"convert", path("bad.hex"), path("never.hex"), "--model", "18f452"}), 2);
    EXPECT_NE(err_.str().find("Line number 1: Invalid 'checksum' field in the record."),
              std::string::npos)
        << err_.str();
    EXPECT_FALSE(std::ifstream(path("never.hex")).good());
}

TEST_F(Cli, AHexFileThatCannotBeLoadedIsReportedOnce) {
    write("bad.hex", ":0100000011EF\r\n");
    const std::string missing = path("missing.hex");
    const std::string unreadable = "Cannot read file " + missing + ": No such file or directory.\n";
    const std::string rejected = "Input program file in Intel Hex Format contains errors.\n"
                                 "Line number 1: Invalid 'checksum' field in the record.\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"program", missing, "--simulate"}, unreadable},
        {{"verify", path("bad.hex"), "--simulate"}, rejected},
        {{"convert", missing, path("out.hex")}, unreadable},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.args), 2) << c.args[0];
        EXPECT_EQ(err_.str(), c.err) << c.args[0];
        EXPECT_EQ(out_.str(), "") << c.args[0];
    }
}

TEST_F(Cli, PortChoicesAndThePortList) {
    test_support::fake_parports system;
    system.add_port(0, "888\t1912\n", "PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA");
    system.add_device_file(0, std::filesystem::perms::all);
    system.add_port(1, "53264\t53248\n", "PCSPP,TRISTATE"); // no /dev/parport1

    const std::string unknown_kind = "unknown adapter kind '";
    const struct {
        std::string text;
        std::string adapter; // canonical, as stored
        std::int32_t base;
        int code;
        std::string error; // part of the message
    } choices[] = {
        {"1", "0x378", 888, 0, ""},
        {"3", "0x3BC", 956, 0, ""},
        {"0x378", "0x378", 888, 0, ""},
        {"0XD010", "0xD010", 0xD010, 0, ""},
        {"0xd010", "0xD010", 0xD010, 0, ""},
        {system.dev(1), system.dev(1), 0xD010, 0, ""},
        {"ppdev:" + system.dev(1), "ppdev:" + system.dev(1), 0xD010, 0, ""},
        {"direct:0xd010", "direct:0xD010", 0xD010, 0, ""},
        {"FTDI", "ftdi", 0, 0, ""},
        {"ftdi:A1B2C3", "ftdi:A1B2C3", 0, 0, ""},
        {"GPIO:/dev/gpiochip0", "gpio:/dev/gpiochip0", 0, 0, ""},
        {"sim", "sim", 0, 0, ""},
        {"4", "", 0, 2, "--port must be 1, 2 or 3 (LPT1-LPT3), a base address in hex"},
        {"378", "", 0, 2, "not \"378\""},
        {"0xFF", "", 0, 2, "from 0x100 to 0xFFFD"},
        {"0xFFFE", "", 0, 2, "/dev/parport0"},
        {"0x10000", "", 0, 2, "not \"0x10000\""},
        {"0x37g", "", 0, 2, "not \"0x37g\""},
        {"", "", 0, 2, "not \"\""},
        {system.dev(2), "", 0, 3,
         "not a parallel port the kernel lists (it lists " + system.dev(0)},
        {"ppdev:" + system.dev(2), "", 0, 3, "not a parallel port the kernel lists"},
        {"ppdev:parport0", "", 0, 2, "ppdev needs the port's device, such as ppdev:/dev/parport0"},
        {"direct:888", "", 0, 2, "direct needs a base address in hex from 0x100 to 0xFFFD"},
        {"ftdi:", "", 0, 2, "name the board after \"ftdi:\""},
        {"sim:18F452", "", 0, 2, "sim takes nothing after it"},
        {"x", "", 0, 2,
         "--port x: " + unknown_kind +
             "x': use ftdi[:SPEC], gpio:CHIP, ppdev:/dev/parportN, direct:0xADDR, sim, 1-3, "
             "0xADDR or /dev/parportN"},
        {"serial:/dev/ttyUSB0", "", 0, 2, unknown_kind + "serial'"},
        {"gpio:", "", 0, 2, "gpio needs the chip, by its device (gpio:/dev/gpiochip0)"},
    };
    for (const auto& c : choices) {
        const cli::port_choice choice = cli::resolve_port_choice(c.text, system.roots());
        EXPECT_EQ(choice.base, c.base) << c.text;
        EXPECT_EQ(choice.code, c.code) << c.text;
        EXPECT_NE(choice.error.find(c.error), std::string::npos) << c.text << ": " << choice.error;
        if (c.code != 0)
            continue;
        // The canonical text reads back as the same adapter.
        EXPECT_EQ(hardware::adapter_text(choice.adapter), c.adapter) << c.text;
        EXPECT_EQ(hardware::parse_adapter(c.adapter).adapter, choice.adapter) << c.text;
    }

    const auto refuse_io = [](unsigned long, unsigned long, int) {
        errno = EPERM;
        return -1;
    };
    cli::session s{out_, err_, {}, {}, false};
    EXPECT_EQ(cli::command_ports(s, system.roots(), refuse_io), 0) << err_.str();
    std::istringstream lines(out_.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("Device ", 0), 0u) << line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind(system.dev(0) + "  0x378    PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA  yes", 0),
              0u)
        << line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind(system.dev(1) + "  0xD010   PCSPP,TRISTATE", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 4), "  no") << line;
    // The parallel ports first, then the FTDI row's section.
    for (const char* part : {"does not exist", "fix: load the ppdev driver: sudo modprobe ppdev",
                             "  raw port I/O: ", "\n\nFTDI USB board in bit-bang mode"})
        EXPECT_NE(out_.str().find(part), std::string::npos) << part << " not in " << out_.str();

    // Nothing usable, nothing listed, and a stray argument.
    std::filesystem::remove(system.dev(0));
    out_.str({});
    EXPECT_EQ(cli::command_ports(s, system.roots(), refuse_io), 3);
    EXPECT_NE(err_.str().find("can use none of these ports"), std::string::npos) << err_.str();
    test_support::fake_parports empty;
    EXPECT_EQ(cli::command_ports(s, empty.roots(), refuse_io), 3);
    EXPECT_NE(err_.str().find("fix: load the parport_pc driver: sudo modprobe parport_pc"),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(run({"ports", "x"}), 2);
}

// A chip command's adapter: --port, else the stored one; one that cannot be opened is a
// port failure with its row's reason, for the doctor too.
TEST_F(Cli, TheAdapterOfAChipCommand) {
    const auto chip_command = [&](const char* command, std::vector<std::string> more) {
        more.insert(more.begin(), {command, "--model", "PIC18F4520", "--vdd", "5", "--vpp", "13"});
        return run(more);
    };
    // A serial number no board has, so that a board plugged into this machine is left alone.
    const std::string nowhere = "ftdi:PW-NO-SUCH-BOARD";
    EXPECT_EQ(chip_command("erase", {"--port", nowhere}), 3);
    const std::string failed = err_.str();
    const std::size_t reason = failed.find("cannot open " + nowhere);
    ASSERT_NE(reason, std::string::npos) << failed;
    EXPECT_EQ(chip_command("doctor", {"--port", nowhere}), 3);
    EXPECT_NE(out_.str().find("1. Port access [FAILED]: " + failed.substr(reason, 30)),
              std::string::npos)
        << out_.str();
    EXPECT_EQ(chip_command("erase", {"--port", "ftdi", "--simulate"}), 2);
    EXPECT_NE(err_.str().find("it cannot be used with --port ftdi (use --port sim alone)"),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(chip_command("erase", {"--port", "ftdi:0", "--trace", path("t.txt")}), 2);
    EXPECT_NE(err_.str().find("the adapter ftdi:0 has none"), std::string::npos) << err_.str();
    // Stored: the simulated adapter takes the simulation's options as --simulate does.
    settings::adapter_setting.write("sim");
    EXPECT_EQ(chip_command("erase", {"--sim-part", "18F4520"}), 0) << err_.str();
    EXPECT_NE(out_.str().find("simulated"), std::string::npos) << out_.str();
}

TEST_F(Cli, CheckDevices) {
    EXPECT_EQ(run({"check-devices", path("none.txt")}), 2);
    EXPECT_EQ(err_.str(), "pinwright-cli: Cannot open the device database " + path("none.txt") +
                              ": No such file or directory.\n");
    EXPECT_EQ(run({"check-devices", folder_.path().toStdString()}), 2);
    EXPECT_NE(err_.str().find("Cannot read the device database " + folder_.path().toStdString() +
                              ": Is a directory."),
              std::string::npos)
        << err_.str();
    write("db.txt", "model: A\r\nflash: 10\r\nnospace\r\n");
    EXPECT_EQ(run({"check-devices", path("db.txt")}), 1);
    EXPECT_NE(out_.str().find(path("db.txt") + ":3: line without a space"), std::string::npos)
        << out_.str();
}

TEST_F(Cli, PresetsAndCheckPresets) {
    ASSERT_EQ(run({"presets"}), 0) << err_.str();
    EXPECT_EQ(out_.str().rfind("P16PRO40 / Tait 7406 (parallel, the factory wiring)\n  lines: VDD "
                               "4, VPP 5, CLOCK 3 inverted, DATA OUT 2 inverted, DATA IN 10 "
                               "inverted\n  nominal VPP 13.00 V, VDD 5.00 V; key entry: no\n  "
                               "status: works\n",
                               0),
              0u)
        << out_.str();
    EXPECT_NE(out_.str().find("NOPPP (parallel)\n  lines: VDD 9, VPP 2 inverted, CLOCK 1, DATA "
                              "OUT 14, DATA IN 11\n  nominal VPP 12.00 V, VDD 5.00 V; key entry: "
                              "no\n  status: cannot be driven: DATA OUT must go out on two pins"),
              std::string::npos)
        << out_.str();
    EXPECT_EQ(run({"check-presets"}), 0);
    EXPECT_NE(out_.str().find("pinwrightpresets.txt: no problems (36 presets)"), std::string::npos)
        << out_.str();
    write("bad.txt", "preset: A\nkind: parallel\nvdd: 4\n");
    EXPECT_EQ(run({"--presets", path("bad.txt"), "check-presets"}), 1);
    EXPECT_EQ(out_.str().find(path("bad.txt") + " line 1: preset \"A\": no \"vpp:\" line\n"), 0u);
    EXPECT_NE(out_.str().find(path("bad.txt") + ": 9 problems\n"), std::string::npos);
    EXPECT_EQ(run({"presets", "--presets", path("none.txt")}), 2);
    EXPECT_NE(err_.str().find("Cannot read the adapter presets " + path("none.txt")),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(run({"models", "--preset", "NOPPP"}), 2);
    EXPECT_NE(err_.str().find("--preset goes with the chip commands only"), std::string::npos);
}

// Program All's captions name the word being started (F:1/256, F:3/256 ... F:255/256); the
// phase shows 100 % once the next begins. On a terminal each phase is one line redrawn in
// place within the width; elsewhere a line per tenth.
TEST(ProgressDisplay, BarOnATerminalLinesOnAPipe) {
    auto show = [](bool terminal, int columns) {
        std::ostringstream err;
        std::int64_t now = 0;
        cli::progress_display progress(
            err, terminal, false, [&now] { return now; }, [columns] { return columns; });
        for (long done = 1; done < 256; done += 2, now += 40'000)
            progress.caption("F:" + std::to_string(done) + "/256");
        progress.caption("CONF1L:");
        progress.caption("CONF1H:");
        progress.operation_ended(true);
        return err.str();
    };
    EXPECT_EQ(show(false, 80),
              "FLASH  0% (1/256)\nFLASH  10% (27/256)\nFLASH  20% (53/256)\n"
              "FLASH  30% (77/256)\nFLASH  40% (103/256)\nFLASH  50% (129/256)\n"
              "FLASH  60% (155/256)\nFLASH  70% (181/256)\nFLASH  80% (205/256)\n"
              "FLASH  90% (231/256)\nFLASH  100% (256/256)\nconfiguration bytes\n");
    for (const int columns : {72, 30}) {
        SCOPED_TRACE(columns);
        const std::string text = show(true, columns);
        std::vector<std::string> lines; // what each redraw leaves on the screen
        for (std::size_t at = 0; (at = text.find('\r', at)) != std::string::npos;) {
            const auto end = text.find("\x1b[K", at);
            ASSERT_NE(end, std::string::npos) << text;
            lines.push_back(text.substr(at + 1, end - at - 1));
            at = end;
        }
        ASSERT_GT(lines.size(), 10u) << text;
        for (const auto& line : lines)
            EXPECT_LT(line.size(), static_cast<std::size_t>(columns)) << line;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
        if (columns == 72) {
            EXPECT_EQ(lines[5],
                      "FLASH         [##.................]  12%  31/256 B  0.6 s, 4.3 s left");
            EXPECT_NE(text.find("] 100% 256/256 B  5.1 s\x1b[K\n\r"), std::string::npos) << text;
            EXPECT_EQ(lines.back(),
                      "configuration [" + std::string(21, '#') + "] 100% 14/14 B  0.0 s");
        }
        EXPECT_NE(text.find("100% 256/256 B"), std::string::npos) << text;
    }
}

// The real program on a pseudo-terminal 50 columns wide: the bar is redrawn in place within
// the width and ends at 100 %.
TEST_F(Cli, ProgressBarOnAPseudoTerminal) {
    int master = -1, slave = -1;
    winsize size{};
    size.ws_col = 50;
    size.ws_row = 24;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &size), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, slave, STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, master);
    const std::string config = "XDG_CONFIG_HOME=" + folder_.path().toStdString();
    std::vector<std::string> args{PINWRIGHT_BIN_DIR "/pinwright-cli", "blankcheck", "--simulate",
                                  "--model", "18f1220"};
    std::vector<char*> argv, envp{const_cast<char*>(config.c_str()), nullptr};
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(slave);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    close(master);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << text;
    // Each redraw is "\r", the line, then clear to its end (the terminal turns "\n" into
    // "\r\n", so the line starts after the last "\r").
    std::size_t redraws = 0;
    for (std::size_t end = 0; (end = text.find("\x1b[K", end)) != std::string::npos; ++end) {
        const auto start = text.rfind('\r', end);
        ASSERT_NE(start, std::string::npos);
        ++redraws;
        EXPECT_LT(end - start - 1, 50u) << text.substr(start + 1, end - start - 1);
    }
    EXPECT_GT(redraws, 3u) << text;
    EXPECT_NE(text.find("] 100% 4096/4096 B"), std::string::npos) << text;
}

TEST_F(Cli, ExecutableFindsTheDatabaseBesideItself) {
    const std::string command = "XDG_CONFIG_HOME=" + folder_.path().toStdString() + " " +
                                PINWRIGHT_BIN_DIR "/pinwright-cli models > " + path("models.txt") +
                                " 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << read("models.txt");
    EXPECT_NE(read("models.txt").find("PIC18F46K20"), std::string::npos);

    const int bad = std::system((PINWRIGHT_BIN_DIR "/pinwright-cli nothing 2>/dev/null"));
    ASSERT_TRUE(WIFEXITED(bad));
    EXPECT_EQ(WEXITSTATUS(bad), 2);
}

} // namespace
