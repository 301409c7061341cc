// pinwright-cli config. The file is loaded exactly as the window's Open HEX File loads it,
// so the bytes shown are the ones Program All would write. The settings come from the
// shipped pinwrightconfig.txt (beside the program, else in ../share/pinwright); without it,
// or for a model it does not list, the bytes are shown raw.
#include "cli/config_command.h"

#include "cli/json_output.h"

#include "core/hex_text.h"
#include "devices/config_names.h"
#include "devices/device_table.h"
#include "devices/model_select.h"
#include "devices/selected_model.h"
#include "image/hex_load.h"
#include "image/memory_buffer.h"
#include "settings/program_values.h"

namespace cli {

int command_config(session& s) {
    if (s.options.arguments.size() != 1) {
        s.err << "pinwright-cli: config needs one FILE.hex (see --help)\n";
        return exit_bad_input;
    }
    if (model_by_chip(s)) {
        s.err << "pinwright-cli: --model auto reads the chip in the socket, so it works with "
                 "the chip commands only; name the model for config\n";
        return exit_bad_input;
    }
    if (!load_database(s) || !select_requested_model(s))
        return exit_bad_input;
    record_model(s);
    const std::string& input = s.options.arguments[0];
    const devices::model_values& model = devices::selected_model().values;
    image::memory_buffer buffer;
    const auto loaded = image::load_hex_file(input, buffer, model);
    show_hex_read(loaded);
    if (!loaded.accepted())
        return exit_bad_input;

    devices::config_names names;
    std::string error;
    if (!devices::load_config_names(
            devices::shipped_file_path(settings::program().app_folder, devices::config_names_file),
            names, error))
        s.err << "pinwright-cli: " << error << "; the bytes are shown without their settings\n";
    const devices::model_config_names* named = names.find(model.name);

    s.out << "Configuration of " << input << " for " << model.name << ":\n";
    if (named == nullptr && error.empty())
        s.out << "(no settings by name are known for " << model.name << ")\n";
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    std::vector<std::string> warnings;
    QJsonArray bytes;
    // Eight bytes on a part that keeps its configuration in FLASH.
    for (int k = 0; k < std::min(model.layout.config_size, devices::largest_config_size); ++k) {
        const auto value =
            static_cast<std::uint8_t>(buffer.config_image[static_cast<std::size_t>(k)] & 0xFF);
        const std::string name = "CONFIG" + devices::config_byte_name(model.layout, k);
        s.out << name << ' ' << core::hex2(value);
        QJsonObject byte{
            {"name", text(name)},
            {"address",
             text(core::hex6(static_cast<std::int32_t>(model.layout.config_address + k)))},
            {"value", text(core::hex2(value))}};
        if (named != nullptr) {
            const auto decoded = devices::decode_config_byte(*named, k, value);
            if (!decoded.settings.empty())
                s.out << ": " << devices::settings_text(decoded);
            QJsonArray settings;
            for (const devices::decoded_setting& setting : decoded.settings)
                settings.append(QJsonObject{{"name", text(setting.name)},
                                            {"option", text(setting.option)},
                                            {"value", text(core::hex2(setting.value))}});
            byte.insert("settings", settings);
            for (const std::string& notice : decoded.notices)
                warnings.push_back(name + ' ' + notice);
        }
        s.out << '\n';
        bytes.append(byte);
    }
    QJsonArray warned;
    for (const std::string& warning : warnings) {
        s.out << "Warning: " << warning << '\n';
        warned.append(text(warning));
    }
    record(s, "file", text(input));
    record(s, "config", bytes);
    record(s, "warnings", warned);
    return exit_success;
}

} // namespace cli
