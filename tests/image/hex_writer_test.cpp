// HEX writer: the records of the file text, and saving that never damages an old file.
#include "image/hex_writer.h"

#include "image/hex_reader.h"
#include "image_test_support.h"
#include "unprivileged.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace image_test;

const std::string erased_config_line = ":0E00000000270F0F000185000FC00FE00F401A\r\n";
const std::string config_address_line = ":020000040030CA\r\n";
const std::string end_line = ":00000001FF\r\n";

struct parsed_record {
    int count = 0;
    int address = 0;
    int type = 0;
    std::vector<int> data;
};

// Splits a writer's text into records, checking the line ends and every checksum.
std::vector<parsed_record> parse_records(const std::string& text) {
    std::vector<parsed_record> records;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        EXPECT_NE(end, std::string::npos) << "line without CR LF at " << pos;
        if (end == std::string::npos)
            break;
        const std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        EXPECT_EQ(line.front(), ':') << line;
        std::vector<int> bytes;
        for (std::size_t i = 1; i + 1 < line.size(); i += 2)
            bytes.push_back(std::stoi(line.substr(i, 2), nullptr, 16));
        int sum = 0;
        for (const int b : bytes)
            sum += b;
        EXPECT_EQ(sum % 256, 0) << "checksum of " << line;
        parsed_record r;
        r.count = bytes[0];
        r.address = bytes[1] * 256 + bytes[2];
        r.type = bytes[3];
        r.data.assign(bytes.begin() + 4, bytes.end() - 1);
        EXPECT_EQ(static_cast<int>(r.data.size()), r.count) << line;
        records.push_back(r);
    }
    return records;
}

image::memory_buffer erased_buffer(const devices::model_values& model) {
    image::memory_buffer buffer;
    image::erase_image(buffer, model);
    return buffer;
}

TEST(HexFileText, ErasedImageHoldsOnlyConfigurationAndEnd) {
    const auto model = make_model(32768, 256);
    EXPECT_EQ(image::hex_file_text(erased_buffer(model), model),
              config_address_line + erased_config_line + end_line);
}

TEST(HexFileText, SingleByteIsRoundedUpToAWord) {
    const auto model = make_model(32768, 256);
    auto buffer = erased_buffer(model);
    buffer.flash_image[0] = 0x42;
    EXPECT_EQ(image::hex_file_text(buffer, model), ":020000040000FA\r\n:0200000042FFBD\r\n" +
                                                       config_address_line + erased_config_line +
                                                       end_line);
}

TEST(HexFileText, IdLocationsFollowFlashOnlyWhenOneIsProgrammed) {
    auto model = make_model(32768, 256);
    auto buffer = erased_buffer(model);
    buffer.id_image[1] = 0x12;
    EXPECT_EQ(image::hex_file_text(buffer, model),
              ":020000040020DA\r\n:08000000FF12FFFFFFFFFFFFED\r\n" + config_address_line +
                  erased_config_line + end_line);
    // A model without ID locations writes none, whatever the array holds.
    model.layout.id_size = 0;
    EXPECT_EQ(image::hex_file_text(buffer, model),
              config_address_line + erased_config_line + end_line);
}

