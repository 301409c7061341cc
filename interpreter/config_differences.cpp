// Configuration differences named by their settings.
#include "interpreter/config_differences.h"

#include "devices/selected_model.h"
#include "settings/program_values.h"

namespace Module1 {

const devices::model_config_names* selected_config_names() {
    return devices::shipped_config_names(settings::program().app_folder)
        .find(devices::selected_model().values.name);
}

int config_byte_index(const check_difference& difference) {
    return static_cast<int>(difference.address -
                            devices::selected_model().values.layout.config_address);
}

std::string config_difference_lines(const std::vector<check_difference>& differences) {
    const devices::model_config_names* names = selected_config_names();
    if (names == nullptr)
        return {};
    std::string lines;
    for (const check_difference& difference : differences) {
        if (difference.where != image::region::config)
            continue;
        const std::string line = devices::config_difference_text(
            names, config_byte_index(difference), difference.address,
            static_cast<std::uint8_t>(difference.expected & 0xFF),
            static_cast<std::uint8_t>(difference.read & 0xFF));
        if (!line.empty())
            lines += line + "\r\n";
    }
    return lines;
}

} // namespace Module1
