// pinwright-cli --json: every command prints one JSON document and nothing else on standard
// output, in the shape the README shows, on the simulated adapter with a small PIC18F1220.
#include "cli/commands.h"
#include "devices/device_table.h"
#include "image/hex_writer.h"
#include "image/memory_buffer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

class JsonOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
        devices::device_table table;
        ASSERT_TRUE(
            devices::load_device_table(PINWRIGHT_BIN_DIR "/pinwrightdevices.txt", table).ok());
        ASSERT_TRUE(devices::select_model(table, devices::find_model(table, "PIC18F1220"), model_));
        image::erase_image(image_, model_);
        for (int a = 0; a < 64; ++a)
            image_.flash_image[static_cast<std::size_t>(a)] = a * 7 % 256;
        save_image();
    }

    void save_image() {
        std::ofstream(path("app.hex"), std::ios::binary) << image::hex_file_text(image_, model_);
    }

    // Runs the command with --json; the document, or an empty object when standard output
    // is not exactly one JSON document.
    QJsonObject run(std::vector<std::string> args, bool chip = true) {
        std::ostringstream out, err;
        args.push_back("--json");
        if (chip)
            args.insert(args.end(), {"--simulate", "--model", "PIC18F1220", "--vdd", "5", "--vpp",
                                     "13", "--chip", path("chip.hex")});
        code_ = cli::run_cli(args, PINWRIGHT_BIN_DIR, out, err);
        QJsonParseError error{};
        const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << out.str() << err.str();
        EXPECT_TRUE(document.isObject());
        const QJsonObject object = document.object();
        EXPECT_EQ(object.value("exit_code").toInt(-1), code_) << out.str();
        return object;
    }

    std::string path(const std::string& name) const {
        return folder_.path().toStdString() + "/" + name;
    }

    QTemporaryDir folder_;
    devices::model_values model_;
    image::memory_buffer image_;
    int code_ = 0;
};

TEST_F(JsonOutput, EveryCommandPrintsItsDocument) {
    using type = QJsonValue::Type;
    const std::map<std::string, type> types = {
        {"models", type::Array},         {"model", type::String},
        {"output", type::String},        {"status", type::String},
        {"config", type::Array},         {"warnings", type::Array},
        {"problems", type::Array},       {"model_count", type::Double},
        {"presets", type::Array},        {"file", type::String},
        {"preset_count", type::Double},  {"parallel_ports", type::Array},
        {"other_adapters", type::Array}, {"adapter", type::Object},
        {"chip", type::Object},          {"port_time_s", type::Double},
        {"regions", type::Object},       {"steps", type::Array},
        {"differences", type::Array},    {"diagnosis", type::Object}};
    // What every chip operation's document holds.
    const auto operation = [](std::vector<std::string> more) {
        more.insert(more.end(), {"model", "adapter", "chip", "port_time_s", "regions", "steps"});
        return more;
    };
    const std::string app = path("app.hex");
    const struct {
        std::vector<std::string> args;
        int code; // -1: depends on the machine
        const char* outcome;
        std::vector<std::string> keys;
    } cases[] = {
        {{"models"}, 0, "completed", {"models"}},
        {{"convert", app, path("out.hex"), "--model", "PIC18F1220"},
         0,
         "completed",
         {"model", "output", "status"}},
        {{"config", app, "--model", "PIC18F1220"}, 0, "completed", {"config", "warnings"}},
        {{"check-devices"}, 0, "completed", {"problems", "model_count"}},
        {{"check-devices", app}, 1, "problems", {"problems"}},
        {{"presets"}, 0, "completed", {"presets", "file"}},
        {{"check-presets"}, 0, "completed", {"problems", "preset_count"}},
        {{"ports"}, -1, nullptr, {"parallel_ports", "other_adapters"}},
        {{"program", "--verify", app}, 0, "completed", operation({"differences", "file"})},
        {{"verify", app}, 0, "completed", operation({"differences"})},
        {{"read", path("back.hex")}, 0, "completed", operation({})},
        {{"erase"}, 0, "completed", operation({})},
        {{"blankcheck"}, 0, "completed", operation({"differences"})},
        {{"identify"}, 0, "completed", {"chip", "adapter"}},
        {{"doctor"}, 0, "completed", {"diagnosis", "model"}},
        // Failures carry their outcome and message.
        {{"erase", "--sim-part", "none"}, 3, "no_chip", operation({})},
        {{"erase", "--sim-part", "18f4520"}, 4, "wrong_chip", operation({})},
        {{"verify", path("missing.hex")}, 2, "bad_input", {}},
        {{"--bogus", "models"}, 2, "bad_input", {}},
    };
    const std::set<std::string> chip_commands = {"program",    "verify",   "read",  "erase",
                                                 "blankcheck", "identify", "doctor"};
    for (const auto& c : cases) {
        const QJsonObject document = run(c.args, chip_commands.count(c.args.front()) > 0);
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        if (c.args.front()[0] != '-') {
            EXPECT_EQ(document.value("command").toString().toStdString(), c.args.front());
        }
        if (c.code >= 0) {
            EXPECT_EQ(code_, c.code);
        }
        if (c.outcome) {
            EXPECT_EQ(document.value("outcome").toString().toStdString(), c.outcome);
        }
        EXPECT_TRUE(document.value("messages").isArray());
        if (c.code > 1) {
            EXPECT_FALSE(document.value("messages").toArray().isEmpty());
        }
        for (const std::string& key : c.keys)
            EXPECT_EQ(document.value(QString::fromStdString(key)).type(), types.at(key)) << key;
    }
}

TEST_F(JsonOutput, VerifyListsEachDifferenceWithTheSettingsThatDiffer) {
    ASSERT_EQ(run({"program", path("app.hex")}).value("outcome").toString(), "completed");
    const QJsonObject programmed = run({"verify", path("app.hex")});
    EXPECT_GT(programmed["regions"]["flash"]["compared"].toInt(), 0);
    image_.flash_image[0x21] ^= 0x40;
    image_.config_image[1] ^= 0x01; // CONFIG1H: the oscillator
    save_image();
    const QJsonObject document = run({"verify", path("app.hex")});
    EXPECT_EQ(code_, 1);
    EXPECT_EQ(document.value("outcome").toString(), "differences");
    const QJsonArray differences = document.value("differences").toArray();
    ASSERT_EQ(differences.size(), 2) << QJsonDocument(document).toJson().toStdString();
    EXPECT_EQ(differences[0].toObject(),
              (QJsonObject{
                  {"region", "flash"}, {"address", "000021"}, {"expected", "A7"}, {"read", "E7"}}));
    const QJsonObject config = differences[1].toObject();
    EXPECT_EQ(config.value("region").toString(), "config");
    EXPECT_EQ(config.value("address").toString(), "300001");
    const QJsonArray settings = config.value("settings").toArray();
    ASSERT_EQ(settings.size(), 1);
    EXPECT_NE(settings[0]["expected"].toString(), settings[0]["read"].toString());
    EXPECT_FALSE(settings[0]["name"].toString().isEmpty());
}

} // namespace
