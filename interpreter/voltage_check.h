// The voltage check that every command which powers a chip runs first: the adapter's VDD
// and VPP as stated (the settings "Adapter VDD" and "Adapter VPP", or the CLI's --vdd and
// --vpp), or as assumed when nothing is stated, against the selected part's ranges and its
// absolute maximum on MCLR from the device database. Before a chip nobody has named yet is
// powered (Identify, --model auto) the assumed voltages are judged against every model. It
// only judges; each front end shows the verdict its own way (the window asks where the CLI
// refuses).
#pragma once

#include "devices/device_table.h"
#include "devices/model_select.h"
#include "hardware/adapter_presets.h"
#include "hardware/simulated_adapter.h"

#include <optional>
#include <string>
#include <vector>

namespace Module1 {

// An adapter voltage as stated: its text (empty: not stated) and where it was stated, which
// the messages name ("Adapter VDD", "--vdd").
struct stated_voltage {
    std::string text;
    std::string source;
    // Not empty: nothing is stated at `source`, and `text` is the nominal voltage of the
    // adapter preset of this name, in use; it is judged as a stated voltage.
    std::string preset = {};
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

// `adapter` with each line nothing is stated for taken at the nominal voltage of `preset`
// (the adapter preset in use; null: none), where the preset gives one.
adapter_voltages with_preset_nominals(adapter_voltages adapter,
                                      const hardware::adapter_preset* preset);

// The window's voltages: the stored ones, with the nominal voltages of the stored adapter
// preset for a line not stated, while that preset is in use for the stored adapter.
adapter_voltages stored_voltages_with_preset();

// What the adapter applies on VDD and VPP: the stated volts, or a classic adapter's for a
// line not stated (or stated unreadably).
hardware::supply_volts applied_volts(const adapter_voltages& adapter);

// True when neither VDD nor VPP is stated: the adapter is then a classic one.
bool nothing_stated(const adapter_voltages& adapter);

// An adapter with a voltage not stated is taken to apply what a classic one does on that
// line: 5 V on VDD, 13 V on VPP. Such a voltage is judged as a stated one would be.
inline constexpr double classic_vdd = 5.0, classic_vpp = 13.0;

// The gravest finding decides; the order matters.
enum class voltage_verdict_kind {
    ok,   // power the chip as always
    warn, // a voltage is below the part's minimum: say so, go on
    // VPP above the part's programming range but within its absolute maximum on MCLR: the
    // window asks once per model selection, the CLI warns and goes on
    above_programming_range,
    // an assumed voltage (nothing stated) is above the part's limit: the window asks, the
    // CLI refuses
    needs_confirmation,
    refuse, // a stated voltage is above the part's limit (or cannot be read)
};

struct voltage_verdict {
    voltage_verdict_kind kind = voltage_verdict_kind::ok;
    // What was found and what to do; empty for ok. Below a refusal it also holds the lesser
    // findings, since all of them come before the chip is powered. A message about an
    // assumed voltage says how to state it, except for needs_confirmation, where each front
    // end says it with its question or refusal.
    std::string message;
};

// The verdict on powering `model` from an adapter that applies `adapter`. VDD and VPP are
// judged apart; the gravest finding decides. The limit on VDD is the part's VDD maximum; on
// VPP its absolute maximum on MCLR ("mclrmax:") where the database gives one, else its VPP
// maximum. A model without "vdd:"/"vpp:" is not checked.
voltage_verdict judge_voltages(const devices::model_values& model, const adapter_voltages& adapter);

// Before powering a chip whose model nobody has named (`what`: "Identify Chip", "identify",
// "--model auto"): the assumed voltages against every model of `table`. Stated voltages
// count as the user's word for the chip in the socket, so with both stated the verdict is
// ok. needs_confirmation when an assumed voltage is above some model's limit: the message
// names the voltages and those models, grouped by the limits they have; refuse when a
// stated voltage cannot be read.
voltage_verdict judge_voltages_for_any_model(const devices::device_table& table,
                                             const adapter_voltages& adapter,
                                             const std::string& what);

// After a chip was powered with `adapter` to read its ID, before its model was known or
// while another was selected: the plain statement that the part its ID names (`models`,
// numbers in `table`) was taken above its limits, which may have damaged it, or, unless
// `only_above_limits`, above its programming range. Empty when neither.
std::string powered_beyond_limits_text(const devices::device_table& table,
                                       const std::vector<int>& models,
                                       const adapter_voltages& adapter, bool only_above_limits);

} // namespace Module1
