// The port trace of Program All for one part of each family, decoded back into the frames
// the chip saw, equals the chip maker's programming sequence for that family: the bulk
// erase (region by region on xxK80), the first write buffer, the ID locations, one data
// EEPROM byte and the configuration bytes, each programming hold as long as the model
// says. With fast port access the chip sees the same frames (the EEPROM write polled where
// the family allows it) and holds, with under a third of the register accesses per frame.
#include "../support/maker_sequences.h"
#include "../support/trace_decoder.h"

#include "cli/commands.h"
#include "devices/device_table.h"
#include "devices/model_select.h"
#include "image/hex_writer.h"
#include "image/memory_buffer.h"
#include "settings/setting_names.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using sim::chip_family;

struct family_case {
    const char* model;
    chip_family kind;
    std::vector<std::string> voltages = {}; // the adapter's, stated where 5 V / 13 V is too much
};

constexpr std::pair<int, int> poll_marker{-1, -1}; // one or more EECON1 polls

// The frames the maker's documents give for programming one word at address 0, ID bytes
// 55h at 200000h and AAh at 200007h, one EEPROM byte A5h at address 0 and the fourteen
// configuration bytes.
std::vector<std::pair<int, int>> maker_sequence(chip_family kind,
                                                const devices::model_values& model) {
    std::vector<std::pair<int, int>> frames;
    test_support::maker_sequence seq(kind, [&](std::uint8_t command, std::uint16_t payload) {
        frames.emplace_back(command, payload);
    });
    auto core = [&](int word) { frames.emplace_back(0, word); };

    // The device ID read that opens every chip operation: two table reads at 3FFFFEh
    // (DATA OUT rests high while the chip drives the data line).
    seq.set_pointer(0x3FFFFE);
    frames.emplace_back(0x9, 0xFF00);
    frames.emplace_back(0x9, 0xFF00);

    // Bulk erase: the key, a NOP, and the erase NOP; on xxK80, which has no chip erase, the
    // same for each code block, the boot block, the configuration and the data EEPROM.
    for (const std::uint32_t key : seq.chip_erase_keys()) {
        seq.load_erase_key(key);
        core(0x0000);
        core(0x0000);
    }

    // Code memory: one write buffer.
    if (seq.profile().panel_writes)
        seq.select_single_panel();
    seq.select_code_memory();
    seq.set_pointer(0);
    frames.emplace_back(0xD, 0x3412);
    for (int word = 1; word < model.page_size / 2 - 1; ++word)
        frames.emplace_back(0xD, 0xFFFF);
    frames.emplace_back(0xF, 0xFFFF);
    core(0x0000); // the programming hold

    // The ID locations: one 8-byte buffer at 200000h, the table pointer loaded afresh.
    seq.select_code_memory();
    seq.set_pointer(0x200000);
    frames.emplace_back(0xD, 0xFF55);
    frames.emplace_back(0xD, 0xFFFF);
    frames.emplace_back(0xD, 0xFFFF);
    frames.emplace_back(0xF, 0xAAFF);
    core(0x0000);

    // Data EEPROM, one byte: the program polls WR on FXX2 and otherwise sends the NOPs up
    // to the one that starts the write.
    seq.load_eeprom_write(0, 0xA5);
    seq.start_eeprom_write();
    for (int frame = 0; frame < seq.frames_until_write_starts(); ++frame) {
        if (frame == 0 && kind == chip_family::fxx2_xx8)
            frames.push_back(poll_marker);
        else
            core(0x0000);
    }
    seq.bcf_eecon1(test_support::wren);

    // Configuration: one byte per programming cycle, CONFIG6H last.
    seq.select_config_memory();
    core(0x0E30);
    core(0x6EF8);
    core(0x0E00);
    core(0x6EF7);
    for (const int k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 10, 11}) {
        core(0x0E00 | k);
        core(0x6EF6);
        frames.emplace_back(0xF, model.config_erased[static_cast<std::size_t>(k)] * 257);
        core(0x0000);
    }
    return frames;
}

// Replaces each run of EECON1 polls (MOVF EECON1,W; MOVWF TABLAT; a NOP where the family
// needs one; shift out TABLAT) by one marker.
std::vector<std::pair<int, int>> collapse_polls(const std::vector<test_support::traced_frame>& in,
                                                chip_family kind) {
    std::vector<std::pair<int, int>> out;
    auto is = [&](std::size_t i, int command, int payload) {
        return i < in.size() && in[i].command == command &&
               (payload < 0 || in[i].payload == payload);
    };
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::size_t nop = is(i + 2, 0, 0) ? 1 : 0;
        const int eecon1 = test_support::registers_of(kind).eecon1;
        if (is(i, 0, 0x5000 | eecon1) && is(i + 1, 0, 0x6EF5) && is(i + 2 + nop, 2, -1)) {
            if (out.empty() || out.back() != poll_marker)
                out.push_back(poll_marker);
            i += 2 + nop;
            continue;
        }
        out.emplace_back(in[i].command, in[i].payload);
    }
    return out;
}

class FamilySequence : public ::testing::TestWithParam<family_case> {};

std::vector<std::pair<int, int>> without_polls(std::vector<std::pair<int, int>> frames) {
    std::erase(frames, poll_marker);
    return frames;
}

