// The voltage check: each of VDD and VPP judged against the part's range, the findings
// gathered into one verdict with the words the user reads.
#include "interpreter/voltage_check.h"

#include "core/hex_text.h"
#include "settings/setting_names.h"

#include <algorithm>
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

struct finding {
    voltage_verdict_kind kind;
    std::string text;
};

// One supply line of the part against what the adapter applies on it.
struct line_check {
    const char* line;   // "VDD", "VPP"
    const char* option; // the CLI's option for it
    const std::optional<devices::voltage_range>& range;
    const stated_voltage& stated;
    double classic;       // what a classic adapter applies
    double confirm_below; // a part whose maximum is under this needs confirmation unstated
};

// The finding for one line, if any; `unstated` collects the lines to confirm.
std::optional<finding> judge_line(const std::string& part, const line_check& check,
                                  std::vector<const line_check*>& unstated) {
    if (!check.range)
        return std::nullopt;
    const devices::voltage_range& range = *check.range;
    if (core::without_blanks_around(check.stated.text).empty()) {
        if (range.max < check.confirm_below)
            unstated.push_back(&check);
        return std::nullopt;
    }
    const auto volts = adapter_volts(check.stated.text);
    const std::string source = " (" + check.stated.source + ")";
    if (!volts)
        return finding{voltage_verdict_kind::refuse,
                       check.stated.source + " is \"" + check.stated.text +
                           "\", which is no voltage in volts from 0.01 to " +
                           short_volts(highest_adapter_volts) +
                           " (such as 3.3). State the adapter's " + check.line +
                           " again (Hardware > Adapter Voltages... in the window, " + check.option +
                           " on the command line), or leave it empty."};
    const std::string limit = devices::volts_text(range.max) + " V";
    if (*volts > range.max)
        return finding{voltage_verdict_kind::refuse,
                       "The " + part + " takes at most " + limit + " on " + check.line +
                           "; the adapter is set to " + devices::volts_text(*volts) + " V" +
                           source + ". Use an adapter that gives at most " + limit + " on " +
                           check.line + " and set " + check.stated.source +
                           " to it, or select the right model."};
    if (*volts < range.min)
        return finding{voltage_verdict_kind::warn,
                       "The " + part + " needs at least " + devices::volts_text(range.min) +
                           " V on " + check.line + "; the adapter is set to " +
                           devices::volts_text(*volts) + " V" + source +
                           ", so the chip may not enter programming mode."};
    return std::nullopt;
}

// The confirmation text for the lines nothing is stated for.
std::string unstated_text(const devices::model_values& model,
                          const std::vector<const line_check*>& unstated) {
    std::string lines, sources, given;
    for (const line_check* check : unstated) {
        const bool first = check == unstated.front();
        lines += (first ? "" : " and ") + std::string(check->line);
        sources += (first ? "" : ", ") + check->stated.source;
        given += (first ? "" : " and ") + short_volts(check->classic) + " V on " + check->line;
    }
    return "The " + model.name + " takes " +
           devices::voltage_ranges_text(model.vdd_range, model.vpp_range) + ". The adapter's " +
           lines + (unstated.size() == 1 ? " is" : " are") + " not stated (" + sources +
           "), so it is taken to be a classic adapter that gives " + given +
           ": more than the part takes, which can destroy it.";
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

voltage_verdict judge_voltages(const devices::model_values& model,
                               const adapter_voltages& adapter) {
    if (!model.voltage_problem.empty())
        return {voltage_verdict_kind::refuse,
                "The device database gives the " + model.name +
                    " no usable voltage range: " + model.voltage_problem +
                    ". Correct the database (pinwright-cli check-devices lists its problems) "
                    "before a chip is powered."};
    const line_check checks[] = {
        {"VDD", "--vdd", model.vdd_range, adapter.vdd, classic_vdd, confirm_vdd_below},
        {"VPP", "--vpp", model.vpp_range, adapter.vpp, classic_vpp, confirm_vpp_below},
    };
    std::vector<finding> findings;
    std::vector<const line_check*> unstated;
    for (const line_check& check : checks)
        if (auto found = judge_line(model.name, check, unstated))
            findings.push_back(std::move(*found));
    if (!unstated.empty())
        findings.push_back(
            {voltage_verdict_kind::needs_confirmation, unstated_text(model, unstated)});

    voltage_verdict verdict;
    for (const finding& found : findings)
        verdict.kind = std::max(verdict.kind, found.kind);
    for (const voltage_verdict_kind kind :
         {verdict.kind, verdict.kind == voltage_verdict_kind::needs_confirmation
                            ? voltage_verdict_kind::warn
                            : voltage_verdict_kind::ok})
        for (const finding& found : findings)
            if (found.kind == kind && kind != voltage_verdict_kind::ok)
                verdict.message += (verdict.message.empty() ? "" : "\r\n\r\n") + found.text;
    return verdict;
}

} // namespace Module1
