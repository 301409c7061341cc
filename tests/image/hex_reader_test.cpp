// HEX reader: record errors with their line numbers, placement of data by address,
// the out-of-range warning, and hostile addresses.
#include "image/hex_reader.h"

#include "image_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace image_test;

struct read_outcome {
    bool accepted = false;
    std::int32_t loaded_top = 0;
    image::memory_buffer buffer;
    std::string failure; // the texts of the result's failure and warning, empty for none
    std::string warning;
    image::hex_file_facts facts;
};

read_outcome read_text(const std::string& text, const devices::model_values& model) {
    read_outcome outcome;
    image::erase_image(outcome.buffer, model);
    message_recorder recorder;
    const auto read = image::read_hex_text(text, outcome.buffer, model, outcome.loaded_top);
    EXPECT_TRUE(recorder.messages.empty()) << "the reader returns its messages, never shows them";
    outcome.accepted = read.accepted();
    outcome.failure = image::failure_text(read.failure);
    outcome.warning = image::failure_text(read.warning);
    outcome.facts = read.facts;
    return outcome;
}

std::string error_text(std::int64_t line, const std::string& reason) {
    return "Input program file in Intel Hex Format contains errors.\r\nLine number " +
           std::to_string(line) + ": " + reason;
}

std::string warning_text(std::int64_t count, const std::string& list) {
    return "Warning!\r\nInput program file in Intel Hex Format contains errors.\r\n"
           "There are data for " +
           std::to_string(count) + " addresses out of range:\r\n" + list + "\r\n";
}

const std::string no_colon = "The record does not begin with ':' simbol.";
const std::string too_short = "The record is too short.";
const std::string bad_checksum = "Invalid 'checksum' field in the record.";
const std::string bad_type = "Invalid 'record type' field in the record.";
const std::string bad_04 = "Invalid '04 type' record.";
const std::string bad_02 = "Invalid '02 type' record.";
const std::string bad_count = "Invalid 'number of bytes' field in the record.";
const std::string bad_address = "Invalid 'address' field in the record.";
const std::string count_mismatch = "The record does not contain the specified number of bytes.";
const std::string bad_byte = "Invalid data byte in the record.";

struct error_case {
    const char* name;
    std::string text;
    std::int64_t line;
    std::string reason;
};

TEST(HexReaderErrors, EachRecordErrorIsReportedWithItsLine) {
    const std::string good = data_record(0, {1, 2});
    const error_case cases[] = {
        {"blank before the colon", "  " + end_record, 1, no_colon},
        {"no colon after a good line", good + "\r\n00000001FF\r\n", 2, no_colon},
        {"ten characters", ":00000001F", 1, too_short},
        {"ten characters and trailing blanks", ":00000001F   ", 1, too_short},
        {"wrong checksum", ":00000001FE", 1, bad_checksum},
        {"lower-case checksum", ":00000001ff", 1, bad_checksum},
        {"lower-case record", ":0100000055aa", 1, bad_checksum},
        {"trailing tab", end_record + "\t", 1, bad_checksum},
        {"type 03", record("04", "0000", "03", "00001234"), 1, bad_type},
        {"type 06", record("00", "0000", "06", ""), 1, bad_type},
        {"type not hexadecimal", record("00", "0000", "0G", ""), 1, bad_type},
        {"type 04 with an address", record("02", "0010", "04", "0001"), 1, bad_04},
        {"type 04 with six digits", record("03", "0000", "04", "000100"), 1, bad_04},
        {"type 04 in lower case", record("02", "0000", "04", "00ff"), 1, bad_04},
        {"type 02 not ending in 0", record("02", "0000", "02", "1231"), 1, bad_02},
        {"type 02 with an address", record("02", "0001", "02", "1000"), 1, bad_02},
        {"type 02 with two digits", record("01", "0000", "02", "10"), 1, bad_02},
        {"type 02 without data", record("00", "0000", "02", ""), 1, bad_02},
        {"count not hexadecimal", record("G1", "0000", "00", "AA"), 1, bad_count},
        {"address not hexadecimal", record("01", "00X0", "00", "AA"), 1, bad_address},
        {"count above the data", record("02", "0000", "00", "AA"), 1, count_mismatch},
        {"count below the data", record("01", "0000", "00", "AABB"), 1, count_mismatch},
        {"odd data length", record("01", "0000", "00", "AAB"), 1, count_mismatch},
        // ff weighs in the checksum like FF, so only the byte itself is refused.
        {"lower-case data byte", ":01000000ff00", 1, bad_byte},
        {"bad byte in an ID location", extended_linear(0x20) + "\r\n:01000000ff00", 2, bad_byte},
        {"bad byte in the device ID",
         extended_linear(0x3F) + "\r\n" + record("01", "FFFF", "00", "fF"), 2, bad_byte},
        {"bad byte in a configuration byte", extended_linear(0x30) + "\r\n:01000000ff00", 2,
         bad_byte},
        {"bad byte in EEPROM", extended_linear(0xF0) + "\r\n:01000000ff00", 2, bad_byte},
    };
    const auto model = make_model(32768, 256);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = read_text(c.text, model);
        EXPECT_FALSE(outcome.accepted);
        EXPECT_EQ(outcome.failure, error_text(c.line, c.reason));
        EXPECT_EQ(outcome.warning, "");
    }
}

