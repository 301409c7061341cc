// The --json document: the recorder of standard error's lines, the outcome keys, and the
// chip facts of a run (adapter, model, device ID, operations with their counts and
// differences) in the shape the README shows.
#include "cli/json_output.h"

#include "core/hex_text.h"
#include "devices/config_names.h"
#include "devices/device_table.h"
#include "devices/selected_model.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "interpreter/config_differences.h"

#include <QJsonDocument>

namespace cli {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

const char* region_name(image::region where) {
    switch (where) {
    case image::region::flash:
        return "flash";
    case image::region::eeprom:
        return "eeprom";
    case image::region::id:
        return "id";
    case image::region::config:
        return "config";
    }
    return "";
}

QJsonObject counts_json(const Module1::run_counts& counts) {
    QJsonObject regions;
    for (int k = 0; k < image::region_count; ++k) {
        const Module1::region_counts& count = counts[static_cast<std::size_t>(k)];
        regions.insert(region_name(static_cast<image::region>(k)),
                       QJsonObject{{"written", static_cast<qint64>(count.written)},
                                   {"read", static_cast<qint64>(count.read)},
                                   {"compared", static_cast<qint64>(count.compared)}});
    }
    return regions;
}

// The command's regions so far with `counts` added.
QJsonObject added_counts(const QJsonObject& so_far, const Module1::run_counts& counts) {
    QJsonObject sum = counts_json(counts);
    for (auto region = sum.begin(); region != sum.end(); ++region) {
        QJsonObject count = region.value().toObject();
        const QJsonObject before = so_far.value(region.key()).toObject();
        for (auto member = count.begin(); member != count.end(); ++member)
            member.value() =
                member.value().toInteger() + before.value(member.key()).toInteger(); // 0: absent
        region.value() = count;
    }
    return sum;
}

QJsonObject difference_json(const Module1::check_difference& difference,
                            const devices::model_config_names* names) {
    QJsonObject row{{"region", region_name(difference.where)},
                    {"address", text(core::hex6(static_cast<std::int32_t>(difference.address)))},
                    {"expected", text(core::hex2(difference.expected))},
                    {"read", text(core::hex2(difference.read))}};
    if (difference.where == image::region::config && names != nullptr) {
        QJsonArray settings;
        for (const devices::setting_difference& setting :
             devices::differing_settings(*names, Module1::config_byte_index(difference),
                                         static_cast<std::uint8_t>(difference.expected),
                                         static_cast<std::uint8_t>(difference.read)))
            settings.append(QJsonObject{{"name", text(setting.name)},
                                        {"expected", text(setting.expected)},
                                        {"read", text(setting.read)}});
        row.insert("settings", settings);
    }
    return row;
}

} // namespace

int line_recorder::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    keep(traits_type::to_char_type(c));
    return c;
}

std::streamsize line_recorder::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize k = 0; k < count; ++k)
        keep(text[k]);
    return count;
}

int line_recorder::sync() {
    target_.flush();
    return 0;
}

namespace {

void append_line(QJsonArray& lines, const std::string& line) {
    if (line.find_first_not_of(" \r") != std::string::npos)
        lines.append(QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size())));
}

} // namespace

void line_recorder::keep(char c) {
    target_.put(c);
    if (c != '\n') {
        line_ += c;
        return;
    }
    append_line(lines_, line_);
    line_.clear();
}

QJsonArray line_recorder::lines() const {
    QJsonArray all = lines_;
    append_line(all, line_);
    return all;
}

json_report::json_report(std::ostream& err) : err_(err), recorder_(err), messages_(&recorder_) {}

std::string json_report::document(const std::string& command, int exit_code) const {
    QJsonObject document = fields;
    document.insert("command", text(command));
    document.insert("exit_code", exit_code);
    // A step that completed does not make the command's outcome when a later check failed
    // it (a file not saved, say).
    const bool stands = !outcome.empty() && (outcome != "completed" || exit_code == 0);
    document.insert("outcome", text(stands ? outcome : exit_code_outcome(exit_code)));
    document.insert("messages", recorder_.lines());
    return QJsonDocument(document).toJson(QJsonDocument::Compact).toStdString() + '\n';
}

std::string exit_code_outcome(int exit_code) {
    switch (exit_code) {
    case exit_success:
        return "completed";
    case exit_differences:
        return "differences";
    case exit_bad_input:
        return "bad_input";
    case exit_hardware:
        return "hardware_error";
    case exit_wrong_chip:
        return "wrong_chip";
    case 130:
        return "cancelled";
    }
    return "failed";
}

