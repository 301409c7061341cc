// Every model of the shipped device database on a virtual chip of its own part (the
// simulator's profile, not the database's numbers), with no protocol problem at any point.
// The virtual chip refuses sequences a real part would not accept, so a wrong key, a missing
// unlock, a short hold or a missing wait fails here.
//
// Models the programmer drives alike form a set (see run_set); one model of each set programs
// a random image filling every memory, with the default and with fast port access: erase and
// blank check, the image programmed, verified and read back, flipped bits found by verify.
// What the other models of a set would add to that is their sizes alone, so each of them
// erases, programs and verifies a sparse image with the default pacing (in the build
// without AddressSanitizer): its first and last write buffers, the two buffers either side
// of a page boundary, both ends of its EEPROM, the ID locations and the configuration. A full write
// buffer catches a write buffer the database makes larger than the part's, the last one a FLASH
// size beyond the part's, the EEPROM's last byte an EEPROM beyond it;
// ModelsAgreeWithTheSimulatorsPartTable compares every size and mask outright.
#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "core/virtual_clock.h"
#include "devices/device_table.h"
#include "devices/model_select.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/simulated_adapter.h"
#include "hardware/virtual_chip_socket.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_operations.h"
#include "interpreter/code_protection.h"
#include "interpreter/program_state.h"
#include "sim/virtual_chip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <tuple>