struct line_case {
    const char* name;
    std::string text;
    std::int64_t line;
};

TEST(HexReaderErrors, LineNumbersCountTheNormalisedLines) {
    const std::string good = data_record(0x10, {0xAA});
    const std::string bad = ":00000001FE";
    const line_case cases[] = {
        {"first line", bad, 1},
        {"CR LF records", good + "\r\n" + good + "\r\n" + bad, 3},
        {"CR LF, one empty line vanishes", good + "\r\n\r\n" + bad, 2},
        {"CR LF, two empty lines leave one", good + "\r\n\r\n\r\n" + bad, 3},
        {"LF, three empty lines vanish", good + "\n\n\n\n" + bad, 2},
        {"LF, four empty lines leave one", good + "\n\n\n\n\n" + bad, 3},
        {"lone CR", good + "\r" + bad, 2},
        {"LF CR counts as one end", good + "\n\r" + bad, 2},
        {"comment line is counted", "; comment\r\n" + good + "\r\n" + bad, 3},
        {"line of blanks is counted", good + "\r\n   \r\n" + bad, 3},
        {"empty lines at the start", "\r\n\r\n\r\n" + bad, 3},
        {"one empty line at the start", "\n" + bad, 2},
    };
    const auto model = make_model(1024, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = read_text(c.text, model);
        EXPECT_EQ(outcome.failure, error_text(c.line, bad_checksum));
    }
}

// Line number of `bad` in `text`, computed the long way: the normalisation done as text
// replacements, then the split at CR LF.
std::int64_t normalised_line_of(std::string text, const std::string& bad) {
    auto replace_all = [](std::string& s, const std::string& from, const std::string& to) {
        std::string out;
        std::size_t pos = 0;
        for (std::size_t hit; (hit = s.find(from, pos)) != std::string::npos;
             pos = hit + from.size())
            out += s.substr(pos, hit - pos) + to;
        s = out + s.substr(pos);
    };
    replace_all(text, "\r", "\n");
    replace_all(text, "\n\n", "\n");
    replace_all(text, "\n\n", "\n");
    replace_all(text, "\n", "\r\n");
    text = "\r\n" + text;
    std::int64_t line = 0;
    for (std::size_t pos = 0;; ++line) {
        const std::size_t end = text.find("\r\n", pos);
        if (text.compare(pos, bad.size(), bad) == 0)
            return line;
        if (end == std::string::npos)
            return -1;
        pos = end + 2;
    }
}

