// Round trips through the writer and the reader, and agreement with independent tools:
// srec_cat reads what the writer produces, and files made by gpasm and srec_cat load into
// the right places.
#include "image/hex_load.h"
#include "image/hex_reader.h"
#include "image/hex_writer.h"

#include "image_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace image_test;

// A model as large as the tests need to cross 64 KB boundaries.
devices::model_values wide_model() {
    return make_model(0x20000, 1024);
}

// Random content: scattered runs of bytes, the bytes around each 64 KB boundary, random
// EEPROM, ID and configuration bytes (the ID locations erased in every other image).
image::memory_buffer random_image(const devices::model_values& model, std::mt19937& random) {
    image::memory_buffer buffer;
    image::erase_image(buffer, model);
    auto byte = [&] { return static_cast<std::int32_t>(random() % 256); };
    const int runs = static_cast<int>(random() % 20);
    for (int r = 0; r < runs; ++r) {
        const auto start = random() % buffer.flash_image.size();
        const auto length = random() % 300;
        for (std::size_t i = start; i < start + length && i < buffer.flash_image.size(); ++i)
            buffer.flash_image[i] = byte();
    }
    for (const std::size_t boundary : {0x0, 0xFFFF, 0x10000, 0x1FFF6, 0x1FFF7, 0x1FFFE, 0x1FFFF})
        if (boundary < buffer.flash_image.size() && random() % 2 == 0)
            buffer.flash_image[boundary] = byte();
    const auto eeprom_used = random() % (buffer.eeprom_image.size() + 1);
    for (std::size_t i = 0; i < eeprom_used; ++i)
        buffer.eeprom_image[i] = random() % 4 == 0 ? 255 : byte();
    for (int k = 0; k < model.layout.config_size; ++k)
        buffer.config_image[static_cast<std::size_t>(k)] = byte();
    if (random() % 2 == 0)
        for (auto& value : buffer.id_image)
            value = byte();
    return buffer;
}

// One past the highest FLASH byte the writer puts out (its last used byte rounded up to
// an odd address), 0 when FLASH is erased.
std::int32_t written_flash_top(const image::memory_buffer& buffer) {
    for (auto i = static_cast<std::int32_t>(buffer.flash_image.size()) - 1; i >= 0; --i)
        if (buffer.flash_image[static_cast<std::size_t>(i)] != 255)
            return std::min<std::int32_t>(i % 2 == 0 ? i + 2 : i + 1,
                                          static_cast<std::int32_t>(buffer.flash_image.size()));
    return 0;
}

TEST(RoundTrip, WrittenImagesReadBackUnchanged) {
    // The classic layout, and one that puts a larger ID area, the configuration bytes and
    // the EEPROM elsewhere.
    // And one that keeps the configuration in the last eight bytes of FLASH.
    auto moved = wide_model();
    moved.layout = {0x210000, 32, 0x310020, 0xE00000};
    auto in_flash = wide_model();
    in_flash.layout = {0x200000, 0, 0x1FFF8, 0xF00000, true, 8};
    const devices::model_values models[] = {wide_model(), moved, in_flash};
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        const auto& model = models[round % 3];
        SCOPED_TRACE("round " + std::to_string(round));
        const auto original = random_image(model, random);
        image::memory_buffer back;
        image::erase_image(back, model);
        std::int32_t loaded_top = 0;
        const auto read =
            image::read_hex_text(image::hex_file_text(original, model), back, model, loaded_top);
        ASSERT_TRUE(read.accepted());
        EXPECT_TRUE(read.warning.ok());
        EXPECT_EQ(back.flash_image, original.flash_image);
        EXPECT_EQ(back.eeprom_image, original.eeprom_image);
        EXPECT_EQ(back.config_image, original.config_image);
        EXPECT_EQ(back.id_image, original.id_image);
        EXPECT_EQ(loaded_top, written_flash_top(original));
    }
}

std::vector<std::int32_t> bytes_of_file(const std::string& path) {
    const std::string raw = file_bytes(path);
    std::vector<std::int32_t> values;
    for (const char c : raw)
        values.push_back(static_cast<unsigned char>(c));
    return values;
}

