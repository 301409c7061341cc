// An adapter preset as the program's wirings: the stored wiring of the preset's kind made
// from it, a wiring compared with it, the preset stored (the window) or in force for one
// run (the CLI), and which preset is in use.
#pragma once

#include "hardware/adapter_choice.h"
#include "hardware/adapter_presets.h"
#include "settings/stored_wiring.h"

#include <string>
#include <vector>

namespace hardware {

// The preset kind whose wiring an adapter of `kind` uses: the parallel kinds and the
// simulated adapter use the parallel wiring.
preset_kind preset_kind_of(adapter_kind kind);

// `wiring` with the preset's five lines (its port address and anything else kept).
settings::port_settings_record with_preset(settings::port_settings_record wiring,
                                           const adapter_preset& preset);
settings::ftdi_wiring with_preset(settings::ftdi_wiring wiring, const adapter_preset& preset);
// The DATA IN pull-up is kept as it is.
settings::gpio_wiring with_preset(settings::gpio_wiring wiring, const adapter_preset& preset);

// The names of the presets (not those that cannot be driven) whose five lines `wiring` has.
std::vector<std::string> presets_matching(const std::vector<adapter_preset>& presets,
                                          const settings::port_settings_record& wiring);
std::vector<std::string> presets_matching(const std::vector<adapter_preset>& presets,
                                          const settings::ftdi_wiring& wiring);
std::vector<std::string> presets_matching(const std::vector<adapter_preset>& presets,
                                          const settings::gpio_wiring& wiring);

// "" when the preset may be applied to an adapter of `kind`; else why not, in words: it
// cannot be driven, or it is for another kind.
std::string preset_refusal(const adapter_preset& preset, adapter_kind kind);

// Stores the preset's lines as the wiring of its kind and its name as "Adapter Preset";
// a parallel preset also becomes the wiring in force (Module94::port_settings).
void store_preset(const adapter_preset& preset);

// Puts the preset's lines in force for the rest of this run in place of the stored wiring
// of its kind, storing nothing.
void use_preset_for_run(const adapter_preset& preset);

// The stored "Adapter Preset" among `presets` when it is for `kind` and the stored wiring of
// that kind still has its lines; null otherwise.
const adapter_preset* stored_preset_in_use(const std::vector<adapter_preset>& presets,
                                           adapter_kind kind);

} // namespace hardware
