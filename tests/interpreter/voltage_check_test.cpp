// The voltage check's judgement: the adapter's stated VDD and VPP against a part's ranges
// (above the maximum refused, below the minimum warned of, nothing stated on a part a
// classic adapter would over-drive to be confirmed), and the reading of voltages.
#include "interpreter/voltage_check.h"

#include <gtest/gtest.h>

namespace {

// The working values of a model with these "vdd:" and "vpp:" texts (empty: no line).
devices::model_values part(const char* name, const char* vdd, const char* vpp) {
    devices::device_table table;
    devices::device_model model;
    model.name = name;
    model.vdd = vdd;
    model.vpp = vpp;
    table.models.push_back(model);
    devices::model_values values;
    devices::select_model(table, 1, values);
    return values;
}

TEST(VoltageCheck, VerdictPerPartAndStatedVoltages) {
    using kind = Module1::voltage_verdict_kind;
    const auto k20 = part("PIC18F46K20", "1.80-3.60", "7.80-9.00");
    const auto fxx2 = part("PIC18F452", "4.50-5.50", "9.00-13.25");
    const auto f2xxx = part("PIC18F4520", "3.00-5.50", "9.00-12.50");
    const auto unstated_ranges = part("PIC18FOLD", "", "");
    const auto broken = part("PIC18FBAD", "3.60-1.80", "9-13");
    const struct {
        const devices::model_values& model;
        const char *vdd, *vpp;
        kind verdict;
        const char* says;     // in the message ("" for none)
        const char* not_said; // nullptr, or a text the message must not hold
    } rows[] = {
        {k20, "5", "9", kind::refuse,
         "The PIC18F46K20 takes at most 3.60 V on VDD; the adapter is set to 5.00 V (Adapter "
         "VDD). Use an adapter that gives at most 3.60 V on VDD and set Adapter VDD to it, or "
         "select the right model.",
         "VPP"},
        {k20, "3.3", "9.01", kind::refuse,
         "takes at most 9.00 V on VPP; the adapter is set to 9.01", nullptr},
        {k20, "3.6", "9", kind::ok, "", nullptr},
        {k20, "1.5", "9", kind::warn,
         "The PIC18F46K20 needs at least 1.80 V on VDD; the adapter is set to 1.50 V (Adapter "
         "VDD), so the chip may not enter programming mode.",
         nullptr},
        {k20, "", "", kind::needs_confirmation,
         "The PIC18F46K20 takes VDD 1.80-3.60 V, VPP 7.80-9.00 V. The adapter's VDD and VPP are "
         "not stated (Adapter VDD, Adapter VPP), so it is taken to be a classic adapter that "
         "gives 5 V on VDD and 13 V on VPP",
         nullptr},
        {k20, "3.3", " ", kind::needs_confirmation, "VPP is not stated (Adapter VPP)", "VDD and"},
        {k20, "1.5", "", kind::needs_confirmation, "needs at least 1.80 V on VDD", nullptr},
        {k20, "5", "", kind::refuse, "at most 3.60 V on VDD", "not stated"},
        {k20, "abc", "9", kind::refuse, "Adapter VDD is \"abc\", which is no voltage", nullptr},
        {fxx2, "", "", kind::ok, "", nullptr},
        {fxx2, "5", "13", kind::ok, "", nullptr},
        {fxx2, "3.3", "", kind::warn, "needs at least 4.50 V on VDD", nullptr},
        {f2xxx, "", "", kind::ok, "", nullptr}, // VPP at most 12.5 V: within the classic range
        {unstated_ranges, "20", "20", kind::ok, "", nullptr},
        {broken, "3.3", "9", kind::refuse,
         "The device database gives the PIC18FBAD no usable voltage range: its \"vdd:\" has its "
         "minimum above its maximum",
         nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.model.name + " VDD '" + r.vdd + "' VPP '" + r.vpp + "'");
        const auto verdict =
            Module1::judge_voltages(r.model, {{r.vdd, "Adapter VDD"}, {r.vpp, "Adapter VPP"}});
        EXPECT_EQ(verdict.kind, r.verdict) << verdict.message;
        if (*r.says == '\0') {
            EXPECT_EQ(verdict.message, "");
        } else {
            EXPECT_NE(verdict.message.find(r.says), std::string::npos) << verdict.message;
        }
        if (r.not_said) {
            EXPECT_EQ(verdict.message.find(r.not_said), std::string::npos) << verdict.message;
        }
    }
}

TEST(VoltageCheck, VoltagesAreDecimalsWithAtMostTwoPlaces) {
    const std::pair<const char*, std::optional<double>> volts[] = {
        {"3.3", 3.3},         {" 13.25 ", 13.25},      {"5", 5.0},
        {"3.60", 3.6},        {"3.333", std::nullopt}, {"3,3", std::nullopt},
        {"-1", std::nullopt}, {"1e1", std::nullopt},   {"3.", std::nullopt},
        {".5", std::nullopt}, {"", std::nullopt},      {"3.3V", std::nullopt},
    };
    for (const auto& [text, value] : volts)
        EXPECT_EQ(devices::parse_volts(text), value) << text;
    // What an adapter can be said to apply: above 0, at most 20 V.
    EXPECT_FALSE(Module1::adapter_volts("0"));
    EXPECT_FALSE(Module1::adapter_volts("20.01"));
    EXPECT_EQ(Module1::adapter_volts("20"), 20.0);
    EXPECT_EQ(devices::voltage_ranges_text(devices::parse_voltage_range("1.8-3.6"), std::nullopt),
              "VDD 1.80-3.60 V");
}

} // namespace