TEST(RoundTrip, SrecCatReadsTheSameBytesFromWrittenFiles) {
    const auto model = wide_model();
    std::mt19937 random(11);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        temp_dir dir;
        const auto original = random_image(model, random);
        const std::string hex = dir.file("image.hex");
        ASSERT_TRUE(image::save_hex_file(hex, original, model).ok());

        const struct {
            const char* filter;
            const char* name;
            const std::vector<std::int32_t>& expected;
        } regions[] = {
            {"-crop 0 0x20000 -fill 0xFF 0 0x20000", "flash.bin", original.flash_image},
            {"-crop 0xF00000 0xF00400 -offset -0xF00000 -fill 0xFF 0 0x400", "eeprom.bin",
             original.eeprom_image},
            {"-crop 0x200000 0x200008 -offset -0x200000 -fill 0xFF 0 8", "id.bin",
             original.id_image},
        };
        for (const auto& region : regions) {
            const auto run = run_command("srec_cat " + hex + " -intel " + region.filter + " -o " +
                                         dir.file(region.name) + " -binary");
            ASSERT_EQ(run.status, 0) << run.output;
            EXPECT_EQ(run.output, "");
            EXPECT_EQ(bytes_of_file(dir.file(region.name)), region.expected) << region.name;
        }
        const auto run = run_command("srec_cat " + hex +
                                     " -intel -crop 0x300000 0x30000E -offset -0x300000 -o " +
                                     dir.file("config.bin") + " -binary");
        ASSERT_EQ(run.status, 0) << run.output;
        const auto config = bytes_of_file(dir.file("config.bin"));
        EXPECT_EQ(config, std::vector<std::int32_t>(original.config_image.begin(),
                                                    original.config_image.begin() + 14));
    }
}

// Assembles test source `source` (in the test data) with gpasm into `dir`; the HEX file's path.
std::string assemble(const temp_dir& dir, const std::string& source) {
    const std::string hex = dir.file("program.hex");
    const auto run = run_command("gpasm -q -o " + hex + " " PINWRIGHT_TEST_DATA "/" + source);
    EXPECT_EQ(run.status, 0) << run.output;
    return hex;
}

TEST(IndependentTools, GpasmProgramLoadsIntoFlashIdConfigurationAndEeprom) {
    temp_dir dir;
    const std::string hex = assemble(dir, "hex_pic18_program.asm");

    const auto model = make_model(32768, 256);
    image::memory_buffer buffer;
    const auto outcome = image::load_hex_file(hex, buffer, model);
    ASSERT_TRUE(outcome.accepted());
    EXPECT_TRUE(outcome.warning.ok());
    EXPECT_EQ(outcome.status, "Operation completed. Total 266 (.259K) program bytes loaded.");

    auto flash_at = [&](std::size_t address, std::size_t count) {
        return std::vector<std::int32_t>(buffer.flash_image.begin() + address,
                                         buffer.flash_image.begin() + address + count);
    };
    // goto 0x100; retfie FAST; movlw 0x55; movwf LATB; clrf TRISB; incf LATB; bra -2
    EXPECT_EQ(flash_at(0, 4), (std::vector<std::int32_t>{0x80, 0xEF, 0x00, 0xF0}));
    EXPECT_EQ(flash_at(8, 2), (std::vector<std::int32_t>{0x11, 0x00}));
    EXPECT_EQ(flash_at(0x100, 10), (std::vector<std::int32_t>{0x55, 0x0E, 0x8A, 0x6E, 0x93, 0x6A,
                                                              0x8A, 0x2A, 0xFE, 0xD7}));
    EXPECT_EQ(flash_at(4, 4), (std::vector<std::int32_t>{255, 255, 255, 255}));

    // OSC = HS, PWRT on, BOR off, WDT off, LVP off; the rest at their defaults. CONFIG1L,
    // CONFIG3L and CONFIG4H are not in the file and keep the model's erased values.
    const std::array<std::int32_t, 14> config = {model.config_erased[0],
                                                 0x22,
                                                 0x0C,
                                                 0x0E,
                                                 model.config_erased[4],
                                                 0x01,
                                                 0x81,
                                                 model.config_erased[7],
                                                 0x0F,
                                                 0xC0,
                                                 0x0F,
                                                 0xE0,
                                                 0x0F,
                                                 0x40};
    EXPECT_TRUE(std::equal(config.begin(), config.end(), buffer.config_image.begin()));

    EXPECT_EQ(
        std::vector<std::int32_t>(buffer.eeprom_image.begin(), buffer.eeprom_image.begin() + 7),
        (std::vector<std::int32_t>{0x12, 0x34, 0x56, 0x78, 'O', 'K', 255}));
    // __idlocs of ID bytes 0, 1 and 7; the others stay erased.
    EXPECT_EQ(buffer.id_image, (std::vector<std::int32_t>{0x12, 0xA5, 255, 255, 255, 255, 255, 7}));
}

