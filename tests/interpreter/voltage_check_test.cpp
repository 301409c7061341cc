// The voltage check's judgement: the adapter's VDD and VPP, stated or assumed, against a
// part's ranges and absolute maximum on MCLR (above the limit refused when stated and to be
// confirmed when assumed, between the programming maximum and the absolute maximum a
// warning, below the minimum warned of), and the reading of voltages.
#include "interpreter/voltage_check.h"

#include <gtest/gtest.h>

namespace {

// The working values of a model with these "vdd:", "vpp:" and "mclrmax:" texts (empty: no
// line).
devices::model_values part(const char* name, const char* vdd, const char* vpp,
                           const char* mclrmax = "", const char* entry = "") {
    devices::device_table table;
    devices::device_model model;
    model.name = name;
    model.vdd = vdd;
    model.vpp = vpp;
    model.mclrmax = mclrmax;
    model.entry = entry;
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
    const auto f4520 = part("PIC18F4520", "3.00-5.50", "9.00-12.50", "13.25");
    const auto bad_most = part("PIC18FBADMAX", "3.00-5.50", "9.00-12.50", "12");
    const auto unstated_ranges = part("PIC18FOLD", "", "");
    const auto broken = part("PIC18FBAD", "3.60-1.80", "9-13");
    const auto j_part = part("PIC18F45J10", "2.70-3.60", "2.70-3.60", "", "key");
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
        // Without an absolute maximum the VPP maximum is the limit, for a classic adapter
        // stated or assumed alike: refused when stated, asked about when assumed.
        {f2xxx, "5", "13", kind::refuse, "takes at most 12.50 V on VPP", nullptr},
        {f2xxx, "", "", kind::needs_confirmation,
         "The PIC18F4520 takes VDD 3.00-5.50 V, VPP 9.00-12.50 V. The adapter's VPP is not "
         "stated (Adapter VPP), so it is taken to be a classic adapter that gives 13 V on VPP",
         "VDD is"},
        // With one, 13 V is above the programming range but within the absolute maximum:
        // the same warning stated or assumed, the assumed one saying how to state it.
        {f4520, "5", "13", kind::above_programming_range,
         "The PIC18F4520 is programmed at 9.00-12.50 V on VPP and takes at most 13.25 V on "
         "MCLR, its absolute maximum; the adapter is set to 13.00 V (Adapter VPP): above the "
         "programming range, within the absolute maximum.",
         "not stated"},
        {f4520, "", "", kind::above_programming_range,
         "its absolute maximum; the adapter's VPP is not stated (Adapter VPP), so a classic "
         "adapter's 13 V is assumed: above the programming range, within the absolute maximum. "
         "That should not harm the part, but programming there is outside the maker's "
         "specification; an adapter that gives at most 12.50 V on VPP keeps within it. State "
         "what the adapter gives with Hardware > Adapter Voltages... in the window, or --vdd "
         "and --vpp on the command line.",
         nullptr},
        {f4520, "5", "13.26", kind::refuse,
         "The PIC18F4520 takes at most 13.25 V on MCLR, its absolute maximum (it is programmed "
         "at 9.00-12.50 V on VPP); the adapter is set to 13.26 V (Adapter VPP).",
         nullptr},
        {f4520, "5", "12.5", kind::ok, "", nullptr},
        {bad_most, "5", "9", kind::refuse,
         "its \"mclrmax:\" 12.00 V is below the VPP maximum 12.50 V", nullptr},
        {unstated_ranges, "20", "20", kind::ok, "", nullptr},
        // A key-entry part: MCLR at its VDD level, never a programming voltage.
        {j_part, "3.3", "3.3", kind::ok, "", nullptr},
        {j_part, "3.3", "13", kind::refuse,
         "The PIC18F45J10 enters programming mode by key, with MCLR at its VDD level, and takes "
         "at most 3.60 V on MCLR (VPP): a programming voltage on MCLR destroys it; the adapter "
         "is set to 13.00 V (Adapter VPP). Use an adapter whose VPP line gives the VDD level",
         nullptr},
        {j_part, "3.3", "9", kind::refuse, "takes at most 3.60 V on MCLR (VPP)", nullptr},
        {j_part, "3.3", "", kind::needs_confirmation,
         "classic adapter that gives 13 V on VPP: more than the part takes, which can destroy "
         "it. It enters programming mode by key, with MCLR never above VDD.",
         nullptr},
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
