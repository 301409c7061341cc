// The table of a model's keys: each key fills a field of its own, a key outside the table
// fills none, and the shipped file's header documents exactly the table's keys.
#include "core/whole_file.h"
#include "devices/database_lines.h"
#include "devices/database_schema.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(DatabaseSchema, EveryKeyFillsItsOwnFieldAndAnUnknownKeyNone) {
    // Each key with a value of its own (an algorithm with a body of its own), then a key the
    // table lacks, which must leave every field as it was.
    std::string text;
    for (const auto& row : devices::database_schema())
        if (row.algorithm != devices::no_algorithm)
            text += std::string(devices::algorithm_kind_names[row.algorithm]) +
                    "algdef 1: " + row.name + "\r\n";
    text += "model: A\r\n";
    for (const auto& row : devices::database_schema())
        text += std::string(row.name) + " " +
                (row.algorithm == devices::no_algorithm ? row.name : "1") + "\r\n";
    text += "entrykind: key\r\n";
    const auto lines = devices::read_database_lines(text);
    EXPECT_EQ(lines.back().what, devices::database_line::kind::other);

    devices::device_table table;
    ASSERT_TRUE(devices::parse_device_table(lines, "test", table).ok());
    ASSERT_EQ(table.model_count(), 1);
    for (const auto& row : devices::database_schema())
        EXPECT_EQ(table.models[1].*(row.field), row.name);
}

TEST(DatabaseSchema, ShippedHeaderListsExactlyTheKeys) {
    std::string bytes;
    ASSERT_TRUE(
        core::read_whole_file(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", bytes).ok());
    // The key list: "#   key: example   meaning" lines from "# A model is" to the next
    // blank line; continuation lines start with blanks.
    std::set<std::string> documented;
    bool in_list = false;
    for (const auto& line : devices::read_database_lines(bytes)) {
        if (line.text.starts_with("# A model is"))
            in_list = true;
        else if (in_list && line.text.empty() && !documented.empty())
            break;
        else if (in_list && line.text.starts_with("#   ") && line.text[4] != ' ')
            documented.insert(line.text.substr(4, line.text.find(' ', 4) - 4));
    }
    const auto keys = devices::database_keys();
    EXPECT_EQ(documented, std::set<std::string>(keys.begin(), keys.end()));
}

} // namespace
