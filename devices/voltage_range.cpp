// Reading and showing voltages. Numbers are read as whole hundredths of a volt, so the same
// value written as "3.6" or "3.60" gives the same double and compares equal.
#include "devices/voltage_range.h"

#include "core/hex_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace devices {

namespace {

// Hundredths of a volt for "D[.D[D]]" (no blanks); nothing for any other text. Values past
// a million volts read as that, which is above every limit anyway.
std::optional<std::int64_t> hundredths(const std::string& text) {
    std::int64_t whole = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        whole = std::min<std::int64_t>(whole * 10 + (text[i] - '0'), 1000000);
    if (i == 0)
        return std::nullopt;
    std::int64_t fraction = 0;
    if (i < text.size() && text[i] == '.') {
        const std::size_t first = ++i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            fraction = fraction * 10 + (text[i] - '0');
        const std::size_t decimals = i - first;
        if (decimals == 0 || decimals > 2)
            return std::nullopt;
        if (decimals == 1)
            fraction *= 10;
    }
    if (i != text.size())
        return std::nullopt;
    return whole * 100 + fraction;
}

double volts_of(std::int64_t hundredths) {
    return static_cast<double>(hundredths) / 100.0;
}

} // namespace

std::optional<double> parse_volts(const std::string& text) {
    const auto value = hundredths(core::without_blanks_around(text));
    if (!value)
        return std::nullopt;
    return volts_of(*value);
}

std::string voltage_range_problem(const std::string& text) {
    const std::string range = core::without_blanks_around(text);
    const auto dash = range.find('-');
    const auto low = dash == std::string::npos ? std::nullopt : hundredths(range.substr(0, dash));
    const auto high = dash == std::string::npos ? std::nullopt : hundredths(range.substr(dash + 1));
    if (!low || !high)
        return "must be MIN-MAX in volts, two numbers with at most two decimals (such as "
               "1.80-3.60), not \"" +
               text + "\"";
    if (*low == 0)
        return "must have a minimum above 0 V, not \"" + text + "\"";
    if (*low > *high)
        return "has its minimum above its maximum (\"" + text + "\"); write MIN-MAX";
    return {};
}

std::optional<voltage_range> parse_voltage_range(const std::string& text) {
    if (!voltage_range_problem(text).empty())
        return std::nullopt;
    const std::string range = core::without_blanks_around(text);
    const auto dash = range.find('-');
    return voltage_range{volts_of(*hundredths(range.substr(0, dash))),
                         volts_of(*hundredths(range.substr(dash + 1)))};
}

std::string mclr_max_problem(const std::string& text, const std::optional<voltage_range>& vpp) {
    const auto volts = parse_volts(text);
    if (!volts)
        return "must be a number of volts with at most two decimals (such as 13.25), not \"" +
               text + "\"";
    if (!vpp)
        return "needs the part's \"vpp:\" range: it is the most above that range MCLR takes";
    if (*volts < vpp->max)
        return volts_text(*volts) + " V is below the VPP maximum " + volts_text(vpp->max) +
               " V; an absolute maximum is at least the programming maximum";
    if (*volts > highest_mclr_max)
        return volts_text(*volts) + " V is above " + volts_text(highest_mclr_max) +
               " V, more than any adapter is taken to apply; write the data sheet's figure";
    return {};
}

std::string volts_text(double volts) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", volts);
    return text;
}

std::string voltage_ranges_text(const std::optional<voltage_range>& vdd,
                                const std::optional<voltage_range>& vpp) {
    std::string text;
    auto add = [&text](const char* line, const std::optional<voltage_range>& range) {
        if (!range)
            return;
        if (!text.empty())
            text += ", ";
        text +=
            std::string(line) + " " + volts_text(range->min) + "-" + volts_text(range->max) + " V";
    };
    add("VDD", vdd);
    add("VPP", vpp);
    return text;
}

} // namespace devices