namespace {

using Module1::operation_outcome;

const devices::device_table& shipped() {
    static const devices::device_table table = [] {
        devices::device_table loaded;
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", loaded);
        return loaded;
    }();
    return table;
}

TEST(ShippedDatabase, ModelsAgreeWithTheSimulatorsPartTable) {
    ASSERT_GE(shipped().model_count(), 42);
    for (int n = 1; n <= shipped().model_count(); ++n) {
        devices::model_values model;
        devices::select_model(shipped(), n, model);
        const sim::part_info* part = sim::find_part(model.name);
        ASSERT_NE(part, nullptr) << model.name;
        EXPECT_EQ(model.flash_size, part->flash_bytes) << model.name;
        EXPECT_EQ(model.eeprom_size, part->eeprom_bytes) << model.name;
        // The 8-bit row-latch families are written in 64-byte rows, which suit a 128-byte
        // latch set too (unloaded latches change nothing).
        if (devices::is_eight_bit(model.frame))
            EXPECT_EQ(part->write_buffer % model.page_size, 0) << model.name;
        else
            EXPECT_EQ(model.page_size, part->write_buffer) << model.name;
        EXPECT_EQ(model.voltage_sequence, 1) << model.name;
        EXPECT_EQ(model.device_id, std::optional<std::uint16_t>{part->device_id}) << model.name;
        // A protected image is proven through the configuration sections of its algorithms
        // (with the configuration in FLASH, the FLASH walk writes it last; the 8-bit families
        // walk their configuration in a loop of its own).
        const bool sectioned = !model.layout.config_in_flash && !devices::is_eight_bit(model.frame);
        EXPECT_EQ(Module1::configuration_section(model.program_list).has_value(), sectioned)
            << model.name;
        EXPECT_EQ(Module1::configuration_section(model.verify_list).has_value(), sectioned)
            << model.name;
        // Both voltage ranges, so that the voltage check guards every shipped part.
        EXPECT_TRUE(model.vdd_range && model.vpp_range && model.voltage_problem.empty())
            << model.name;
        // The chip's ID names this model alone, whatever its silicon revision (the 8-bit
        // families' IDs hold none: their revision is a word of its own).
        const bool revision_bits = model.device_id_mask != 0xFFFF;
        for (const int revision : {0x0, revision_bits ? 0xF : 0x0})
            EXPECT_EQ(devices::models_with_id(
                          shipped(), static_cast<std::uint16_t>(part->device_id | revision)),
                      std::vector<int>{n})
                << model.name << " revision " << revision;
        ASSERT_TRUE(model.has_config_mask) << model.name;
        ASSERT_EQ(model.layout.config_size, part->config_size) << model.name;
        for (std::size_t k = 0; k < static_cast<std::size_t>(part->config_size); ++k) {
            EXPECT_EQ(model.config_mask[k], part->config_mask[k]) << model.name << " byte " << k;
            EXPECT_EQ(model.config_erased[k] & model.config_mask[k],
                      part->config_erased[k] & part->config_mask[k])
                << model.name << " byte " << k;
        }
    }
}

// What makes the programmer drive two models differently: the five algorithms, the write
// buffer, whether there is an EEPROM to walk, where the write poll reads EECON1, the power-up
// order and entry, the holds and discharge time (the latter used with fast access alone), and the
// image layout. The sizes are left out: the algorithms walk any FLASH and EEPROM alike, and a
// sparse image reaches both ends of each.
std::string run_set(const devices::model_values& model) {
    std::ostringstream key;
    for (const auto* list : {&model.erase_list, &model.program_list, &model.read_list,
                             &model.blankcheck_list, &model.verify_list}) {
        for (const auto& instruction : *list)
            key << instruction << ',';
        key << '|';
    }
    key << model.page_size << '|' << (model.eeprom_size > 0) << '|' << model.eecon1_address << '|'
        << model.voltage_sequence << '|' << model.program_time_ms << '|'
        << model.config_program_time_ms << '|' << model.discharge_time_us << '|'
        << model.layout.id_address << '|' << model.layout.id_size << '|'
        << static_cast<int>(model.entry) << '|' << model.layout.eeprom_address << '|'
        << static_cast<int>(model.frame) << '|' << model.layout.config_size << '|';
    // The configuration in FLASH sits at its end, whatever the size.
    if (model.layout.config_in_flash)
        key << "end" << model.layout.config_address - model.flash_size;
    else
        key << model.layout.config_address;
    return key.str();
}

// A model name, whether it programs the full image (else the sparse one) and whether the port
// is driven with fast access.
using model_run = std::tuple<std::string, bool, bool>;

// Under AddressSanitizer the sets' representatives alone run: a sparse run drives the same
// code as its set's full runs with another model's sizes and IDs, which the plain build
// proves for every model, at five times the cost there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sparse_runs = false;
#else
constexpr bool sparse_runs = true;
#endif

// Each set's model with the largest FLASH (then EEPROM; the first in the file on a tie)
// programs the full image in both pacings, every other model the sparse one by default.
std::vector<model_run> model_runs() {
    struct candidate {
        std::int32_t flash = 0, eeprom = 0;
        std::string name;
    };
    std::map<std::string, candidate> largest;
    std::vector<std::string> set_of; // per model, in file order
    for (int n = 1; n <= shipped().model_count(); ++n) {
        devices::model_values model;
        devices::select_model(shipped(), n, model);
        set_of.push_back(run_set(model));
        auto& chosen = largest[set_of.back()];
        if (std::tie(model.flash_size, model.eeprom_size) > std::tie(chosen.flash, chosen.eeprom))
            chosen = {model.flash_size, model.eeprom_size, model.name};
    }
    std::vector<model_run> runs;
    for (std::size_t k = 0; k < set_of.size(); ++k) {
        const auto& name = shipped().models[k + 1].name;
        const bool full = largest[set_of[k]].name == name;
        if (full || sparse_runs)
            runs.emplace_back(name, full, false);
        if (full)
            runs.emplace_back(name, true, true);
    }
    return runs;
}

class EveryModel : public ::testing::TestWithParam<model_run> {
  protected:
    const std::string& name() const { return std::get<0>(GetParam()); }
    bool full() const { return std::get<1>(GetParam()); }