std::string outcome_key(Module1::operation_outcome outcome) {
    using Module1::operation_outcome;
    switch (outcome) {
    case operation_outcome::completed:
        return "completed";
    case operation_outcome::differences:
        return "differences";
    case operation_outcome::not_started:
        return "not_started";
    case operation_outcome::write_timeout:
        return "write_timeout";
    case operation_outcome::cancelled:
        return "cancelled";
    case operation_outcome::runaway_loop:
        return "runaway_loop";
    case operation_outcome::terminated:
        return "terminated";
    case operation_outcome::no_chip:
        return "no_chip";
    case operation_outcome::wrong_chip:
        return "wrong_chip";
    case operation_outcome::port_failed:
        return "port_failed";
    }
    return "failed";
}

std::ostream& progress_stream(session& s) {
    return s.json ? s.json->progress() : s.err;
}

void record(session& s, const char* key, const QJsonValue& value) {
    if (s.json)
        s.json->fields.insert(key, value);
}

void record_outcome(session& s, const std::string& outcome) {
    if (s.json)
        s.json->outcome = outcome;
}

void record_adapter(session& s) {
    QJsonObject adapter{{"kind", hardware::adapter_kind_name(s.adapter.kind)},
                        {"spec", text(hardware::adapter_text(s.adapter))},
                        {"simulated", s.options.simulate}};
    // A parallel port (or the simulated adapter standing in for one) at its base address.
    if (hardware::register_level(s.adapter.kind))
        adapter.insert("base", text(hardware::address_text(Module94::port_settings.port_base)));
    record(s, "adapter", adapter);
}

void record_model(session& s) {
    record(s, "model", text(devices::selected_model().values.name));
}

void record_identity(session& s, const Module1::chip_identity& identity) {
    if (!s.json)
        return;
    const devices::device_table& table = devices::device_database();
    QJsonObject chip{{"device_id", text(core::hex4(identity.raw))}};
    QJsonArray models;
    for (const int number : identity.models)
        models.append(text(table.models[static_cast<std::size_t>(number)].name));
    chip.insert("models", models);
    // The revision: an 8-bit-command part's revision ID word, or the ID bits under the mask
    // of the model the ID names; none for an ID no model has.
    if (identity.revision_id)
        chip.insert("revision_id", text(core::hex4(*identity.revision_id)));
    else if (identity.verdict == Module1::identity_verdict::matches)
        chip.insert("revision", Module1::silicon_revision(
                                    devices::selected_model().values.device_id_mask, identity.raw));
    else if (!identity.models.empty())
        chip.insert("revision",
                    Module1::silicon_revision(
                        devices::device_id_mask(
                            table.models[static_cast<std::size_t>(identity.models.front())]),
                        identity.raw));
    record(s, "chip", chip);
}

void record_operation(session& s, const std::string& operation,
                      const Module1::operation_result& result) {
    if (!s.json)
        return;
    if (result.identity)
        record_identity(s, *result.identity);
    QJsonObject& fields = s.json->fields;
    const double seconds = static_cast<double>(result.elapsed_us) / 1e6;
    QJsonObject step{{"operation", text(operation)},
                     {"outcome", text(outcome_key(result.outcome))},
                     {"port_time_s", seconds},
                     {"regions", counts_json(result.counts)},
                     {"caption", text(result.caption)}};
    QJsonArray steps = fields.value("steps").toArray();
    steps.append(step);
    fields.insert("steps", steps);
    s.json->port_time_us += result.elapsed_us;
    fields.insert("port_time_s", static_cast<double>(s.json->port_time_us) / 1e6);
    fields.insert("regions", added_counts(fields.value("regions").toObject(), result.counts));
    if (operation.rfind("verify", 0) == 0 || operation == "blankcheck") {
        const devices::model_config_names* names = Module1::selected_config_names();
        QJsonArray differences = fields.value("differences").toArray();
        for (const Module1::check_difference& difference : result.differences)
            differences.append(difference_json(difference, names));
        fields.insert("differences", differences);
    }
    s.json->outcome = outcome_key(result.outcome);
}

void record_diagnosis(session& s, const Module1::adapter_diagnosis& diagnosis,
                      const std::string& fix_text) {
    if (!s.json)
        return;
    const auto result_name = [](Module1::step_result result) {
        switch (result) {
        case Module1::step_result::passed:
            return "passed";
        case Module1::step_result::failed:
            return "failed";
        case Module1::step_result::skipped:
            return "skipped";
        }
        return "";
    };
    QJsonArray steps, fix;
    for (const Module1::diagnosis_step& step : diagnosis.steps)
        steps.append(QJsonObject{{"name", text(step.name)},
                                 {"result", result_name(step.result)},
                                 {"detail", text(step.detail)}});
    for (const Module1::setting_change& change : diagnosis.fix)
        fix.append(QJsonObject{{"setting", text(change.name)},
                               {"value", change.value},
                               {"shown", text(change.shown)}});
    QJsonObject doctor{{"steps", steps},
                       {"verdict", text(diagnosis.verdict)},
                       {"passed", diagnosis.passed()},
                       {"fix", fix}};
    if (!fix_text.empty())
        doctor.insert("fix_text", text(fix_text));
    record(s, "diagnosis", doctor);
}

} // namespace cli