TEST(HexReaderErrors, LineNumbersMatchTheNormalisationOnRandomLayouts) {
    const std::string bad = ":00000001FE";
    const std::vector<std::string> lines = {data_record(0, {1}), "", "; note", "   ",
                                            extended_linear(0)};
    const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\n\r", "\r\r\n", "\n\n\n"};
    std::mt19937 random(20240611);
    const auto model = make_model(1024, 0);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int before = static_cast<int>(random() % 12);
        for (int i = 0; i < before; ++i)
            text += lines[random() % lines.size()] + ends[random() % ends.size()];
        text += bad + ends[random() % ends.size()];
        SCOPED_TRACE(text);
        const auto outcome = read_text(text, model);
        EXPECT_EQ(outcome.failure, error_text(normalised_line_of(text, bad), bad_checksum));
    }
}

TEST(HexReaderErrors, BytesBeforeTheBadByteAreStoredAndReadingStops) {
    const auto model = make_model(1024, 0);
    const auto outcome =
        read_text(crlf_lines({data_record(0x20, {0x77}), record("03", "0000", "00", "11ff22"),
                              data_record(0x30, {0x88})}),
                  model);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.buffer.flash_image[0x20], 0x77);
    EXPECT_EQ(outcome.buffer.flash_image[0], 0x11);
    EXPECT_EQ(outcome.buffer.flash_image[1], 255);
    EXPECT_EQ(outcome.buffer.flash_image[2], 255);
    EXPECT_EQ(outcome.buffer.flash_image[0x30], 255);
}

