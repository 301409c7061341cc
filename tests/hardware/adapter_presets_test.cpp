// The shipped adapter presets file and the checker's messages for broken blocks.
#include "hardware/adapter_presets.h"
#include "hardware/preset_wiring.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string shipped_text() {
    std::ifstream file(PINWRIGHT_SOURCE_DIR "/data/pinwrightpresets.txt", std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

TEST(AdapterPresets, ShippedFileParsesAndNamesTheFactoryAndShippedWirings) {
    const hardware::preset_file file = hardware::parse_presets(shipped_text());
    for (const hardware::preset_problem& problem : file.problems)
        ADD_FAILURE() << hardware::format_preset_problem("pinwrightpresets.txt", problem);
    std::size_t parallel = 0, cannot = 0;
    for (const hardware::adapter_preset& preset : file.presets) {
        parallel += preset.kind == hardware::preset_kind::parallel;
        cannot += preset.status == hardware::preset_status::cannot_drive;
    }
    EXPECT_EQ(parallel, 31u) << "the 31 parallel-port designs";
    EXPECT_EQ(cannot, 5u) << "Piccolo, AN589, NOPPP, EPE Toolkit and pickle's FTDI map";

    // The factory wiring is the first preset, and no other preset has its lines.
    ASSERT_FALSE(file.presets.empty());
    EXPECT_EQ(file.presets.front().name, "P16PRO40 / Tait 7406");
    EXPECT_EQ(hardware::presets_matching(file.presets, settings::port_settings_record{}),
              std::vector<std::string>{"P16PRO40 / Tait 7406"});
    const auto* ftdi = hardware::find_preset(file.presets, "pinwright ftdi default");
    const auto* gpio = hardware::find_preset(file.presets, "Pinwright GPIO default (Raspberry Pi)");
    ASSERT_TRUE(ftdi && gpio);
    EXPECT_EQ(hardware::with_preset(settings::ftdi_wiring{{}, {}, {}, {}, {}}, *ftdi),
              settings::ftdi_wiring{});
    EXPECT_EQ(hardware::with_preset(settings::gpio_wiring{{}, {}, {}, {}, {}, false}, *gpio),
              settings::gpio_wiring{});
}

TEST(AdapterPresets, BrokenBlocksAreReportedWithTheirLines) {
    const std::string good_tail = "nominalvdd: 5\nnominalvpp: 13\nkeyentry: no\nstatus: works\n"
                                  "sources: here\n";
    const auto block = [&](const std::string& kind, const std::string& lines) {
        return "# a comment\npreset: P\nkind: " + kind + "\n" + lines + good_tail;
    };
    const std::string parallel_lines = "vdd: 4\nvpp: 5\nclock: 3\ndataout: 2\n";
    struct broken {
        std::string text;
        std::string message;  // the first problem, formatted
        std::size_t kept = 0; // the blocks read all the same
    };
    const broken cases[] = {
        {block("parallel", parallel_lines + "datain: 2 inverted\n"),
         "f line 8: preset \"P\": DATA IN needs an input pin of the parallel port (10-13, 15), "
         "not \"2\""},
        {block("parallel", "vdd: 10\nvpp: 5\nclock: 3\ndataout: 2\ndatain: 10\n"),
         "f line 4: preset \"P\": VDD needs an output pin of the parallel port (1-9, 14, 16, 17), "
         "not \"10\""},
        {block("parallel", "vdd: none\nvpp: 5\nclock: 3\ndataout: 2\ndatain: 10\n"),
         "f line 4: preset \"P\": VDD cannot be \"none\" on the parallel port: the program "
         "switches it on a pin (a design without a switched VDD names a pin it leaves "
         "unconnected)"},
        {block("parallel", "vdd: 4\nvpp: 5\nclock: 4\ndataout: 2\ndatain: 10\n"),
         "f line 6: preset \"P\": CLOCK and VDD are both on 4: every line needs a pin of its own"},
        {block("ftdi", "vdd: none\nvpp: D6\nclock: none\ndataout: D1\ndatain: D3\n"),
         "f line 6: preset \"P\": CLOCK cannot be \"none\": only VDD and VPP may be left "
         "unswitched"},
        {block("ftdi", "vdd: D8\nvpp: D6\nclock: D0\ndataout: D1\ndatain: D3\n"),
         "f line 4: preset \"P\": VDD needs an FTDI bit-bang pin D0 to D7 or \"none\", not \"D8\""},
        {block("gpio", "vdd: 22\nvpp: 1024\nclock: 23\ndataout: 24\ndatain: 25\n"),
         "f line 5: preset \"P\": VPP needs a GPIO line offset from 0 to 1023 or \"none\", not "
         "\"1024\""},
        {block("usb", parallel_lines + "datain: 10\n"),
         "f line 3: preset \"P\": kind must be parallel, ftdi or gpio, not \"usb\""},
        {"preset: P\nkind: parallel\n", "f line 1: preset \"P\": no \"vdd:\" line"},
        {"kind: parallel\n", "f line 1: \"kind:\" before the first \"preset:\" line"},
        {block("parallel", parallel_lines + "datain: 10\ncolour: red\n"),
         "f line 9: unknown key \"colour\""},
        {block("parallel", parallel_lines + "datain: 10\nvdd: 6\n"),
         "f line 9: preset \"P\": a second \"vdd:\" line (the first is line 4)"},
        {block("parallel", parallel_lines + "datain: 10\n") + block("ftdi", ""),
         "f line 15: a second preset named \"P\" (names must differ)", 1},
        {"preset: P\nkind: parallel\n" + parallel_lines +
             "datain: 10\nnominalvdd: 5\nnominalvpp: 13 V\nkeyentry: maybe\nstatus: "
             "cannot be driven:\nsources: here\n",
         "f line 9: preset \"P\": nominalvpp must be volts above 0 and at most 20.00 (such as "
         "13.8) or \"unknown\", not \"13 V\""},
        {"", "f: no preset (a preset starts with a \"preset:\" line)"},
    };
    for (const broken& c : cases) {
        const hardware::preset_file file = hardware::parse_presets(c.text);
        ASSERT_FALSE(file.problems.empty()) << c.text;
        EXPECT_EQ(hardware::format_preset_problem("f", file.problems.front()), c.message);
        EXPECT_EQ(file.presets.size(), c.kept) << c.text;
    }
}

} // namespace
