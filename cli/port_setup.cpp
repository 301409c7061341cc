// The port base for a --port choice.
#include "cli/port_setup.h"


namespace cli {

std::optional<std::int32_t> port_base_of(const std::string& choice) {
    if (choice == "1")
        return 888;
    if (choice == "2")
        return 632;
    if (choice == "3")
        return 956;
    return std::nullopt;
}

} // namespace cli