TEST(HexFileText, EepromSectionEndsAtItsLastUsedByte) {
    const auto model = make_model(32768, 256);
    auto buffer = erased_buffer(model);
    for (int i = 0; i < 6; ++i)
        buffer.eeprom_image[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(image::hex_file_text(buffer, model),
              config_address_line + erased_config_line +
                  ":0200000400F00A\r\n:06000000010203040506E5\r\n" + end_line);
}

TEST(HexFileText, ExtendedAddressRecordsMarkEachSegment) {
    const auto model = make_model(0x20000, 0);
    auto buffer = erased_buffer(model);
    for (int a = 0; a <= 0x1001F; ++a)
        buffer.flash_image[static_cast<std::size_t>(a)] = a & 0x7F;
    const auto records = parse_records(image::hex_file_text(buffer, model));
    // 0000 marker, 4096 lines, 0001 marker, 2 lines, config marker and record, end.
    ASSERT_EQ(records.size(), 1u + 4096u + 1u + 2u + 2u + 1u);
    EXPECT_EQ(records[0].type, 4);
    EXPECT_EQ(records[0].data, (std::vector<int>{0x00, 0x00}));
    for (int line = 0; line < 4096; ++line) {
        const auto& r = records[static_cast<std::size_t>(1 + line)];
        ASSERT_EQ(r.type, 0);
        ASSERT_EQ(r.address, line * 16);
        ASSERT_EQ(r.count, 16);
        ASSERT_EQ(r.data[0], (line * 16) & 0x7F);
    }
    EXPECT_EQ(records[4097].type, 4);
    EXPECT_EQ(records[4097].data, (std::vector<int>{0x00, 0x01}));
    EXPECT_EQ(records[4098].address, 0x0000);
    EXPECT_EQ(records[4099].address, 0x0010);
    EXPECT_EQ(records[4099].count, 16);
    EXPECT_EQ(records[4100].data, (std::vector<int>{0x00, 0x30}));
    EXPECT_EQ(records[4102].type, 1);
}

TEST(HexFileText, InvalidConfigurationValueIsWrittenAsFF) {
    auto model = make_model(1024, 0);
    model.config_erased[2] = -1;
    const auto buffer = erased_buffer(model);
    const std::string text = image::hex_file_text(buffer, model);
    const auto records = parse_records(text); // checks the checksum of the written digits
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].data[2], 0xFF);
    EXPECT_EQ(text.find('-'), std::string::npos);
}

struct size_case {
    const char* name;
    std::int32_t flash_size, eeprom_size;
    std::vector<std::size_t> flash_used, eeprom_used; // indices set to 0x11
    std::vector<int> flash_counts, eeprom_counts;     // data bytes per written line
};

