// The voltage check: each of VDD and VPP, as stated or as a classic adapter's, judged
// against the part's range and limit, the findings gathered into one verdict with the words
// the user reads; and the same judgement over the whole database for a chip not yet named.
#include "interpreter/voltage_check.h"

#include "core/hex_text.h"
#include "hardware/preset_wiring.h"
#include "settings/setting_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <tuple>
#include <vector>

namespace Module1 {

namespace {

// "5", "12.5", "3.6": a stated or assumed voltage in running text.
std::string short_volts(double volts) {
    std::string text = devices::volts_text(volts);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

bool is_stated(const stated_voltage& voltage) {
    return !core::without_blanks_around(voltage.text).empty();
}

const char* const how_to_state = "State what the adapter gives with Hardware > Adapter "
                                 "Voltages... in the window, or --vdd and --vpp on the command "
                                 "line.";

// One supply line of the part against what the adapter applies on it.
struct line_check {
    const char* line;   // "VDD", "VPP"
    const char* option; // the CLI's option for it
    const std::optional<devices::voltage_range>& range;
    std::optional<double> absolute_max; // VPP: the part's absolute maximum on MCLR
    const stated_voltage& stated;
    double classic; // what a classic adapter applies
    // VPP of a key-entry part: MCLR only ever takes the part's VDD level.
    bool logic_level_mclr = false;

    double limit() const { return absolute_max.value_or(range->max); }
};

std::array<line_check, 2> line_checks(const devices::model_values& model,
                                      const adapter_voltages& adapter) {
    const bool key = devices::enters_by_key(model.entry);
    return {line_check{"VDD", "--vdd", model.vdd_range, std::nullopt, adapter.vdd, classic_vdd},
            line_check{"VPP", "--vpp", model.vpp_range, key ? std::nullopt : model.mclr_max,
                       adapter.vpp, classic_vpp, key}};
}

// Where a line stands: its volts (stated or assumed) against the part's range and limit.
enum class line_level { within, below_minimum, above_programming_range, above_limit };

struct line_reading {
    double volts = 0;
    bool assumed = false;
    line_level level = line_level::within;
};

// The reading of a line the part has a range for; nothing when the stated text is no
// acceptable voltage.
std::optional<line_reading> read_line(const line_check& check) {
    line_reading reading;
    reading.assumed = !is_stated(check.stated);
    if (reading.assumed) {
        reading.volts = check.classic;
    } else if (const auto volts = adapter_volts(check.stated.text)) {
        reading.volts = *volts;
    } else {
        return std::nullopt;
    }
    if (reading.volts > check.limit())
        reading.level = line_level::above_limit;
    else if (reading.volts > check.range->max)
        reading.level = line_level::above_programming_range;
    else if (reading.volts < check.range->min)
        reading.level = line_level::below_minimum;
    return reading;
}

std::string unreadable_text(const line_check& check) {
    return check.stated.source + " is \"" + check.stated.text +
           "\", which is no voltage in volts from 0.01 to " + short_volts(highest_adapter_volts) +
           " (such as 3.3). State the adapter's " + check.line +
           " again (Hardware > Adapter Voltages... in the window, " + check.option +
           " on the command line), or leave it empty.";
}

// "the adapter is set to 13.00 V (Adapter VPP)", or for a line nothing is stated for, what
// is assumed instead.
std::string adapter_said(const line_check& check, const line_reading& reading) {
    if (!check.stated.preset.empty())
        return "the adapter preset \"" + check.stated.preset + "\" in use gives " +
               devices::volts_text(reading.volts) + " V nominal (" + check.stated.source +
               " is not stated)";
    if (!reading.assumed)
        return "the adapter is set to " + devices::volts_text(reading.volts) + " V (" +
               check.stated.source + ")";
    return "the adapter's " + std::string(check.line) + " is not stated (" + check.stated.source +
           "), so a classic adapter's " + short_volts(reading.volts) + " V is assumed";
}

// "VDD 1.80-3.60 V, VPP 7.80-9.00 V (at most 11.00 V on MCLR)"
std::string limits_text(const devices::model_values& model) {
    std::string text = devices::voltage_ranges_text(model.vdd_range, model.vpp_range);
    if (model.mclr_max)
        text += ", at most " + devices::volts_text(*model.mclr_max) + " V on MCLR";
    return text;
}

struct finding {
    voltage_verdict_kind kind;
    std::string text;
    bool assumed = false;
};

// The finding for one line, if any; an assumed voltage above the limit is collected in
// `unstated` instead, for one text about all such lines.
std::optional<finding> judge_line(const std::string& part, const line_check& check,
                                  std::vector<const line_check*>& unstated) {
    if (!check.range)
        return std::nullopt;
    const auto reading = read_line(check);
    if (!reading)
        return finding{voltage_verdict_kind::refuse, unreadable_text(check)};
    const devices::voltage_range& range = *check.range;
    const std::string most = devices::volts_text(range.max) + " V";
    switch (reading->level) {
    case line_level::within:
        return std::nullopt;
    case line_level::above_limit:
        if (reading->assumed) {
            unstated.push_back(&check);
            return std::nullopt;
        }
        if (check.logic_level_mclr)
            return finding{voltage_verdict_kind::refuse,
                           "The " + part +
                               " enters programming mode by key, with MCLR at its VDD level, "
                               "and takes at most " +
                               most +
                               " on MCLR (VPP): a programming voltage on MCLR destroys "
                               "it; " +
                               adapter_said(check, *reading) +
                               ". Use an adapter whose VPP line gives the VDD level (at most " +
                               most + ") and set " + check.stated.source +
                               " to it, or select the right model."};
        if (check.absolute_max)
            return finding{
                voltage_verdict_kind::refuse,
                "The " + part + " takes at most " + devices::volts_text(*check.absolute_max) +
                    " V on MCLR, its absolute maximum (it is programmed at " +
                    devices::volts_text(range.min) + "-" + most + " on " + check.line + "); " +
                    adapter_said(check, *reading) + ". Use an adapter that gives at most " + most +
                    " on " + check.line + " and set " + check.stated.source +
                    " to it, or select the right model."};
        return finding{voltage_verdict_kind::refuse,
                       "The " + part + " takes at most " + most + " on " + check.line + "; " +
                           adapter_said(check, *reading) + ". Use an adapter that gives at most " +
                           most + " on " + check.line + " and set " + check.stated.source +
                           " to it, or select the right model."};
    case line_level::above_programming_range:
        return finding{voltage_verdict_kind::above_programming_range,
                       "The " + part + " is programmed at " + devices::volts_text(range.min) + "-" +
                           most + " on " + check.line + " and takes at most " +
                           devices::volts_text(check.limit()) +
                           " V on MCLR, its absolute maximum; " + adapter_said(check, *reading) +
                           ": above the programming range, within the absolute maximum. That "
                           "should not harm the part, but programming there is outside the "
                           "maker's specification; an adapter that gives at most " +
                           most + " on " + check.line + " keeps within it.",
                       reading->assumed};
    case line_level::below_minimum:
        return finding{voltage_verdict_kind::warn,
                       "The " + part + " needs at least " + devices::volts_text(range.min) +
                           " V on " + check.line + "; " + adapter_said(check, *reading) +
                           ", so the chip may not enter programming mode.",
                       reading->assumed};
    }
    return std::nullopt;
}

// The text for the lines nothing is stated for whose assumed voltage is above the limit.
std::string unstated_text(const devices::model_values& model,
                          const std::vector<const line_check*>& unstated) {
    std::string lines, sources, given;
    for (const line_check* check : unstated) {
        const bool first = check == unstated.front();
        lines += (first ? "" : " and ") + std::string(check->line);
        sources += (first ? "" : ", ") + check->stated.source;
        given += (first ? "" : " and ") + short_volts(check->classic) + " V on " + check->line;
    }
    return "The " + model.name + " takes " + limits_text(model) + ". The adapter's " + lines +
           (unstated.size() == 1 ? " is" : " are") + " not stated (" + sources +
           "), so it is taken to be a classic adapter that gives " + given +
           ": more than the part takes, which can destroy it." +
           (devices::enters_by_key(model.entry)
                ? " It enters programming mode by key, with MCLR never above VDD."
                : "");
}

// The findings for `model`, the lines assumed above their limit gathered into one.
std::vector<finding> findings_for(const devices::model_values& model,
                                  const adapter_voltages& adapter) {
    std::vector<finding> findings;
    std::vector<const line_check*> unstated;
    const auto checks = line_checks(model, adapter);
    for (const line_check& check : checks)
        if (auto found = judge_line(model.name, check, unstated))
            findings.push_back(std::move(*found));
    if (!unstated.empty())
        findings.push_back(
            {voltage_verdict_kind::needs_confirmation, unstated_text(model, unstated), true});
    return findings;
}

// "PIC18F23K20/24K20/25K20, PIC18LF23K22/24K22": names with a common "PIC18F"-like start
// written once per run of them.
std::string compact_names(const std::vector<std::string>& names) {
    std::string text, previous;
    for (const std::string& name : names) {
        // The start is the letters, the digits and the letters that follow them.
        std::size_t end = 0;
        for (const bool digits : {false, true, false})
            while (end < name.size() &&
                   (std::isdigit(static_cast<unsigned char>(name[end])) != 0) == digits)
                ++end;
        const std::string start = name.substr(0, end);
        if (!text.empty() && start == previous && end < name.size())
            text += "/" + name.substr(end);
        else
            text += (text.empty() ? "" : ", ") + name;
        previous = start;
    }
    return text;
}

} // namespace

std::optional<double> adapter_volts(const std::string& text) {
    const auto volts = devices::parse_volts(text);
    if (!volts || *volts <= 0 || *volts > highest_adapter_volts)
        return std::nullopt;
    return volts;
}

adapter_voltages stored_adapter_voltages() {
    return {{settings::adapter_vdd_setting.read(), settings::adapter_vdd_setting.name},
            {settings::adapter_vpp_setting.read(), settings::adapter_vpp_setting.name}};
}

adapter_voltages with_preset_nominals(adapter_voltages adapter,
                                      const hardware::adapter_preset* preset) {
    if (!preset)
        return adapter;
    for (auto [line, nominal] : {std::pair{&adapter.vdd, preset->nominal_vdd},
                                 std::pair{&adapter.vpp, preset->nominal_vpp}})
        if (nominal && !is_stated(*line)) {
            line->text = devices::volts_text(*nominal);
            line->preset = preset->name;
        }
    return adapter;
}

adapter_voltages stored_voltages_with_preset() {
    return with_preset_nominals(stored_adapter_voltages(),
                                hardware::stored_preset_in_use(hardware::program_presets(),
                                                               hardware::stored_adapter().kind));
}

hardware::supply_volts applied_volts(const adapter_voltages& adapter) {
    auto volts = [](const stated_voltage& line, double classic) {
        return is_stated(line) ? adapter_volts(line.text).value_or(classic) : classic;
    };
    return {volts(adapter.vdd, classic_vdd), volts(adapter.vpp, classic_vpp)};
}

bool nothing_stated(const adapter_voltages& adapter) {
    return !is_stated(adapter.vdd) && !is_stated(adapter.vpp);
}

voltage_verdict judge_voltages(const devices::model_values& model,
                               const adapter_voltages& adapter) {
    if (!model.voltage_problem.empty())
        return {voltage_verdict_kind::refuse,
                "The device database gives the " + model.name +
                    " no usable voltage range: " + model.voltage_problem +
                    ". Correct the database (pinwright-cli check-devices lists its problems) "
                    "before a chip is powered."};
    std::vector<finding> findings = findings_for(model, adapter);
    std::stable_sort(findings.begin(), findings.end(),
                     [](const finding& a, const finding& b) { return a.kind > b.kind; });
    voltage_verdict verdict;
    if (!findings.empty())
        verdict.kind = findings.front().kind;
    bool about_assumed = false;
    for (const finding& found : findings) {
        // A refusal powers nothing: only what refuses it matters.
        if (verdict.kind == voltage_verdict_kind::refuse && found.kind != verdict.kind)
            continue;
        verdict.message += (verdict.message.empty() ? "" : "\r\n\r\n") + found.text;
        about_assumed = about_assumed || found.assumed;
    }
    if (about_assumed && verdict.kind != voltage_verdict_kind::needs_confirmation)
        verdict.message += std::string(" ") + how_to_state;
    return verdict;
}

voltage_verdict judge_voltages_for_any_model(const devices::device_table& table,
                                             const adapter_voltages& adapter,
                                             const std::string& what) {
    // A stated text that is no voltage is refused whatever the chip.
    const devices::model_values no_part;
    for (const line_check& check : line_checks(no_part, adapter))
        if (is_stated(check.stated) && !adapter_volts(check.stated.text))
            return {voltage_verdict_kind::refuse, unreadable_text(check)};
    if (!is_stated(adapter.vdd) || !is_stated(adapter.vpp)) {
        // The models at risk, grouped by the limits the assumed voltages exceed.
        std::map<std::string, std::vector<std::string>> groups;
        std::vector<std::string> group_order;
        std::vector<const line_check*> assumed_lines;
        for (int n = 1; n <= table.model_count(); ++n) {
            const devices::device_model& model = table.models[static_cast<std::size_t>(n)];
            devices::model_values values;
            values.name = core::without_blanks_around(model.name);
            devices::read_voltage_limits(model, values);
            if (!values.voltage_problem.empty())
                continue; // refused when selected; check-devices names it
            std::string limits;
            for (const line_check& check : line_checks(values, adapter)) {
                if (!check.range || is_stated(check.stated))
                    continue;
                if (read_line(check)->level != line_level::above_limit)
                    continue;
                limits += (limits.empty() ? "" : ", ") + std::string(check.line) + " at most " +
                          devices::volts_text(check.limit()) + " V" +
                          (check.absolute_max ? " on MCLR" : "");
            }
            if (limits.empty())
                continue;
            if (groups.find(limits) == groups.end())
                group_order.push_back(limits);
            groups[limits].push_back(values.name);
        }
        if (!groups.empty()) {
            std::string lines, sources, given;
            bool first = true;
            for (const auto& [line, voltage, classic] :
                 {std::tuple{"VDD", &adapter.vdd, classic_vdd},
                  std::tuple{"VPP", &adapter.vpp, classic_vpp}}) {
                if (is_stated(*voltage))
                    continue;
                lines += (first ? "" : " and ") + std::string(line);
                sources += (first ? "" : ", ") + voltage->source;
                given += (first ? "" : " and ") + short_volts(classic) + " V on " + line;
                first = false;
            }
            const bool both = lines.find(" and ") != std::string::npos;
            std::string message =
                what + " powers the chip in the socket before its model is known. The adapter's " +
                lines + (both ? " are" : " is") + " not stated (" + sources +
                "), so it is taken to be a classic adapter that gives " + given +
                ": more than these parts of the device database take, which can destroy them:";
            for (const std::string& limits : group_order)
                message += "\r\n- " + limits + ": " + compact_names(groups[limits]);
            return {voltage_verdict_kind::needs_confirmation, message};
        }
    }
    return {};
}

std::string powered_beyond_limits_text(const devices::device_table& table,
                                       const std::vector<int>& models,
                                       const adapter_voltages& adapter, bool only_above_limits) {
    std::string told;
    for (const int number : models) {
        devices::model_values model;
        if (!devices::select_model(table, number, model) || !model.voltage_problem.empty())
            continue;
        std::string used;
        bool above_limit = false, above_range = false;
        for (const line_check& check : line_checks(model, adapter)) {
            if (!check.range)
                continue;
            const auto reading = read_line(check);
            if (!reading)
                return {};
            above_limit = above_limit || reading->level == line_level::above_limit;
            above_range = above_range || reading->level == line_level::above_programming_range;
            used +=
                (used.empty() ? "" : " and ") + short_volts(reading->volts) + " V on " +
                check.line +
                (reading->assumed ? " (assumed: not stated)" : " (" + check.stated.source + ")");
        }
        const std::string start = "The chip in the socket, a " + model.name +
                                  ", was powered for its ID read with " + used;
        std::string text;
        if (above_limit)
            text = start + ": more than it takes (" + limits_text(model) +
                   "), which may have damaged it.";
        else if (above_range && !only_above_limits)
            text = start + ": above its programming range (" + limits_text(model) +
                   "), within its absolute maximum.";
        if (!text.empty() && told.find(text) == std::string::npos)
            told += (told.empty() ? "" : "\r\n") + text;
    }
    return told;
}

} // namespace Module1
