// The port trace of Program All for one part of each family, decoded back into the frames
// the chip saw, equals the chip maker's programming sequence for that family: the bulk
// erase (region by region on xxK80), the first write buffer, the ID locations, one data
// EEPROM byte and the configuration bytes, each programming hold as long as the model
// says. With fast port access the chip sees the same frames (the EEPROM write polled where
// the family allows it) and holds, with under a third of the register accesses per frame.
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

enum class family { fxx2, x220, f2xxx, f1230, k20, k22, k1xk22, k80 };

struct family_case {
    const char* model;
    family kind;
    std::vector<std::string> voltages = {}; // the adapter's, stated where 5 V / 13 V is too much
};

constexpr std::pair<int, int> poll_marker{-1, -1}; // one or more EECON1 polls

// EECON1's address in the access bank: elsewhere on xxK80.
int eecon1_of(family kind) {
    return kind == family::k80 ? 0x7F : 0xA6;
}

// The frames the maker's documents give for programming one word at address 0, ID bytes
// 55h at 200000h and AAh at 200007h, one EEPROM byte A5h at address 0 and the fourteen
// configuration bytes.
std::vector<std::pair<int, int>> maker_sequence(family kind, const devices::model_values& model) {
    std::vector<std::pair<int, int>> frames;
    auto core = [&](int word) { frames.emplace_back(0, word); };
    auto setptr = [&](int address) {
        core(0x0E00 | ((address >> 16) & 0xFF));
        core(0x6EF8);
        core(0x0E00 | ((address >> 8) & 0xFF));
        core(0x6EF7);
        core(0x0E00 | (address & 0xFF));
        core(0x6EF6);
    };
    const bool old_family = kind == family::fxx2 || kind == family::x220;
    const bool k_family =
        kind == family::k20 || kind == family::k22 || kind == family::k1xk22 || kind == family::k80;
    // EEDATA, EEADR and EEADRH in the access bank: elsewhere on xxK80.
    const int eecon1 = eecon1_of(kind);
    const int eedata = kind == family::k80 ? 0x73 : 0xA8;
    const int eeadr = kind == family::k80 ? 0x74 : 0xA9;
    const int eeadrh = kind == family::k80 ? 0x75 : 0xAA;
    auto bsf = [&](int bit) { core(0x8000 | (bit << 9) | eecon1); };
    auto bcf = [&](int bit) { core(0x9000 | (bit << 9) | eecon1); };
    constexpr int eepgd = 7, cfgs = 6, wren = 2, wr = 1;

    // The device ID read that opens every chip operation: two table reads at 3FFFFEh
    // (DATA OUT rests high while the chip drives the data line).
    setptr(0x3FFFFE);
    frames.emplace_back(0x9, 0xFF00);
    frames.emplace_back(0x9, 0xFF00);

    // Bulk erase: the key, a NOP, and the erase NOP; on xxK80, which has no chip erase, the
    // same for each code block, the boot block, the configuration and the data EEPROM.
    if (old_family) {
        setptr(0x3C0004);
        frames.emplace_back(0xC, 0x0080);
    } else if (kind == family::k80) {
        for (const int key :
             {0x800104, 0x800204, 0x800404, 0x800804, 0x800005, 0x800002, 0x800004}) {
            for (const int reg : {6, 5, 4}) {
                setptr(0x3C0000 | reg);
                frames.emplace_back(0xC, ((key >> (8 * (reg - 4))) & 0xFF) * 0x0101);
            }
            core(0x0000);
            core(0x0000);
        }
    } else {
        const bool own_key = kind == family::f1230; // 1230/1330: 0F0Fh, 8787h
        setptr(0x3C0005);
        frames.emplace_back(0xC, kind == family::f2xxx ? 0x3F3F : 0x0F0F);
        setptr(0x3C0004);
        frames.emplace_back(0xC, own_key ? 0x8787 : 0x8F8F);
    }
    if (kind != family::k80) {
        core(0x0000);
        core(0x0000);
    }

    // Code memory: one write buffer.
    if (kind == family::fxx2) {
        core(0x8EA6);
        core(0x8CA6);
        setptr(0x3C0006);
        frames.emplace_back(0xC, 0x0000); // single-panel writes
    }
    bsf(eepgd);
    bcf(cfgs);
    if (k_family)
        bsf(wren);
    setptr(0);
    frames.emplace_back(0xD, 0x3412);
    for (int word = 1; word < model.page_size / 2 - 1; ++word)
        frames.emplace_back(0xD, 0xFFFF);
    frames.emplace_back(0xF, 0xFFFF);
    core(0x0000); // the programming hold

    // The ID locations: one 8-byte buffer at 200000h, the table pointer loaded afresh.
    bsf(eepgd);
    bcf(cfgs);
    if (k_family)
        bsf(wren);
    setptr(0x200000);
    frames.emplace_back(0xD, 0xFF55);
    frames.emplace_back(0xD, 0xFFFF);
    frames.emplace_back(0xD, 0xFFFF);
    frames.emplace_back(0xF, 0xAAFF);
    core(0x0000);

    // Data EEPROM, one byte (the address in EEADR alone on X220 and 1XK22).
    bcf(eepgd);
    bcf(cfgs);
    core(0x0E00);
    core(0x6E00 | eeadr);
    if (kind != family::x220 && kind != family::f1230 && kind != family::k1xk22) { // EEADRH
        core(0x0E00);
        core(0x6E00 | eeadrh);
    }
    core(0x0EA5);
    core(0x6E00 | eedata);
    bsf(wren);
    if (old_family) {
        core(0x0E55);
        core(0x6EA7);
        core(0x0EAA);
        core(0x6EA7);
    }
    bsf(wr);
    if (kind == family::fxx2)
        frames.push_back(poll_marker);
    else
        core(0x0000);
    if (k_family)
        core(0x0000);
    bcf(wren);

    // Configuration: one byte per programming cycle, CONFIG6H last.
    bsf(eepgd);
    bsf(cfgs);
    if (k_family)
        bsf(wren);
    if (old_family) {
        core(0xEF00);
        core(0xF800);
    }
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
                                                family kind) {
    std::vector<std::pair<int, int>> out;
    auto is = [&](std::size_t i, int command, int payload) {
        return i < in.size() && in[i].command == command &&
               (payload < 0 || in[i].payload == payload);
    };
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::size_t nop = is(i + 2, 0, 0) ? 1 : 0;
        if (is(i, 0, 0x5000 | eecon1_of(kind)) && is(i + 1, 0, 0x6EF5) && is(i + 2 + nop, 2, -1)) {
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
    EXPECT_EQ(std::ranges::count(fast_seen, poll_marker), GetParam().kind == family::x220 ? 0 : 1);
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
        family_case{"PIC18F452", family::fxx2}, family_case{"PIC18F1320", family::x220},
        // The 2XXX and 1230 parts are programmed at up to 12.5 V: an adapter within that.
        family_case{"PIC18F4520", family::f2xxx, {"--vdd", "5", "--vpp", "12.5"}},
        family_case{"PIC18F4685", family::f2xxx, {"--vdd", "5", "--vpp", "12.5"}},
        family_case{"PIC18F2431", family::fxx2},
        family_case{"PIC18F1330", family::f1230, {"--vdd", "5", "--vpp", "12.5"}},
        family_case{"PIC18F45K20", family::k20, {"--vdd", "3.3", "--vpp", "9"}},
        family_case{"PIC18F45K22", family::k22, {"--vdd", "3.3", "--vpp", "9"}},
        family_case{"PIC18F14K22", family::k1xk22, {"--vdd", "3.3", "--vpp", "9"}},
        family_case{"PIC18F46K80", family::k80, {"--vdd", "3.3", "--vpp", "9"}}),
    [](const auto& p) { return std::string(p.param.model); });

} // namespace
