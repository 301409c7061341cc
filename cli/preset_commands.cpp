// The presets and check-presets commands and --preset, on the presets file's reader and
// the preset wirings of the hardware layer.
#include "cli/preset_commands.h"

#include "cli/json_output.h"

#include "core/whole_file.h"
#include "devices/voltage_range.h"
#include "hardware/adapter_presets.h"
#include "hardware/preset_wiring.h"
#include "settings/stored_wiring.h"

namespace cli {

namespace {

std::string lines_text(const hardware::adapter_preset& preset) {
    std::string text;
    for (std::size_t k = 0; k < hardware::preset_line_count; ++k)
        text += (k == 0 ? "" : ", ") + std::string(settings::wiring_lines[k].name) + " " +
                hardware::preset_line_text(preset.kind, preset.lines[k]);
    return text;
}

std::string volts_or_unknown(const std::optional<double>& volts) {
    return volts ? devices::volts_text(*volts) + " V" : "unknown";
}

bool factory_wiring(const hardware::adapter_preset& preset) {
    return preset.kind == hardware::preset_kind::parallel &&
           hardware::presets_matching({preset}, settings::port_settings_record{}).size() == 1;
}

QJsonObject preset_json(const hardware::adapter_preset& preset, bool details) {
    const auto text = [](const std::string& value) { return QString::fromStdString(value); };
    QJsonObject lines;
    for (std::size_t k = 0; k < hardware::preset_line_count; ++k)
        lines.insert(settings::wiring_lines[k].name,
                     text(hardware::preset_line_text(preset.kind, preset.lines[k])));
    QJsonObject entry{{"name", text(preset.name)},
                      {"kind", hardware::preset_kind_name(preset.kind)},
                      {"factory_wiring", factory_wiring(preset)},
                      {"lines", lines},
                      {"key_entry", text(preset.key_entry)},
                      {"status", text(hardware::preset_status_text(preset))}};
    for (const auto& [key, volts] :
         {std::pair{"nominal_vpp", &preset.nominal_vpp}, {"nominal_vdd", &preset.nominal_vdd}})
        entry.insert(key, *volts ? QJsonValue(**volts) : QJsonValue());
    if (details) {
        QJsonArray extra, notes;
        for (const std::string& line : preset.extra)
            extra.append(text(line));
        for (const std::string& note : preset.notes)
            notes.append(text(note));
        entry.insert("extra", extra);
        entry.insert("sources", text(preset.sources));
        entry.insert("notes", notes);
    }
    return entry;
}

void show_preset(session& s, const hardware::adapter_preset& preset, bool details) {
    s.out << preset.name << " (" << hardware::preset_kind_name(preset.kind)
          << (factory_wiring(preset) ? ", the factory wiring" : "") << ")\n"
          << "  lines: " << lines_text(preset) << '\n'
          << "  nominal VPP " << volts_or_unknown(preset.nominal_vpp) << ", VDD "
          << volts_or_unknown(preset.nominal_vdd) << "; key entry: " << preset.key_entry << '\n'
          << "  status: " << hardware::preset_status_text(preset) << '\n';
    if (!details)
        return;
    for (const std::string& extra : preset.extra)
        s.out << "  extra line: " << extra << '\n';
    s.out << "  sources: " << preset.sources << '\n';
    for (const std::string& note : preset.notes)
        s.out << "  note: " << note << '\n';
}

// The program's presets, or false with the reason printed when the file gave none.
bool have_presets(session& s) {
    if (hardware::program_presets().empty()) {
        s.err << "pinwright-cli: " << hardware::presets_failure() << '\n';
        return false;
    }
    if (const std::string failure = hardware::presets_failure(); !failure.empty())
        s.err << "pinwright-cli: warning: " << failure << '\n';
    return true;
}

} // namespace

int command_presets(session& s) {
    if (s.options.arguments.size() > 1) {
        s.err << "pinwright-cli: presets takes at most one NAME\n";
        return exit_bad_input;
    }
    if (!have_presets(s))
        return exit_bad_input;
    const auto& presets = hardware::program_presets();
    if (!s.options.arguments.empty()) {
        const hardware::adapter_preset* preset =
            hardware::find_preset(presets, s.options.arguments[0]);
        if (!preset) {
            s.err << "pinwright-cli: no adapter preset is named \"" << s.options.arguments[0]
                  << "\" in " << hardware::presets_path() << " (presets lists them all)\n";
            return exit_bad_input;
        }
        show_preset(s, *preset, true);
        record(s, "presets", QJsonArray{preset_json(*preset, true)});
        return exit_success;
    }
    QJsonArray listed;
    for (const hardware::adapter_preset& preset : presets) {
        show_preset(s, preset, false);
        s.out << '\n';
        listed.append(preset_json(preset, false));
    }
    record(s, "presets", listed);
    record(s, "file", QString::fromStdString(hardware::presets_path()));
    s.out << presets.size() << " presets from " << hardware::presets_path()
          << "; \"pinwright-cli presets NAME\" shows one with its sources and notes.\n";
    return exit_success;
}

int command_check_presets(session& s) {
    if (s.options.arguments.size() > 1) {
        s.err << "pinwright-cli: check-presets takes at most one FILE\n";
        return exit_bad_input;
    }
    const std::string path =
        s.options.arguments.empty() ? hardware::presets_path() : s.options.arguments[0];
    std::string bytes;
    if (const auto read = core::read_whole_file(path, bytes); !read.ok()) {
        s.err << "pinwright-cli: cannot read the adapter presets " << path << ": " << read.reason
              << '\n';
        return exit_bad_input;
    }
    const hardware::preset_file file = hardware::parse_presets(bytes);
    record(s, "file", QString::fromStdString(path));
    QJsonArray listed;
    for (const hardware::preset_problem& problem : file.problems) {
        s.out << hardware::format_preset_problem(path, problem) << '\n';
        listed.append(
            QJsonObject{{"line", problem.line}, {"text", QString::fromStdString(problem.text)}});
    }
    record(s, "problems", listed);
    if (file.problems.empty()) {
        s.out << path << ": no problems (" << file.presets.size() << " presets)\n";
        record(s, "preset_count", static_cast<int>(file.presets.size()));
        return exit_success;
    }
    record_outcome(s, "problems");
    s.out << path << ": " << file.problems.size()
          << (file.problems.size() == 1 ? " problem" : " problems") << '\n';
    return exit_differences;
}

int choose_preset(session& s) {
    if (!s.options.preset) {
        s.preset = hardware::stored_preset_in_use(hardware::program_presets(), s.adapter.kind);
        return exit_success;
    }
    if (!have_presets(s))
        return exit_bad_input;
    const hardware::adapter_preset* preset =
        hardware::find_preset(hardware::program_presets(), *s.options.preset);
    if (!preset) {
        s.err << "pinwright-cli: --preset: no adapter preset is named \"" << *s.options.preset
              << "\" in " << hardware::presets_path()
              << " (pinwright-cli presets lists them; quote a name with blanks)\n";
        return exit_bad_input;
    }
    if (const std::string refusal = hardware::preset_refusal(*preset, s.adapter.kind);
        !refusal.empty()) {
        s.err << "pinwright-cli: --preset: " << refusal << '\n';
        return exit_bad_input;
    }
    hardware::use_preset_for_run(*preset);
    s.preset = preset;
    return exit_success;
}

} // namespace cli
