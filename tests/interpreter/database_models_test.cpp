// Every model of the shipped device database on a virtual chip of its own part (the
// simulator's profile, not the database's numbers), with the default and with fast port
// access: erase and blank check, a random image programmed, verified and read back,
// flipped bits found by verify, and no protocol problem at any point. The virtual chip refuses
// sequences a real part would not accept, so a wrong key, a missing unlock, a short hold or a
// missing wait fails here.
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

#include <memory>
#include <random>
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

std::vector<std::string> model_names() {
    std::vector<std::string> names;
    for (int n = 1; n <= shipped().model_count(); ++n)
        names.push_back(shipped().models[static_cast<std::size_t>(n)].name);
    return names;
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
        EXPECT_EQ(model.page_size, part->write_buffer) << model.name;
        EXPECT_EQ(model.voltage_sequence, 1) << model.name;
        EXPECT_EQ(model.device_id, std::optional<std::uint16_t>{part->device_id}) << model.name;
        // A protected image is proven through the configuration sections of its algorithms.
        EXPECT_TRUE(Module1::configuration_section(model.program_list)) << model.name;
        EXPECT_TRUE(Module1::configuration_section(model.verify_list)) << model.name;
        // Both voltage ranges, so that the voltage check guards every shipped part.
        EXPECT_TRUE(model.vdd_range && model.vpp_range && model.voltage_problem.empty())
            << model.name;
        // The chip's ID names this model alone, whatever its silicon revision.
        for (const int revision : {0x0, 0xF})
            EXPECT_EQ(devices::models_with_id(
                          shipped(), static_cast<std::uint16_t>(part->device_id | revision)),
                      std::vector<int>{n})
                << model.name << " revision " << revision;
        ASSERT_TRUE(model.has_config_mask) << model.name;
        for (std::size_t k = 0; k < 14; ++k) {
            EXPECT_EQ(model.config_mask[k], part->config_mask[k]) << model.name << " byte " << k;
            EXPECT_EQ(model.config_erased[k] & model.config_mask[k],
                      part->config_erased[k] & part->config_mask[k])
                << model.name << " byte " << k;
        }
    }
}

// A model name and whether the port is driven with fast access.
using model_and_pacing = std::tuple<std::string, bool>;

class EveryModel : public ::testing::TestWithParam<model_and_pacing> {
  protected:
    const std::string& name() const { return std::get<0>(GetParam()); }

    void SetUp() override {
        Module1::reset_program_state();
        Module94::port_pacing.fast = std::get<1>(GetParam());
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
        auto adapter = std::make_unique<hardware::simulated_adapter>(
            888, hardware::socket_virtual_chip(chip_));
        adapter->open();
        hardware::install_port_backend(std::move(adapter));
        Module94::set_lines_idle();
    }

    void TearDown() override {
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
    ASSERT_EQ(run(&Module1::blank_check, "blank check"), operation_outcome::completed)
        << (messages_.empty() ? "" : messages_.front());

    // A random image filling FLASH, EEPROM and the ID locations; configuration values a toolchain
    // would write (unimplemented bits as 1), with no protection bits set.
    std::mt19937 random(static_cast<unsigned>(model.flash_size + model.name.size()));
    image::erase_image(image, model);
    for (auto& byte : image.flash_image)
        byte = static_cast<int>(random() % 256);
    if (model.eeprom_size > 0)
        for (auto& byte : image.eeprom_image)
            byte = static_cast<int>(random() % 256);
    ASSERT_EQ(image.id_image.size(), 8u);
    for (auto& byte : image.id_image)
        byte = static_cast<int>(random() % 256);
    for (std::size_t k = 0; k < 14; ++k) {
        const int mask = model.config_mask[k];
        const int chosen = k < 8 ? static_cast<int>(random() % 256) : 0xFF;
        image.config_image[k] = (chosen & mask) | (~mask & 0xFF);
    }
    const image::memory_buffer programmed = image;

    ASSERT_EQ(run(&Module1::program_all, "program"), operation_outcome::completed);
    ASSERT_EQ(run(&Module1::verify_all, "verify"), operation_outcome::completed)
        << (messages_.empty() ? "" : messages_.front());
    ASSERT_EQ(run(&Module1::read_all, "read"), operation_outcome::completed);
    EXPECT_EQ(image.flash_image, programmed.flash_image);
    EXPECT_EQ(image.eeprom_image, programmed.eeprom_image);
    EXPECT_EQ(image.id_image, programmed.id_image);
    for (std::size_t k = 0; k < 14; ++k)
        EXPECT_EQ(image.config_image[k] & model.config_mask[k],
                  programmed.config_image[k] & model.config_mask[k])
            << "configuration byte " << k;

    // One flipped bit in each memory: verify reports exactly those places, in the order
    // the algorithm walks them.
    image = programmed;
    const int flash_at = static_cast<int>(random() % static_cast<unsigned>(model.flash_size));
    image.flash_image[static_cast<std::size_t>(flash_at)] ^= 0x10;
    std::string expected = Module1::report_header;
    expected += "FLASH Byte " + core::hex6h(flash_at) + ",   " +
                core::hex2h(programmed.flash_image[static_cast<std::size_t>(flash_at)]) + ",   " +
                core::hex2h(image.flash_image[static_cast<std::size_t>(flash_at)]) + ",\r\n";
    image.id_image[1] ^= 0x80;
    expected += "ID Byte 200001h,   " + core::hex2h(programmed.id_image[1]) + ",   " +
                core::hex2h(image.id_image[1]) + ",\r\n";
    if (model.eeprom_size > 0) {
        const int eeprom_at = model.eeprom_size - 1;
        image.eeprom_image[static_cast<std::size_t>(eeprom_at)] ^= 0x01;
        expected += "EEPROM Byte " + core::hex4h(eeprom_at) + ",   " +
                    core::hex2h(programmed.eeprom_image[static_cast<std::size_t>(eeprom_at)]) +
                    ",   " + core::hex2h(image.eeprom_image[static_cast<std::size_t>(eeprom_at)]) +
                    ",\r\n";
    }
    image.config_image[3] ^= 0x01; // CONFIG2H WDTEN, implemented on every part
    const int read_config = chip_->config()[3];
    expected += "CONF Byte 300003h,   " + core::hex2h(read_config) + ",   " +
                core::hex2h(image.config_image[3]) + ",\r\n";
    ASSERT_EQ(run(&Module1::verify_all, "verify"), operation_outcome::differences);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Chip verify failed:\r\n\r\n" + expected);

    EXPECT_EQ(run(&Module1::blank_check, "blank check"), operation_outcome::differences);
}

INSTANTIATE_TEST_SUITE_P(ShippedDatabase, EveryModel,
                         ::testing::Combine(::testing::ValuesIn(model_names()), ::testing::Bool()),
                         [](const auto& p) {
                             return std::get<0>(p.param) + (std::get<1>(p.param) ? "_fast" : "");
                         });

} // namespace
