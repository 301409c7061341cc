// The port base for a --port choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cli {

// 1, 2, 3 → 888, 632, 956; nullopt for anything else.
std::optional<std::int32_t> port_base_of(const std::string& choice);

} // namespace cli
