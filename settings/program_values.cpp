// Program-wide values and their restoration from the settings store.
#include "settings/program_values.h"

#include "settings/setting_names.h"
#include "settings/settings_store.h"

namespace settings {

program_values& program() {
    static program_values values;
    return values;
}

std::string with_trailing_separator(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

void split_path(const std::string& full, std::string& folder, std::string& name) {
    const auto slash = full.rfind('/');
    if (slash == std::string::npos) {
        folder.clear();
        name = full;
        return;
    }
    folder = full.substr(0, slash + 1);
    name = full.substr(slash + 1);
}

std::int32_t restore_selected_model(int model_count) {
    std::int32_t model = model_setting.read();
    if (model < 1 || model > model_count) {
        model = 1;
        model_setting.write(model);
    }
    return model;
}

std::string restore_last_path() {
    return read_setting_text(last_path_setting.name, program().app_folder);
}

} // namespace settings
