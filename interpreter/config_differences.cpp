// Configuration differences named by their settings.
#include "interpreter/config_differences.h"

#include "devices/config_names.h"
#include "devices/selected_model.h"
#include "settings/program_values.h"

namespace Module1 {

std::string config_difference_lines(const std::vector<check_difference>& differences) {
    const auto& model = devices::selected_model().values;
    const devices::model_config_names* names =
        devices::shipped_config_names(settings::program().app_folder).find(model.name);
    if (names == nullptr)
        return {};
    std::string lines;
    for (const check_difference& difference : differences) {
        if (difference.where != image::region::config)
            continue;
        const std::string line = devices::config_difference_text(
            names, static_cast<int>(difference.address - model.layout.config_address),
            difference.address, static_cast<std::uint8_t>(difference.expected & 0xFF),
            static_cast<std::uint8_t>(difference.read & 0xFF));
        if (!line.empty())
            lines += line + "\r\n";
    }
    return lines;
}

} // namespace Module1