    void SetUp() override {
        Module1::reset_program_state();
        Module94::port_pacing.fast = std::get<2>(GetParam());
        core::host_hooks hooks;
        clock_.attach(hooks);
        hooks.message_box = [this](const std::string& text, int, const std::string&) {
            messages_.push_back(text);
            return int{core::result_ok};
        };
        hooks.terminate = [](int) {};
        core::install_hooks(hooks);

        ASSERT_TRUE(devices::select_model(shipped(), devices::find_model(shipped(), name()),
                                          devices::selected_model().values));
        const sim::part_info* part = sim::find_part(name());
        ASSERT_NE(part, nullptr);
        chip_ = std::make_shared<sim::virtual_chip>(*part);
        // A key-entry part takes a 3.3 V adapter: its MCLR never goes above VDD.
        const auto& model = devices::selected_model().values;
        hardware::set_simulated_supply(devices::enters_by_key(model.entry)
                                           ? hardware::supply_volts{3.3, 3.3}
                                           : hardware::supply_volts{});
        auto adapter = std::make_unique<hardware::simulated_adapter>(
            888, hardware::socket_virtual_chip(chip_));
        adapter->open();
        hardware::install_port_backend(std::move(adapter));
        Module94::set_lines_idle();
    }

    void TearDown() override {
        hardware::set_simulated_supply({});
        Module1::reset_program_state();
        core::install_hooks(core::default_hooks());
    }

    // Runs one operation and checks it left no protocol problem on the chip.
    operation_outcome run(Module1::operation_result (*operation)(bool), const char* name) {
        messages_.clear();
        const auto outcome = operation(true).outcome;
        for (const auto& problem : chip_->protocol_errors())
            ADD_FAILURE() << this->name() << " " << name << ": " << problem;
        chip_->clear_protocol_errors();
        return outcome;
    }

