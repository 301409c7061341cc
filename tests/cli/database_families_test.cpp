// The shipped device database against the virtual chip: every model's sizes, write
// buffer and configuration values agree with the simulator's part table (both written
// independently from the maker's documents), and each family's algorithms erase, blank
// check, program and verify a real chip model without a protocol problem.
#include "cli/commands.h"
#include "devices/device_table.h"
#include "image/hex_writer.h"
#include "image/memory_buffer.h"
#include "sim/virtual_chip.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace {

devices::device_table shipped() {
    devices::device_table table;
    EXPECT_TRUE(
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table).ok);
    return table;
}

TEST(ShippedDatabase, ModelsAgreeWithTheSimulatorsPartTable) {
    const auto table = shipped();
    ASSERT_GE(table.model_count(), 42);
    for (int n = 1; n <= table.model_count(); ++n) {
        devices::model_values model;
        devices::select_model(table, n, model);
        const sim::part_info* part = sim::find_part(model.name);
        ASSERT_NE(part, nullptr) << model.name;
        EXPECT_EQ(model.flash_size, part->flash_bytes) << model.name;
        EXPECT_EQ(model.eeprom_size, part->eeprom_bytes) << model.name;
        EXPECT_EQ(model.page_size, part->write_buffer) << model.name;
        EXPECT_EQ(model.voltage_sequence, 1) << model.name;
        ASSERT_TRUE(model.has_config_mask) << model.name;
        for (std::size_t k = 0; k < 14; ++k) {
            EXPECT_EQ(model.config_mask[k], part->config_mask[k]) << model.name << " byte " << k;
            EXPECT_EQ(model.config_erased[k] & model.config_mask[k],
                      part->config_erased[k] & part->config_mask[k])
                << model.name << " byte " << k;
        }
    }
}

class FamilyAlgorithms : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }
    int run(std::vector<std::string> args) {
        out_.str({});
        err_.str({});
        args.insert(args.end(), {"--simulate", "--quiet", "--model", GetParam(), "--chip",
                                 folder_.path().toStdString() + "/chip.hex"});
        return cli::run_cli(args, PINWRIGHT_SOURCE_DIR "/data", out_, err_);
    }
    std::string output() const { return out_.str() + err_.str(); }

    QTemporaryDir folder_;
    std::ostringstream out_, err_;
};

TEST_P(FamilyAlgorithms, ProgramVerifyEraseBlankCheck) {
    const auto table = shipped();
    devices::model_values model;
    for (int n = 1; n <= table.model_count(); ++n)
        if (table.models[static_cast<std::size_t>(n)].name == GetParam())
            devices::select_model(table, n, model);
    ASSERT_EQ(model.name, GetParam());

    // Two write buffers of code, the last FLASH word, EEPROM at both ends, configuration.
    image::memory_buffer image;
    image::erase_image(image, model);
    for (int a = 0; a < 2 * model.page_size + 3; ++a)
        image.flash_image[static_cast<std::size_t>(a)] = (a * 7 + 1) & 0xFF;
    image.flash_image[static_cast<std::size_t>(model.flash_size - 1)] = 0x5A;
    if (model.eeprom_size > 0) {
        image.eeprom_image[0] = 0x11;
        image.eeprom_image[static_cast<std::size_t>(model.eeprom_size - 1)] = 0x22;
    }
    image.config_image[3] = 0x1E; // watchdog off: a bit that erases to 1 programmed to 0
    const std::string hex = folder_.path().toStdString() + "/app.hex";
    std::ofstream(hex, std::ios::binary) << image::hex_file_text(image, model);

    EXPECT_EQ(run({"program", hex}), 0) << output();
    EXPECT_EQ(err_.str(), "") << "protocol problems or messages while programming";
    EXPECT_EQ(run({"verify", hex}), 0) << output();
    EXPECT_EQ(run({"blankcheck"}), 1) << output();
    EXPECT_EQ(run({"erase"}), 0) << output();
    EXPECT_EQ(run({"blankcheck"}), 0) << output();
    EXPECT_EQ(err_.str(), "") << output();
}

// One model for each family and write-buffer/EEPROM variant of the database.
INSTANTIATE_TEST_SUITE_P(OnePerVariant, FamilyAlgorithms,
                         ::testing::Values("PIC18F452", "PIC18F1320", "PIC18F4321", "PIC18F2510",
                                           "PIC18F4455", "PIC18F2525", "PIC18F23K20", "PIC18F45K20",
                                           "PIC18F26K20"));

} // namespace
