// Reading the device database and selecting a model, and the sizes that keep a model
// from being selected.
#include "devices/device_table.h"
#include "devices/model_select.h"
#include "devices/selected_model.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::string crlf(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

devices::device_table parse(const std::string& bytes) {
    devices::device_table table;
    const auto failure = devices::parse_device_table(bytes, "test.txt", table);
    EXPECT_TRUE(failure.ok()) << devices::failure_text(failure);
    return table;
}

const char* const erased = "00,CF,0F,1F,00,83,85,00,0F,C0,0F,E0,0F,40";

TEST(DeviceTable, KeysInAnyCaseValuesKeepTheirCase) {
    const auto table = parse(crlf({"ERASEALGDEF 2: Begin,End", "Model: PIC18F452 Rev B",
                                   "FLASH: 32768", "EeProm: 256", "ERASEALG: 2"}));
    ASSERT_EQ(table.model_count(), 1);
    EXPECT_EQ(table.models[1].name, "PIC18F452 Rev B");
    EXPECT_EQ(table.models[1].flash, "32768");
    EXPECT_EQ(table.models[1].erasealg, "Begin,End");
    EXPECT_EQ(table.models[1].line, 2);
}

TEST(DeviceTable, ValueStartsAfterTheFirstSpace) {
    const auto table = parse(crlf({"model: A", "flash:32768 x", "eeprom: 256  "}));
    EXPECT_EQ(table.models[1].flash, "x");
    EXPECT_EQ(table.models[1].eeprom, "256  "); // trailing blanks kept
    devices::model_values values;
    ASSERT_TRUE(devices::select_model(table, 1, values));
    EXPECT_EQ(values.flash_size, 0);
    EXPECT_EQ(values.eeprom_size, 256);
}

TEST(DeviceTable, ModelsTakeTheBodyInForceWhenTheirLineIsRead) {
    const auto table =
        parse(crlf({"erasealgdef 3: first", "model: A", "erasealg: 3", "erasealgdef 3: second",
                    "model: B", "erasealg: 3", "model: C", "erasealg: 4"}));
    ASSERT_EQ(table.model_count(), 3);
    EXPECT_EQ(table.models[1].erasealg, "first");
    EXPECT_EQ(table.models[2].erasealg, "second");
    EXPECT_EQ(table.models[3].erasealg, ""); // not defined yet
}

TEST(DeviceTable, FieldLinesBeforeTheFirstModelChangeNoModel) {
    const auto table = parse(crlf({"flash: 99", "model: A", "eeprom: 1"}));
    ASSERT_EQ(table.model_count(), 1);
    EXPECT_EQ(table.models[1].flash, "");
    EXPECT_EQ(table.models[0].flash, "99");
}

TEST(DeviceTable, LineEnds) {
    // A lone CR ends a line; a lone LF does not.
    auto table = parse("model: A\rflash: 10\r\neeprom: 2\r");
    ASSERT_EQ(table.model_count(), 1);
    EXPECT_EQ(table.models[1].flash, "10");
    EXPECT_EQ(table.models[1].eeprom, "2");
    table = parse("model: A\nflash: 10\nmodel: B\n");
    ASSERT_EQ(table.model_count(), 1);
    EXPECT_EQ(table.models[1].name, "A\nflash: 10\nmodel: B\n");
}

TEST(DeviceTable, DefinitionBodySkipsTheCharacterAfterTheColon) {
    const auto table = parse(crlf({"readalgdef 0:xbegin", "readalgdef 1:", "model: A", "readalg: 0",
                                   "model: B", "readalg: 1"}));
    EXPECT_EQ(table.models[1].readalg, "begin");
    EXPECT_EQ(table.models[2].readalg, "");
}

TEST(DeviceTable, RejectsBadLinesNamingFileAndLine) {
    struct case_t {
        std::string bytes;
        std::string expected;
    };
    const case_t cases[] = {
        {crlf({"model: A", "flash:1"}), "test.txt:2: "},
        {crlf({"model: A", "", "erasealgdef 40: x"}), "test.txt:3: algorithm number 40"},
        {crlf({"erasealgdef -1: x"}), "test.txt:1: algorithm number -1"},
        {crlf({"model: A", "verifyalg: 99"}),
         "test.txt:2: algorithm number 99 is outside 0 to 39 (\"verifyalg: 99\")."},
        {crlf({"model: A", "verifyalg: 1e12"}), "test.txt:2: algorithm number"},
    };
    for (const auto& c : cases) {
        devices::device_table table;
        const auto failure = devices::parse_device_table(c.bytes, "test.txt", table);
        EXPECT_FALSE(failure.ok()) << c.bytes;
        const std::string text = devices::failure_text(failure);
        EXPECT_EQ(text.rfind(c.expected, 0), 0u) << text;
        EXPECT_EQ(table.model_count(), 0);
    }
}