    core::virtual_clock clock_;
    std::shared_ptr<sim::virtual_chip> chip_;
    std::vector<std::string> messages_;
};

TEST_P(EveryModel, EraseProgramVerifyReadAndFindFlippedBits) {
    const auto& model = devices::selected_model().values;
    auto& image = image::program_image();

    ASSERT_EQ(run(&Module1::erase_all, "erase"), operation_outcome::completed);
    if (full()) {
        ASSERT_EQ(run(&Module1::blank_check, "blank check"), operation_outcome::completed)
            << (messages_.empty() ? "" : messages_.front());
    }

    // Random bytes filling FLASH and EEPROM, or only the sparse image's places in them, and the
    // ID locations; configuration values a toolchain would write (unimplemented bits as 1),
    // with no protection bits set and every other bit the database calls implemented away
    // from its erased value, so that a bit the part lacks fails the blank check or verify.
    std::mt19937 random(static_cast<unsigned>(model.flash_size + model.name.size()));
    image::erase_image(image, model);
    // Random bytes at [from, to) of a memory, within its size (the sparse places overlap on a
    // FLASH of fewer than four write buffers).
    const auto fill = [&random](std::vector<std::int32_t>& memory, std::int32_t from,
                                std::int32_t to) {
        const auto size = static_cast<std::int32_t>(memory.size());
        for (std::int32_t at = std::clamp(from, 0, size); at < std::clamp(to, 0, size); ++at)
            memory[static_cast<std::size_t>(at)] = static_cast<std::int32_t>(random() % 256);
    };
    const std::int32_t page = model.page_size;
    const std::int32_t boundary = model.flash_size / 2 / page * page;
    if (full()) {
        fill(image.flash_image, 0, model.flash_size);
        fill(image.eeprom_image, 0, model.eeprom_size);
    } else {
        fill(image.flash_image, 0, page);
        fill(image.flash_image, boundary - page, boundary + page);
        fill(image.flash_image, model.flash_size - page, model.flash_size);
        if (model.eeprom_size > 0) {
            fill(image.eeprom_image, 0, 1);
            fill(image.eeprom_image, model.eeprom_size - 1, model.eeprom_size);
        }
    }
    const auto& layout = model.layout;
    ASSERT_EQ(image.id_image.size(), static_cast<std::size_t>(layout.id_size));
    for (auto& byte : image.id_image)
        byte = static_cast<int>(random() % 256);
    const auto config_size = static_cast<std::size_t>(layout.config_size);
    for (std::size_t k = 0; k < config_size; ++k) {
        const int mask = model.config_mask[k];
        int chosen = k < 8 ? ~model.config_erased[k] : 0xFF;
        // With the configuration in FLASH, CP0 is CONFIG1H bit 2: left off.
        if (layout.config_in_flash && k == 1)
            chosen |= 0x04;
        image.config_image[k] = (chosen & mask) | (~mask & 0xFF);
    }
    const image::memory_buffer programmed = image;

    ASSERT_EQ(run(&Module1::program_all, "program"), operation_outcome::completed);
    ASSERT_EQ(run(&Module1::verify_all, "verify"), operation_outcome::completed)
        << (messages_.empty() ? "" : messages_.front());
    if (!full())
        return;
    ASSERT_EQ(run(&Module1::read_all, "read"), operation_outcome::completed);
    EXPECT_EQ(image.flash_image, programmed.flash_image);
    EXPECT_EQ(image.eeprom_image, programmed.eeprom_image);
    EXPECT_EQ(image.id_image, programmed.id_image);
    for (std::size_t k = 0; k < config_size; ++k)
        EXPECT_EQ(image.config_image[k] & model.config_mask[k],
                  programmed.config_image[k] & model.config_mask[k])
            << "configuration byte " << k;

    // One flipped bit in each memory: verify reports exactly those places, in the order
    // the algorithm walks them.
    image = programmed;
    const int flash_at =
        static_cast<int>(random() % static_cast<unsigned>(image.flash_image.size()));
    image.flash_image[static_cast<std::size_t>(flash_at)] ^= 0x10;
    std::string expected = Module1::report_header;
    expected += "FLASH Byte " + core::hex6h(flash_at) + ",   " +
                core::hex2h(programmed.flash_image[static_cast<std::size_t>(flash_at)]) + ",   " +
                core::hex2h(image.flash_image[static_cast<std::size_t>(flash_at)]) + ",\r\n";
    if (layout.id_size > 1) {
        image.id_image[1] ^= 0x80;
        expected += "ID Byte " + core::hex6h(static_cast<std::int32_t>(layout.id_address + 1)) +
                    ",   " + core::hex2h(programmed.id_image[1]) + ",   " +
                    core::hex2h(image.id_image[1]) + ",\r\n";
    }
    if (model.eeprom_size > 0) {
        const int eeprom_at = model.eeprom_size - 1;
        image.eeprom_image[static_cast<std::size_t>(eeprom_at)] ^= 0x01;
        expected += "EEPROM Byte " + core::hex4h(eeprom_at) + ",   " +
                    core::hex2h(programmed.eeprom_image[static_cast<std::size_t>(eeprom_at)]) +
                    ",   " + core::hex2h(image.eeprom_image[static_cast<std::size_t>(eeprom_at)]) +
                    ",\r\n";
    }
    image.config_image[3] ^= 0x01; // CONFIG2H WDTEN, implemented on every part
    const int read_config =
        layout.config_in_flash ? chip_->flash()[static_cast<std::size_t>(layout.config_address + 3)]
                               : chip_->config()[3];
    expected += "CONF Byte " + core::hex6h(static_cast<std::int32_t>(layout.config_address + 3)) +
                ",   " + core::hex2h(read_config) + ",   " + core::hex2h(image.config_image[3]) +
                ",\r\n";
    ASSERT_EQ(run(&Module1::verify_all, "verify"), operation_outcome::differences);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Chip verify failed:\r\n\r\n" + expected);

    EXPECT_EQ(run(&Module1::blank_check, "blank check"), operation_outcome::differences);
}

INSTANTIATE_TEST_SUITE_P(ShippedDatabase, EveryModel, ::testing::ValuesIn(model_runs()),
                         [](const auto& p) {
                             return std::get<0>(p.param) + (std::get<1>(p.param) ? "" : "_sparse") +
                                    (std::get<2>(p.param) ? "_fast" : "");
                         });

} // namespace