std::vector<std::int64_t> holds_of(const test_support::decoded_trace& decoded) {
    std::vector<std::int64_t> holds;
    for (const auto& frame : decoded.frames)
        if (frame.hold_ms > 0)
            holds.push_back(frame.hold_ms);
    return holds;
}

TEST_P(FamilySequence, ProgramAllSendsTheMakersSequence) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    const std::string base = folder.path().toStdString() + "/";

    devices::device_table table;
    ASSERT_TRUE(
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table).ok());
    devices::model_values model;
    devices::select_model(table, devices::find_model(table, GetParam().model), model);
    ASSERT_EQ(model.name, GetParam().model);

    image::memory_buffer image;
    image::erase_image(image, model);
    image.flash_image[0] = 0x12;
    image.flash_image[1] = 0x34;
    image.eeprom_image[0] = 0xA5;
    image.id_image[0] = 0x55;
    image.id_image[7] = 0xAA;
    std::ofstream(base + "tiny.hex", std::ios::binary) << image::hex_file_text(image, model);

    auto program = [&](const std::string& pacing) {
        std::ostringstream out, err;
        std::vector<std::string> args{"program", base + "tiny.hex", "--simulate",
                                      "--quiet", "--model",         GetParam().model,
                                      "--trace", base + "trace.txt"};
        args.insert(args.end(), GetParam().voltages.begin(), GetParam().voltages.end());
        if (!pacing.empty())
            args.push_back(pacing);
        EXPECT_EQ(cli::run_cli(args, PINWRIGHT_SOURCE_DIR "/data", out, err), 0) << err.str();
        EXPECT_EQ(err.str(), "");
        std::ifstream trace(base + "trace.txt");
        return test_support::decode_trace(trace);
    };
    // The stored setting asks for fast access; --no-fast gives the default pacing anyway.
    settings::fast_port_access_setting.write(1);
    const auto decoded = program("--no-fast");
    ASSERT_TRUE(decoded.bad_lines.empty()) << decoded.bad_lines.front();

    const auto expected = maker_sequence(GetParam().kind, model);
    const auto seen = collapse_polls(decoded.frames, GetParam().kind);
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(seen[i], expected[i]) << "frame " << i;

    // Every programming hold lasts the model's programming time: the code buffer and the
    // ID locations their code hold, each of the fourteen configuration bytes its
    // configuration hold.
    const std::vector<std::int64_t> holds = holds_of(decoded);
    ASSERT_EQ(holds.size(), 16u);
    EXPECT_EQ(holds[0], model.program_time_ms);
    EXPECT_EQ(holds[1], model.program_time_ms);
    for (std::size_t k = 2; k < holds.size(); ++k)
        EXPECT_EQ(holds[k], model.config_program_time_ms) << "configuration hold " << k;
    EXPECT_EQ(decoded.supply_events,
              (std::vector<std::string>{"VDD on", "VPP on", "VDD off", "VPP off"}));

    // Fast port access: the same frames and holds, each hold followed by the part's P10,
    // and the EEPROM write polled instead of waited for (X220 documents no poll).
    const auto fast = program("");
    ASSERT_TRUE(fast.bad_lines.empty()) << fast.bad_lines.front();
    const auto fast_seen = collapse_polls(fast.frames, GetParam().kind);
    EXPECT_EQ(without_polls(fast_seen), without_polls(seen));
    EXPECT_EQ(std::ranges::count(fast_seen, poll_marker),
              GetParam().kind == chip_family::fx220_x320 ? 0 : 1);
    EXPECT_LT(fast.waited_ms, decoded.waited_ms);
    EXPECT_EQ(holds_of(fast), holds);
    EXPECT_EQ(fast.waited_us, 16 * model.discharge_time_us);
    EXPECT_EQ(fast.supply_events, decoded.supply_events);
    // A third of the register accesses per frame (polls add frames, not cost per frame).
    EXPECT_LT(3 * (fast.writes + fast.reads) * decoded.frames.size(),
              (decoded.writes + decoded.reads) * fast.frames.size());
}

INSTANTIATE_TEST_SUITE_P(
    OnePartPerFamily, FamilySequence,
    ::testing::Values(
        family_case{"PIC18F452", chip_family::fxx2_xx8},
        family_case{"PIC18F1320", chip_family::fx220_x320},
        // The 2XXX and 1230 parts are programmed at up to 12.5 V: an adapter within that.
        family_case{"PIC18F4520", chip_family::f2xxx_4xxx, {"--vdd", "5", "--vpp", "12.5"}},
        family_case{"PIC18F4685", chip_family::f2xxx_4xxx, {"--vdd", "5", "--vpp", "12.5"}},
        family_case{"PIC18F2431", chip_family::fxx2_xx8},
        family_case{"PIC18F1330", chip_family::f1230_1330, {"--vdd", "5", "--vpp", "12.5"}},
        family_case{"PIC18F45K20", chip_family::k20, {"--vdd", "3.3", "--vpp", "9"}},
        family_case{"PIC18F45K22", chip_family::k22, {"--vdd", "3.3", "--vpp", "9"}},
        family_case{"PIC18F14K22", chip_family::k1xk22, {"--vdd", "3.3", "--vpp", "9"}},
        family_case{"PIC18F46K80", chip_family::k80, {"--vdd", "3.3", "--vpp", "9"}},
        family_case{"PIC18F6527", chip_family::f6527_8722, {"--vdd", "5", "--vpp", "12.5"}}),
    [](const auto& p) { return std::string(p.param.model); });

} // namespace