TEST(HexReaderRecords, EndOfFileAndIgnoredRecords) {
    const auto model = make_model(1024, 0);
    struct accepted_case {
        const char* name;
        std::string text;
        std::int32_t loaded_top;
        bool data_record; // the facts the front ends judge a file by
        bool end_of_file;
    };
    const accepted_case cases[] = {
        {"end record only", end_record, 0, false, true},
        {"empty text", "", 0, false, false},
        {"lines after the end record are not read",
         crlf_lines({data_record(0, {1, 2}), end_record, "garbage", ":00000001FE"}), 2, true, true},
        {"data after the end record does not count", crlf_lines({end_record, data_record(0, {1})}),
         0, false, true},
        {"no end record", crlf_lines({data_record(0, {1, 2})}), 2, true, false},
        {"no end record and no final line end", data_record(0, {1, 2, 3, 4}), 4, true, false},
        {"trailing blanks", data_record(0, {1, 2}) + "   \r\n" + end_record + "  ", 2, true, true},
        {"start linear address record", record("04", "0000", "05", "00000100") + "\r\n", 0, false,
         false},
        {"data record without data", record("10", "0000", "00", "") + "\r\n" + end_record, 0, false,
         true},
        {"only ID-location data",
         crlf_lines({extended_linear(0x20), data_record(0, {1}), end_record}), 0, true, true},
        {"comment and empty lines", "; header\r\n\r\n\r\n\r\n;x\n" + end_record, 0, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = read_text(c.text, model);
        EXPECT_TRUE(outcome.accepted);
        EXPECT_EQ(outcome.warning, "");
        EXPECT_EQ(outcome.loaded_top, c.loaded_top);
        EXPECT_EQ(outcome.facts.data_record, c.data_record);
        EXPECT_EQ(outcome.facts.end_of_file, c.end_of_file);
    }
}

TEST(HexReaderRecords, LoadedTopIsOnePastTheHighestFlashByte) {
    const auto model = make_model(32768, 0);
    const std::vector<int> sixteen(16, 0x5A);
    auto outcome =
        read_text(crlf_lines({data_record(0, sixteen), data_record(0x7FF0, sixteen)}), model);
    EXPECT_EQ(outcome.loaded_top, 32768);
    EXPECT_EQ(outcome.buffer.flash_image[0x7FFF], 0x5A);

    // Order does not matter, and a lower record does not lower it.
    outcome = read_text(crlf_lines({data_record(0x100, sixteen), data_record(0x40, {1})}), model);
    EXPECT_EQ(outcome.loaded_top, 0x110);
}

TEST(HexReaderRecords, DataIsPlacedByRegion) {
    // With ID locations and without them: a model without keeps none of the ID bytes.
    auto model = make_model(32768, 256);
    for (const int id_size : {8, 0}) {
        SCOPED_TRACE(id_size);
        model.layout.id_size = id_size;
        std::vector<int> config_bytes;
        for (int i = 0; i < 14; ++i)
            config_bytes.push_back(0x10 + i);
        const auto outcome = read_text(crlf_lines({
                                           data_record(0x7FFE, {0xA1, 0xA2}),
                                           extended_linear(0x20),
                                           data_record(0, {1, 2, 3, 4, 5, 6, 7, 8}),
                                           extended_linear(0x30),
                                           data_record(0, config_bytes),
                                           extended_linear(0x3F),
                                           data_record(0xFFFE, {0x12, 0x34}),
                                           extended_linear(0xF0),
                                           data_record(0, {0xE0, 0xE1}),
                                           data_record(0xFF, {0xEF}),
                                           end_record,
                                       }),
                                       model);
        EXPECT_TRUE(outcome.accepted);
        EXPECT_EQ(outcome.warning, ""); // the device ID (and ID locations without them) dropped
        const std::vector<std::int32_t> ids{1, 2, 3, 4, 5, 6, 7, 8};
        EXPECT_EQ(outcome.buffer.id_image, id_size == 0 ? std::vector<std::int32_t>{} : ids);
        EXPECT_EQ(outcome.buffer.flash_image[0x7FFE], 0xA1);
        EXPECT_EQ(outcome.buffer.flash_image[0x7FFF], 0xA2);
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(outcome.buffer.config_image[static_cast<std::size_t>(i)], 0x10 + i) << i;
        EXPECT_EQ(outcome.buffer.eeprom_image[0], 0xE0);
        EXPECT_EQ(outcome.buffer.eeprom_image[1], 0xE1);
        EXPECT_EQ(outcome.buffer.eeprom_image[0xFF], 0xEF);
        EXPECT_EQ(outcome.loaded_top, 32768);
        EXPECT_EQ(outcome.facts.highest_out_of_range, -1);
        EXPECT_EQ(outcome.facts.flash_end, 32768);
        EXPECT_EQ(outcome.facts.eeprom_end, 0x100);
        EXPECT_FALSE(outcome.facts.outside_every_model);
    }
}

// The 8-bit-command families' layout: 35 configuration bytes at 300000h, 64 ID bytes, the
// EEPROM at 380000h; the classic EEPROM address holds nothing for them.
TEST(HexReaderRecords, TheModelsLayoutPlacesEachRegion) {
    auto model = make_model(65536, 1024);
    model.layout.config_size = 35;
    model.layout.id_size = 64;
    model.layout.eeprom_address = 0x380000;
    std::vector<int> config_bytes, ids;
    for (int i = 0; i < 35; ++i)
        config_bytes.push_back(0x40 + i);
    for (int i = 0; i < 64; ++i)
        ids.push_back(i);
    const auto outcome = read_text(
        crlf_lines({extended_linear(0x20), data_record(0, ids), extended_linear(0x30),
                    data_record(0, config_bytes), extended_linear(0x38), data_record(0x3FF, {0xE5}),
                    extended_linear(0xF0), data_record(0, {0x11}), end_record}),
        model);
    EXPECT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.buffer.id_image, std::vector<std::int32_t>(ids.begin(), ids.end()));
    for (int i = 0; i < 35; ++i)
        EXPECT_EQ(outcome.buffer.config_image[static_cast<std::size_t>(i)], 0x40 + i) << i;
    EXPECT_EQ(outcome.buffer.eeprom_image[0x3FF], 0xE5);
    EXPECT_EQ(outcome.buffer.eeprom_image[0], 255);
    EXPECT_EQ(outcome.facts.highest_out_of_range, 0xF00000);
}