TEST(DeviceTable, UnusableFileIsReportedWithTheReason) {
    const struct {
        std::string path;
        std::string text;
    } cases[] = {
        {"/nonexistent/pinwrightdevices.txt", "Cannot open the device database "
                                              "/nonexistent/pinwrightdevices.txt: No such file "
                                              "or directory."},
        // A folder opens but cannot be read.
        {PINWRIGHT_SOURCE_DIR "/data",
         "Cannot read the device database " PINWRIGHT_SOURCE_DIR "/data: Is a directory."},
    };
    for (const auto& c : cases) {
        devices::device_table table;
        const auto failure = devices::load_device_table(c.path, table);
        EXPECT_EQ(devices::failure_text(failure), c.text);
        EXPECT_EQ(table.model_count(), 0);
    }
}

TEST(DeviceTable, ShippedDatabaseLoads) {
    devices::device_table table;
    const auto failure =
        devices::load_device_table(PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt", table);
    ASSERT_TRUE(failure.ok()) << devices::failure_text(failure);
    EXPECT_GE(table.model_count(), 38);
    for (int n = 1; n <= table.model_count(); ++n) {
        devices::model_values values;
        ASSERT_TRUE(devices::select_model(table, n, values));
        EXPECT_TRUE(values.name.rfind("PIC18F", 0) == 0 || values.name.rfind("PIC18LF", 0) == 0)
            << values.name;
        EXPECT_GT(values.flash_size, 0) << values.name;
        EXPECT_EQ(values.flash_size % 2, 0) << values.name;
        EXPECT_GT(values.page_size, 0) << values.name;
        for (int k = 0; k < values.layout.config_size; ++k)
            EXPECT_GE(values.config_erased[static_cast<std::size_t>(k)], 0) << values.name;
    }
}

TEST(SelectModel, WorkingValues) {
    const auto table = parse(crlf(
        {"programalgdef 1: Begin, S0D-FLASH,,End", "model: A", "flash: 2.5", "eeprom: 3.5",
         "progtime: 1e1", "pagesize: 64", "voltageseq: VPPVDD",
         "configerased: 00,cf,0F,1F,00,83,85,00,0F,C0,0F,E0,0F,40", "programalg: 1",
         "deviceid: 10c0", "deviceidmask: FFF0", "eecon1: f7f", "model: B", "voltageseq: vdd vpp",
         "configerased: 00,CF,0F,1F", "deviceid: 10C", "progtime: 1", "configprogtime: 5"}));
    devices::model_values values;
    ASSERT_TRUE(devices::select_model(table, 1, values));
    EXPECT_EQ(values.flash_size, 2);
    EXPECT_EQ(values.eeprom_size, 4);
    EXPECT_EQ(values.program_time_ms, 10);
    EXPECT_EQ(values.config_program_time_ms, 10); // no configprogtime: the code hold
    EXPECT_EQ(values.page_size, 64);
    EXPECT_EQ(values.voltage_sequence, 2);
    EXPECT_EQ(values.config_erased[1], 0xCF);
    EXPECT_EQ(values.config_erased[13], 0x40);
    EXPECT_FALSE(values.has_config_mask);
    const devices::instruction_list expected{"begin", " s0d-flash", "", "end"};
    EXPECT_EQ(values.program_list, expected);
    EXPECT_EQ(values.erase_list, devices::instruction_list{""});
    EXPECT_EQ(values.device_id, std::optional<std::uint16_t>{0x10C0});
    EXPECT_EQ(values.device_id_mask, 0xFFF0);
    EXPECT_EQ(values.eecon1_address, 0xF7F);

    // An unknown order leaves the previous one in force; short configuration text gives -1.
    ASSERT_TRUE(devices::select_model(table, 2, values));
    EXPECT_EQ(values.voltage_sequence, 2);
    EXPECT_EQ(values.config_erased[3], 0x1F);
    EXPECT_EQ(values.config_erased[4], -1);
    EXPECT_EQ(values.config_erased[13], -1);
    EXPECT_EQ(values.device_id, std::nullopt); // three digits are no ID
    EXPECT_EQ(values.device_id_mask, devices::default_device_id_mask);
    EXPECT_EQ(values.program_time_ms, 1);
    EXPECT_EQ(values.config_program_time_ms, 5);
    EXPECT_EQ(values.eecon1_address, devices::default_eecon1_address);

    EXPECT_FALSE(devices::select_model(table, 0, values));
    EXPECT_FALSE(devices::select_model(table, 3, values));
    EXPECT_EQ(devices::find_model(table, "B"), 2);
    EXPECT_EQ(devices::find_model(table, "b"), 0);
}

// Sizes beyond any PIC18 (which would exhaust the memory) or not whole numbers, and an
// EECON1 address outside the access bank's SFRs, keep the program from selecting the
// model; the lenient select_model still reads it.
TEST(SelectModel, ProgramRefusesImpossibleSizes) {
    const std::pair<const char*, const char*> rows[] = {
        {"flash: 2147483648",
         "its FLASH size \"2147483648\" is more than the 2097152 bytes a PIC18 can have"},
        {"flash: 16384 x", "its FLASH size \"16384 x\" is not a whole number of bytes"},
        {"flash: 0", "its FLASH size \"0\" is below 1 byte"},
        {"eeprom: 65537",
         "its EEPROM size \"65537\" is more than the 65536 bytes a PIC18 can have"},
        {"eeprom: 2.5", "its EEPROM size \"2.5\" is not a whole number of bytes"},
        {"pagesize: 257", "its page size \"257\" is more than the 256 bytes a PIC18 can have"},
        {"eecon1: FG0", "its EECON1 address \"FG0\" is not three hexadecimal digits from F60 "
                        "to FFF"},
        {"eecon1: 07F", "its EECON1 address \"07F\" is not three hexadecimal digits from F60 "
                        "to FFF"},
    };
    for (const auto& [line, problem] : rows) {
        SCOPED_TRACE(line);
        const auto table =
            parse(crlf({"model: Bad", "flash: 2097152", "eeprom: 65536", "pagesize: 256", line,
                        "model: Good", "flash: 32768", "eeprom: 0"}));
        EXPECT_EQ(devices::model_problem(table.models[1]), problem);
        devices::select_program_model(table, 2);
        EXPECT_FALSE(devices::select_program_model(table, 1));
        EXPECT_EQ(devices::selected_model().number, 2);
        EXPECT_EQ(devices::selected_model().values.name, "Good");
        EXPECT_EQ(devices::first_usable_model(table), 2);
    }
    const auto table =
        parse(crlf({"model: Largest", "flash: 2097152", "eeprom: 65536", "pagesize: 256"}));
    EXPECT_EQ(devices::model_problem(table.models[1]), "");
    EXPECT_TRUE(devices::select_program_model(table, 1));
}

TEST(SelectModel, ConfigMaskIsOptional) {
    const auto table =
        parse(crlf({"model: A", std::string("configmask: ").append(erased).c_str()}));
    devices::model_values values;
    ASSERT_TRUE(devices::select_model(table, 1, values));
    EXPECT_TRUE(values.has_config_mask);
    EXPECT_EQ(values.config_mask[1], 0xCF);
}

// The database beside the program wins; an installed layout's ../share/pinwright is the
// fallback; with neither, the place beside the program is named.
TEST(DeviceTable, DefaultDatabaseBesideTheProgramElseInShare) {
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("pinwright-lookup-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share/pinwright");
    const std::string bin = (root / "bin").string() + "/";
    EXPECT_EQ(devices::default_database_path(bin), bin + "pinwrightdevices.txt");
    std::ofstream(root / "share/pinwright/pinwrightdevices.txt") << "x";
    EXPECT_EQ(devices::default_database_path(bin),
              (root / "share/pinwright/pinwrightdevices.txt").string());
    std::ofstream(root / "bin/pinwrightdevices.txt") << "x";
    EXPECT_EQ(devices::default_database_path(bin), bin + "pinwrightdevices.txt");
    fs::remove_all(root);
}

TEST(InstructionList, SplitsAtEveryComma) {
    EXPECT_EQ(devices::make_instruction_list("a, b,c"),
              (devices::instruction_list{"a", " b", "c"}));
    EXPECT_EQ(devices::make_instruction_list("a,b,"), (devices::instruction_list{"a", "b"}));
    EXPECT_EQ(devices::make_instruction_list(",,"), (devices::instruction_list{"", ""}));
    EXPECT_EQ(devices::make_instruction_list(""), (devices::instruction_list{""}));
}

} // namespace
