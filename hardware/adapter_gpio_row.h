// The GPIO row of the adapter table: what the table needs from the GPIO backend
// (gpio_chip_access.h, gpio_line_driver.h).
#pragma once

#include "hardware/adapter_table.h"
#include "hardware/line_driver.h"
#include "settings/stored_wiring.h"

#include <string>

namespace hardware {

// What is wrong with `spec` as a chip ("" when nothing): a device path or a label.
std::string check_gpio_spec(const std::string& spec);

// A driver for the chip `spec` names, opened with `wiring`; its status says why it could
// not be (no such chip, no access, a line held elsewhere, a wiring the chip cannot carry).
std::unique_ptr<line_driver> open_gpio_adapter(const std::string& spec,
                                               const settings::gpio_wiring& wiring);

// Opens the chip with the stored GPIO wiring and, when it opens, installs its driver.
adapter_opening open_gpio_row(const adapter_spec& adapter, const adapter_environment& environment);

// Every /dev/gpiochipN: its label and line count, whether this user may open it and, if
// not, why and the fix.
adapter_enumeration enumerate_gpio_row(const adapter_environment& environment);

// Each chip's verdict, one line each, for the doctor's port step.
std::string gpio_access(const adapter_spec& adapter, const adapter_environment& environment);

} // namespace hardware
