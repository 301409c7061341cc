// HEX file load: the outcome captions, the K figure of the status line, the shortened path,
// files that cannot be read, and the models a file's data fits.
#include "image/hex_load.h"

#include "image/hex_fit.h"
#include "image/hex_reader.h"
#include "image_test_support.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace image_test;

TEST(HexLoad, KilobytesAreTheFirstFourCharactersOfTheExactQuotient) {
    const struct {
        std::int32_t loaded_top;
        const char* text;
    } cases[] = {
        {0, "0"},         {1000, ".976"},    {12345, "12.0"},   {32768, "32"},   {512, ".5"},
        {1, ".000"},      {1024, "1"},       {1536, "1.5"},     {10240, "10"},   {10752, "10.5"},
        {102912, "100."}, {1049088, "1024"}, {1048576, "1024"}, {65535, "63.9"}, {2047, "1.99"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(image::loaded_kilobytes_text(c.loaded_top), c.text) << c.loaded_top;
}

TEST(HexLoad, ShortPathKeepsTheLastSeventyCharacters) {
    const std::string seventy(70, 'a');
    EXPECT_EQ(image::short_path(""), "");
    EXPECT_EQ(image::short_path(seventy), seventy);
    EXPECT_EQ(image::short_path("/" + seventy), "... " + seventy);
    EXPECT_EQ(image::short_path("/home/user/" + seventy), "... " + seventy);
    // Characters, not bytes: a two-byte character is kept whole or dropped whole.
    const std::string e_acute = "\xC3\xA9";
    const std::string mixed = "/x/" + e_acute + std::string(69, 'b');
    EXPECT_EQ(image::short_path(mixed), "... " + e_acute + std::string(69, 'b'));
    const std::string accented(70, 'c');
    EXPECT_EQ(image::short_path(e_acute + accented), "... " + accented);
    EXPECT_EQ(image::short_path(e_acute + std::string(69, 'c')), e_acute + std::string(69, 'c'));
}

struct accepted_case {
    const char* name;
    std::string text;
    std::int32_t flash_size;
    bool warning; // the out-of-range warning does not reject the file
    std::int32_t last_byte;
    std::string status;
};

TEST(HexLoad, AcceptedFilesGiveTheLabelAndStatus) {
    const accepted_case cases[] = {
        {"32 KB",
         crlf_lines({data_record(0, std::vector<int>(16, 1)),
                     data_record(0x7FF0, std::vector<int>(16, 2)), end_record}),
         32768, false, 2, "Operation completed. Total 32768 (32K) program bytes loaded."},
        {"end record only", end_record + "\r\n", 1024, false, 255,
         "Operation completed. Total 0 (0K) program bytes loaded."},
        {"partly out of range", crlf_lines({data_record(0x3E0, std::vector<int>(0x20, 7))}), 1000,
         true, 7, "Operation completed. Total 1000 (.976K) program bytes loaded."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        temp_dir dir;
        const std::string path = dir.file("program.hex");
        write_file(path, c.text);
        const auto model = make_model(c.flash_size, 256);
        image::memory_buffer buffer;
        buffer.flash_image.assign(10, 0); // whatever was there before is erased first
        const auto outcome = image::load_hex_file(path, buffer, model);
        EXPECT_TRUE(outcome.accepted());
        EXPECT_EQ(outcome.label_hex, image::short_path(path));
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(!outcome.warning.ok(), c.warning);
        ASSERT_EQ(buffer.flash_image.size(), static_cast<std::size_t>(c.flash_size));
        EXPECT_EQ(buffer.flash_image.back(), c.last_byte);
    }
}

TEST(HexLoad, RejectedFileLeavesTheImageErased) {
    temp_dir dir;
    const std::string path = dir.file("bad.hex");
    write_file(path, crlf_lines({data_record(0, {1, 2, 3, 4}), extended_linear(0x30),
                                 data_record(0, {9}), ":00000001FE"}));
    const auto model = make_model(1024, 64);
    image::memory_buffer buffer;
    const auto outcome = image::load_hex_file(path, buffer, model);
    EXPECT_FALSE(outcome.accepted());
    EXPECT_EQ(outcome.loaded_top, 0);
    EXPECT_EQ(outcome.label_hex, "");
    EXPECT_EQ(outcome.status, "HEX file not loaded!");
    image::memory_buffer erased;
    image::erase_image(erased, model);
    EXPECT_EQ(buffer.flash_image, erased.flash_image);
    EXPECT_EQ(buffer.config_image, erased.config_image);
    EXPECT_EQ(image::failure_text(outcome.failure),
              "Input program file in Intel Hex Format contains errors.\r\nLine number 4: "
              "Invalid 'checksum' field in the record.");
}

TEST(HexLoad, UnreadableFilesAreReportedWithPathAndReason) {
    temp_dir dir;
    ::mkdir(dir.file("folder.hex").c_str(), 0755);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir.file("missing.hex"), "No such file or directory"},
        {dir.file("folder.hex"), "Is a directory"},
        {dir.file("missing/inner.hex"), "No such file or directory"},
    };
    const auto model = make_model(1024, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        image::memory_buffer buffer;
        const auto outcome = image::load_hex_file(c.path, buffer, model);
        EXPECT_FALSE(outcome.accepted());
        EXPECT_EQ(outcome.status, "HEX file not loaded!");
        EXPECT_EQ(buffer.flash_image.size(), 1024u);
        EXPECT_EQ(image::failure_text(outcome.failure),
                  "Cannot read file " + c.path + ": " + c.reason + ".");
    }
}

TEST(HexLoad, FileWithoutReadPermissionIsReported) {
    temp_dir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string path = dir.file("secret.hex");
    write_file(path, end_record);
    ::chmod(path.c_str(), 0200);
    const std::string failure = run_unprivileged([&]() -> std::string {
        const auto model = make_model(1024, 0);
        image::memory_buffer buffer;
        image::erase_image(buffer, model);
        std::int32_t loaded_top = 0;
        const auto read = image::read_hex_file(path, buffer, model, loaded_top);
        if (read.accepted())
            return "the file was read";
        const std::string expected = "Cannot read file " + path + ": Permission denied.";
        if (image::failure_text(read.failure) != expected)
            return "unexpected message";
        return {};
    });
    EXPECT_EQ(failure, "");
}

TEST(HexLoad, FileFitsTheModelsWhoseMemoriesHoldAllItsData) {
    devices::device_table table;
    const struct {
        const char* name;
        const char* flash;
        const char* eeprom;
    } models[] = {{"BIG", "65536", "1024"}, {"K32", "32768", "256"}, {"K16", "16384", "256"},
                  {"K32B", "32768", "256"}, {"K32N", "32768", "0"},  {"K32C", "32768", "256"},
                  {"K32D", "32768", "256"}, {"BROKEN", "x", "256"}};
    for (const auto& m : models) {
        devices::device_model model;
        model.name = m.name;
        model.flash = m.flash;
        model.eeprom = m.eeprom;
        table.models.push_back(model);
    }
    auto facts = [](std::int64_t flash_end, std::int64_t eeprom_end, bool outside) {
        return image::hex_file_facts{
            .flash_end = flash_end, .eeprom_end = eeprom_end, .outside_every_model = outside};
    };
    const struct {
        const char* name;
        image::hex_file_facts facts;
        const char* fits;
    } cases[] = {
        {"smallest first, EEPROM before table order", facts(0x5000, 0, false),
         "6 models, the smallest: K32N, K32, K32B, K32C, K32D"},
        {"EEPROM data", facts(0x5000, 0x100, false), "K32, K32B, K32C, K32D, BIG"},
        {"FLASH ends exactly", facts(0x10000, 0x101, false), "BIG"},
        {"too large for all", facts(0x10001, 0, false), ""},
        {"data outside every memory", facts(0x10, 0, true), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(image::models_holding_text(table, c.facts), c.fits);
    }
    EXPECT_EQ(image::address_text(0x3FFF), "003FFFh");
    EXPECT_EQ(image::address_text(0x1FFFFFFFF), "1FFFFFFFFh");
    const auto k16 = make_model(16384, 256);
    EXPECT_EQ(image::dropped_data_text(table, k16, facts(0x8000, 0x10, false)),
              "This data was dropped: it is not in the image and will not be programmed.\r\nThe "
              "selected model TEST may be the wrong one (its FLASH ends at 003FFFh, its EEPROM at "
              "F000FFh); the file fits K32, K32B, K32C, K32D, BIG.");
    EXPECT_EQ(image::dropped_data_text(table, k16, facts(0x10, 0, true)),
              "This data was dropped: it is not in the image and will not be programmed.\r\nNo "
              "model of the device database holds all of it: check that this is the file you "
              "meant.");
}

} // namespace