// A J part keeps its configuration words at the end of FLASH, and gpasm writes them there:
// they load as the configuration bytes, the FLASH before them as FLASH.
TEST(IndependentTools, GpasmConfigurationAtTheEndOfFlashLoadsAsConfiguration) {
    temp_dir dir;
    const std::string hex = assemble(dir, "hex_pic18j_program.asm");

    auto model = make_model(32768, 0);
    model.layout = {0x200000, 0, 0x7FF8, 0xF00000, true, 8};
    image::memory_buffer buffer;
    const auto outcome = image::load_hex_file(hex, buffer, model);
    ASSERT_TRUE(outcome.accepted());
    EXPECT_TRUE(outcome.warning.ok()) << image::failure_text(outcome.warning);
    ASSERT_EQ(buffer.flash_image.size(), 0x7FF8u);
    EXPECT_EQ(std::vector<std::int32_t>(buffer.flash_image.begin(), buffer.flash_image.begin() + 4),
              (std::vector<std::int32_t>{0x80, 0xEF, 0x00, 0xF0}));
    EXPECT_EQ(buffer.flash_image.back(), 255);
    // WDTEN off and the rest of CONFIG1L on; CP0 off (bit 3 kept 0); FOSC HS, FCMEN off;
    // CONFIG3L is not implemented and keeps its erased value.
    const std::array<std::int32_t, 6> config = {0xA0, 0xF4, 0x84, 0xFF, model.config_erased[4],
                                                0xF1};
    EXPECT_TRUE(std::equal(config.begin(), config.end(), buffer.config_image.begin()));

    // Written back, the words are at 7FF8h again.
    const std::string text = image::hex_file_text(buffer, model);
    EXPECT_NE(text.find(":087FF800A0F484FF"), std::string::npos) << text;
}

struct srec_case {
    const char* name;
    const char* format; // srec_cat output options
    const char* marker; // a record the output must contain
};

TEST(IndependentTools, SrecCatFilesLoadCorrectly) {
    const srec_case cases[] = {
        {"32-byte records", "-intel -obs=32", ":20"},
        {"segment addresses", "-intel -address-length=3", ":02000002"},
        {"8-byte records", "-intel -obs=8", ":08"},
    };
    const auto model = make_model(0x30000, 1024);
    std::mt19937 random(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        // 8 KB across the 64 KB boundary.
        std::string data(0x2000, '\0');
        for (auto& ch : data)
            ch = static_cast<char>(random() % 256);
        write_file(dir.file("data.bin"), data);
        const std::string hex = dir.file("data.hex");
        const auto run = run_command("srec_cat " + dir.file("data.bin") +
                                     " -binary -offset 0x1F000 -o " + hex + " " + c.format);
        ASSERT_EQ(run.status, 0) << run.output;
        const std::string text = file_bytes(hex);
        ASSERT_NE(text.find(c.marker), std::string::npos) << text.substr(0, 200);

        image::memory_buffer buffer;
        const auto outcome = image::load_hex_file(hex, buffer, model);
        ASSERT_TRUE(outcome.accepted());
        EXPECT_TRUE(outcome.warning.ok());
        EXPECT_EQ(outcome.loaded_top, 0x21000);
        for (std::size_t i = 0; i < data.size(); ++i)
            ASSERT_EQ(buffer.flash_image[0x1F000 + i], static_cast<unsigned char>(data[i])) << i;
        EXPECT_EQ(buffer.flash_image[0x1EFFF], 255);
    }
}

} // namespace
