// The settings a verify found different in the configuration bytes, by name: the lines
// that follow the failure report's table in the window and on the terminal alike.
#pragma once

#include "devices/config_names.h"
#include "interpreter/algorithm_run.h"

#include <string>
#include <vector>

namespace Module1 {

// One line per configuration-byte difference whose settings differ under the selected
// model ("CONFIG1H at 300001: OSC expected HS, read XT"), each ended by CR LF; empty when
// none does or the model has no settings by name.
std::string config_difference_lines(const std::vector<check_difference>& differences);

// The selected model's settings by name, nullptr when the shipped file has none for it.
const devices::model_config_names* selected_config_names();

// The configuration byte (0 = CONFIG1L) a configuration difference lies in.
int config_byte_index(const check_difference& difference);

} // namespace Module1
