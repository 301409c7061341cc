// The voltage check that every command which powers a chip runs first: the adapter's VDD
// and VPP as stated (the settings "Adapter VDD" and "Adapter VPP", or the CLI's --vdd and
// --vpp) against the selected part's ranges from the device database. It only judges;
// each front end shows the verdict its own way (the window asks where the CLI refuses).
#pragma once

#include "devices/model_select.h"

#include <optional>
#include <string>

namespace Module1 {

// An adapter voltage as stated: its text (empty: not stated) and where it was stated, which
// the messages name ("Adapter VDD", "--vdd").
struct stated_voltage {
    std::string text;
    std::string source;
};

struct adapter_voltages {
    stated_voltage vdd, vpp;
};

// What an adapter can be said to apply: a number of volts as devices::parse_volts reads it,
// above 0 and at most this.
inline constexpr double highest_adapter_volts = 20.0;

// The volts of an acceptable statement, else nothing (not a number, 0, above the highest).
std::optional<double> adapter_volts(const std::string& text);

// The stored settings "Adapter VDD" and "Adapter VPP".
adapter_voltages stored_adapter_voltages();

// An adapter with nothing stated is taken to be a classic one: 5 V on VDD, 13 V on VPP.
// A part that takes less than these thresholds at most is powered only on confirmation.
inline constexpr double classic_vdd = 5.0, classic_vpp = 13.0;
inline constexpr double confirm_vdd_below = 5.0, confirm_vpp_below = 12.5;

enum class voltage_verdict_kind {
    ok,                 // power the chip as always
    warn,               // a stated voltage is below the part's minimum: say so, go on
    needs_confirmation, // nothing stated and the part takes less than a classic adapter gives
    refuse,             // a stated voltage is above the part's maximum (or cannot be read)
};

struct voltage_verdict {
    voltage_verdict_kind kind = voltage_verdict_kind::ok;
    // What was found and what to do; empty for ok. A needs_confirmation message also holds
    // the warnings, since both come before the chip is powered.
    std::string message;
};

// The verdict on powering `model` from an adapter that applies `adapter`. VDD and VPP are
// judged apart; the gravest finding decides. A model without "vdd:"/"vpp:" is not checked.
voltage_verdict judge_voltages(const devices::model_values& model, const adapter_voltages& adapter);

} // namespace Module1
