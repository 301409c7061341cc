// The adapter's wiring from the settings store, exactly as the window reads it, and the
// port base for a --port choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// Fills Module94::port_settings from the stored settings (defaults stored when missing).
void restore_port_settings();

// 1, 2, 3 → 888, 632, 956; nullopt for anything else.
std::optional<std::int32_t> port_base_of(const std::string& choice);

} // namespace cli
