// The FTDI row of the adapter table: what the table needs from the FTDI backend
// (hardware/ftdi_adapter.h).
#pragma once

#include "hardware/adapter_table.h"

#include <string>

namespace hardware {

// What is wrong with `spec` as a board selector ("" when nothing): a serial number,
// bus:device, VID:PID or an index, optionally with a channel "/A" to "/D".
std::string check_ftdi_spec(const std::string& spec);

// Opens the FTDI board `spec` names (empty: the first bit-bang device found) with the
// stored FTDI wiring and, when it opens, installs its line driver. The status names the
// board tried and, on failure, why and the fix (no board, no access, a bound driver).
adapter_opening open_ftdi_row(const adapter_spec& adapter, const adapter_environment& environment);

// Every FTDI device on the USB: chip, serial, bus and device, whether this user may open
// it and, if not, why and the fix.
adapter_enumeration enumerate_ftdi_row(const adapter_environment& environment);

} // namespace hardware