TEST(HexFileText, LinesCoverTheUsedRangeAndNeverPassTheArrays) {
    const size_case cases[] = {
        {"odd FLASH size, last byte used", 5, 0, {4}, {}, {5}, {}},
        {"odd FLASH size, rounding", 7, 0, {2}, {}, {4}, {}},
        {"seventeen bytes", 17, 0, {16}, {}, {16, 1}, {}},
        {"even last index rounds up", 64, 0, {32}, {}, {16, 16, 2}, {}},
        {"odd last index stays", 64, 0, {33}, {}, {16, 16, 2}, {}},
        {"odd EEPROM size", 16, 3, {}, {2}, {}, {3}},
        {"EEPROM over two lines", 16, 64, {}, {20}, {}, {16, 6}},
        {"no FLASH at all", 0, 8, {}, {0}, {}, {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto model = make_model(c.flash_size, c.eeprom_size);
        auto buffer = erased_buffer(model);
        for (const auto i : c.flash_used)
            buffer.flash_image.at(i) = 0x11;
        for (const auto i : c.eeprom_used)
            buffer.eeprom_image.at(i) = 0x11;
        std::vector<int> flash_counts, eeprom_counts;
        bool in_eeprom = false;
        for (const auto& r : parse_records(image::hex_file_text(buffer, model))) {
            if (r.type == 4)
                in_eeprom = r.data == std::vector<int>{0x00, 0xF0};
            else if (r.type == 0 && !(r.count == 14 && r.address == 0 && !in_eeprom))
                (in_eeprom ? eeprom_counts : flash_counts).push_back(r.count);
        }
        EXPECT_EQ(flash_counts, c.flash_counts);
        EXPECT_EQ(eeprom_counts, c.eeprom_counts);
    }
}

TEST(HexFileText, EepromBeyondSixtyFourKilobytesKeepsItsAddresses) {
    const auto model = make_model(16, 0x10010);
    auto buffer = erased_buffer(model);
    buffer.eeprom_image[0x10005] = 0x07;
    const std::string text = image::hex_file_text(buffer, model);
    EXPECT_NE(text.find(":0200000400F109\r\n:06000000FFFFFFFFFF07F8\r\n"), std::string::npos);

    image::memory_buffer back;
    image::erase_image(back, model);
    std::int32_t loaded_top = 0;
    const auto read = image::read_hex_text(text, back, model, loaded_top);
    EXPECT_TRUE(read.accepted());
    EXPECT_TRUE(read.warning.ok());
    EXPECT_EQ(back.eeprom_image, buffer.eeprom_image);
}

// ---- saving ----

mode_t current_umask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t mode_of(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::size_t entries_in(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

image::memory_buffer sample_buffer(const devices::model_values& model) {
    auto buffer = erased_buffer(model);
    for (std::size_t i = 0; i < 300; ++i)
        buffer.flash_image[i] = static_cast<std::int32_t>(i * 7 % 256);
    buffer.eeprom_image[3] = 0x33;
    return buffer;
}

TEST(SaveHexFile, NewFileHoldsTheTextWithTheUsualMode) {
    temp_dir dir;
    const auto model = make_model(1024, 64);
    const auto buffer = sample_buffer(model);
    const std::string path = dir.file("out.hex");
    const auto failure = image::save_hex_file(path, buffer, model);
    EXPECT_TRUE(failure.ok());
    EXPECT_EQ(image::failure_text(failure), "");
    EXPECT_EQ(file_bytes(path), image::hex_file_text(buffer, model));
    EXPECT_EQ(mode_of(path), 0644 & ~current_umask());
    EXPECT_EQ(entries_in(dir.path()), 1u); // no temporary file left behind
}

TEST(SaveHexFile, ReplacedFileKeepsItsModeAndLinksAreFollowed) {
    temp_dir dir;
    const auto model = make_model(1024, 64);
    const auto buffer = sample_buffer(model);
    const std::string target = dir.file("target.hex");
    write_file(target, "old content");
    ::chmod(target.c_str(), 0600);
    const std::string link = dir.file("link.hex");
    ASSERT_EQ(::symlink("target.hex", link.c_str()), 0);

    EXPECT_TRUE(image::save_hex_file(link, buffer, model).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(file_bytes(target), image::hex_file_text(buffer, model));
    EXPECT_EQ(mode_of(target), 0600u);
    EXPECT_EQ(entries_in(dir.path()), 2u);
}

TEST(SaveHexFile, FailuresNameThePathAndTheReason) {
    temp_dir dir;
    ::mkdir(dir.file("folder.hex").c_str(), 0755);
    const auto model = make_model(1024, 64);
    const auto buffer = sample_buffer(model);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir.file("folder.hex"), "Is a directory"},
        {dir.file("missing/out.hex"), "No such file or directory"},
        {"", "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto failure = image::save_hex_file(c.path, buffer, model);
        EXPECT_FALSE(failure.ok());
        EXPECT_EQ(image::failure_text(failure), "Cannot save " + c.path + ": " + c.reason + ".");
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.hex")));
    EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(SaveHexFile, FailedWriteLeavesTheOldFileUntouched) {
    temp_dir dir;
    const auto model = make_model(65536, 0);
    auto buffer = erased_buffer(model);
    std::fill(buffer.flash_image.begin(), buffer.flash_image.end(), 0x5A);
    const std::string path = dir.file("keep.hex");
    const std::string old_content = crlf_lines({data_record(0, {1, 2}), end_record});
    write_file(path, old_content);

    // A file size limit makes the write fail part-way, like a full disk does.
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const auto failure = image::save_hex_file(path, buffer, model);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_FALSE(failure.ok());
    EXPECT_EQ(image::failure_text(failure), "Cannot save " + path + ": File too large.");
    EXPECT_EQ(file_bytes(path), old_content);
    EXPECT_EQ(entries_in(dir.path()), 1u);
}

TEST(SaveHexFile, ReadOnlyFolderIsReportedAndTheOldFileKept) {
    temp_dir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string path = dir.file("locked.hex");
    write_file(path, "old content");
    ::chmod(path.c_str(), 0666);
    if (::geteuid() != 0)
        ::chmod(dir.path().c_str(), 0555);
    const std::string failure = run_unprivileged([&]() -> std::string {
        const auto model = make_model(1024, 0);
        const auto saved = image::save_hex_file(path, erased_buffer(model), model);
        if (saved.ok())
            return "the save succeeded";
        const std::string text = image::failure_text(saved);
        if (text != "Cannot save " + path + ": Permission denied.")
            return "unexpected message: " + text;
        return {};
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(file_bytes(path), "old content");
    EXPECT_EQ(entries_in(dir.path()), 1u);
}

} // namespace
