// Powering a chip up the way its model enters Program/Verify mode.
#pragma once

#include "devices/model_select.h"

namespace Module1 {

// VDD and VPP on in the model's voltage order, or for a key-entry model VDD, then MCLR at
// VDD level and the entry key.
void power_up_for(const devices::model_values& model);

} // namespace Module1
