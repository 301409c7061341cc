// Voltages as the device database and the adapter settings write them: a number of volts
// with at most two decimals ("3.3", "13.25"), a part's range "MIN-MAX" ("1.80-3.60") for
// its supply (VDD) or its programming voltage (VPP), its absolute maximum on MCLR, and the
// texts that show them.
#pragma once

#include <optional>
#include <string>

namespace devices {

struct voltage_range {
    double min = 0;
    double max = 0;
};

// No PIC18 of the supported families takes more than this on VDD or on VPP (MCLR); a
// database range above it is a mistake.
inline constexpr double highest_vdd = 7.0;
inline constexpr double highest_vpp = 14.0;
// A part's absolute maximum on MCLR ("mclrmax:") may lie above its programming range, but
// not above what any adapter can be said to apply.
inline constexpr double highest_mclr_max = 20.0;

// A decimal number of volts with at most two decimals, blanks around it allowed; nothing
// for any other text (a sign, a comma, an exponent, three decimals).
std::optional<double> parse_volts(const std::string& text);

// What is wrong with a range text, as it reads after the key ("must be MIN-MAX ..."); empty
// when it is two such numbers joined by '-' with 0 < MIN <= MAX.
std::string voltage_range_problem(const std::string& text);

// The range of a text without a voltage_range_problem, else nothing.
std::optional<voltage_range> parse_voltage_range(const std::string& text);

// What is wrong with an absolute maximum on MCLR ("mclrmax:") for a part programmed at
// `vpp` (nothing: no "vpp:" line, or an unreadable one), as it reads after the key; empty
// when it is a number of volts from the VPP maximum to highest_mclr_max.
std::string mclr_max_problem(const std::string& text, const std::optional<voltage_range>& vpp);

// "3.60": two decimals.
std::string volts_text(double volts);

// "VDD 1.80-3.60 V, VPP 7.80-9.00 V"; a range that is absent is left out, empty for none.
std::string voltage_ranges_text(const std::optional<voltage_range>& vdd,
                                const std::optional<voltage_range>& vpp);

} // namespace devices