struct range_case {
    const char* name;
    devices::model_values model;
    std::string text;
    std::int64_t count;
    std::string list;
    // Facts: highest address out of range, FLASH and EEPROM a model needs, no model holds it.
    std::int64_t highest, flash_end, eeprom_end;
    bool outside_every_model;
};

TEST(HexReaderRecords, OutOfRangeDataIsListedAndTheFileAccepted) {
    const auto k32 = make_model(32768, 256);
    const auto k1 = make_model(1024, 0);
    const range_case cases[] = {
        {"byte after FLASH", k32, crlf_lines({data_record(0x7FFF, {1, 2})}), 1, "008000.", 0x8000,
         0x8001, 0, false},
        {"byte after the configuration bytes", k32,
         crlf_lines({extended_linear(0x30), data_record(0x0D, {1, 2})}), 1, "30000E.", 0x30000E, 0,
         0, true},
        {"byte after the ID locations", k32,
         crlf_lines({extended_linear(0x20), data_record(0x07, {1, 2})}), 1, "200008.", 0x200008, 0,
         0, true},
        {"byte below the device ID", k32,
         crlf_lines({extended_linear(0x3F), data_record(0xFFFD, {1, 2})}), 1, "3FFFFD.", 0x3FFFFD,
         0, 0, true},
        {"byte after EEPROM", k32,
         crlf_lines({data_record(0x10, {1}), extended_linear(0xF0), data_record(0xFF, {1, 2})}), 1,
         "F00100.", 0xF00100, 0x11, 0x101, false},
        {"no EEPROM", make_model(32768, 0),
         crlf_lines({extended_linear(0xF0), data_record(0, {1})}), 1, "F00000.", 0xF00000, 0, 1,
         false},
        {"repeats are counted", k1,
         crlf_lines({data_record(0x500, {1}), data_record(0x500, {2}), data_record(0x20, {3})}), 2,
         "000500, 000500.", 0x500, 0x501, 0, false},
        {"beyond every program memory", k1,
         crlf_lines({extended_linear(0x1F), data_record(0xFFFF, {1}), extended_linear(0x10),
                     data_record(0, {2})}),
         2, "1FFFFF, 100000.", 0x1FFFFF, 0x200000, 0, false},
        // An out-of-range byte is not examined, so a bad one there is no error.
        {"bad byte out of range", k1, crlf_lines({record("01", "1000", "00", "ff")}), 1, "001000.",
         0x1000, 0x1001, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = read_text(c.text, c.model);
        EXPECT_TRUE(outcome.accepted);
        EXPECT_EQ(outcome.warning, warning_text(c.count, c.list));
        EXPECT_EQ(outcome.facts.highest_out_of_range, c.highest);
        EXPECT_EQ(outcome.facts.flash_end, c.flash_end);
        EXPECT_EQ(outcome.facts.eeprom_end, c.eeprom_end);
        EXPECT_EQ(outcome.facts.outside_every_model, c.outside_every_model);
    }
}

// Consecutive addresses from 100000: "100000, 100001, ..." for indices [first, last).
std::string address_list(int first, int last) {
    std::string list;
    for (int i = first; i < last; ++i)
        list += core::hex6(0x100000 + i) + ", ";
    return list;
}

TEST(HexReaderRecords, LongOutOfRangeListsAreShortened) {
    const auto model = make_model(32768, 0);
    struct length_case {
        int count;
        std::string list;
    };
    auto whole = [](int n) {
        std::string list = address_list(0, n);
        return list.substr(0, list.size() - 2) + ".";
    };
    auto shortened = [](int n) {
        std::string list = address_list(0, 16) + "..., " + address_list(n - 8, n);
        return list.substr(0, list.size() - 2) + ".";
    };
    const length_case cases[] = {
        {24, whole(24)}, {25, shortened(25)}, {30, shortened(30)}, {200, shortened(200)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<std::string> lines = {extended_linear(0x10)};
        for (int start = 0; start < c.count; start += 16) {
            std::vector<int> bytes(static_cast<std::size_t>(std::min(16, c.count - start)), 0);
            lines.push_back(data_record(static_cast<std::uint32_t>(start), bytes));
        }
        const auto outcome = read_text(crlf_lines(lines), model);
        EXPECT_TRUE(outcome.accepted);
        EXPECT_EQ(outcome.warning, warning_text(c.count, c.list));
    }
    // The thirty-byte case spelled out.
    EXPECT_EQ(shortened(30), "100000, 100001, 100002, 100003, 100004, 100005, 100006, 100007, "
                             "100008, 100009, 10000A, 10000B, 10000C, 10000D, 10000E, 10000F, "
                             "..., 100016, 100017, 100018, 100019, 10001A, 10001B, 10001C, "
                             "10001D.");
}

TEST(HexReaderRecords, SegmentAndLinearAddressesCombine) {
    const auto model = make_model(0x30000, 0);
    const auto outcome = read_text(crlf_lines({
                                       record("02", "0000", "02", "1000"),
                                       data_record(0x0010, {0xAB}),
                                       extended_linear(1),
                                       data_record(0x0005, {0xCD}),
                                       record("02", "0000", "02", "0000"),
                                       data_record(0x0006, {0xEF}),
                                   }),
                                   model);
    EXPECT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.warning, "");
    EXPECT_EQ(outcome.buffer.flash_image[0x10010], 0xAB);
    EXPECT_EQ(outcome.buffer.flash_image[0x20005], 0xCD); // 1 * 65536 + 1000h * 16 + 5
    EXPECT_EQ(outcome.buffer.flash_image[0x10006], 0xEF);
    EXPECT_EQ(outcome.loaded_top, 0x20006);
}

TEST(HexReaderRecords, AddressesBeyondThirtyOneBitsAreOutOfRange) {
    const auto model = make_model(32768, 256);
    struct wide_case {
        const char* name;
        std::vector<std::string> lines;
        std::int64_t count;
        std::string list;
    };
    const wide_case cases[] = {
        {"upper address 8000", {extended_linear(0x8000), data_record(0, {1})}, 1, "000000."},
        {"crossing 4 GB",
         {extended_linear(0xFFFF), data_record(0xFFFE, {1, 2, 3, 4})},
         4,
         "FFFFFE, FFFFFF, 000000, 000001."},
        {"largest sum",
         {extended_linear(0xFFFF), record("02", "0000", "02", "FFF0"), data_record(0xFFFF, {1})},
         1,
         "0FFEFF."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = read_text(crlf_lines(c.lines), model);
        EXPECT_TRUE(outcome.accepted);
        EXPECT_EQ(outcome.warning, warning_text(c.count, c.list));
        EXPECT_EQ(outcome.buffer.flash_image[0], 255);
        EXPECT_EQ(outcome.buffer.flash_image[1], 255);
        EXPECT_EQ(outcome.loaded_top, 0);
    }
}

TEST(HexReaderRecords, ImageSmallerThanTheModelIsNeverWrittenPastItsEnd) {
    auto model = make_model(32768, 256);
    image::memory_buffer buffer;
    buffer.flash_image.assign(16, 255);
    buffer.eeprom_image.assign(1, 0);
    std::int32_t loaded_top = 0;
    const auto read = image::read_hex_text(
        crlf_lines({data_record(0x0F, {1, 2}), extended_linear(0xF0), data_record(0, {3, 4})}),
        buffer, model, loaded_top);
    EXPECT_TRUE(read.accepted());
    EXPECT_EQ(buffer.flash_image[15], 1);
    EXPECT_EQ(buffer.eeprom_image[0], 3);
    EXPECT_EQ(image::failure_text(read.warning), warning_text(2, "000010, F00001."));
}

} // namespace
