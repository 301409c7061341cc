// The FTDI transport through libftdi1 on a board that is already open (see
// ftdi_adapter.h for finding and opening one).
#pragma once

#include "hardware/ftdi_transport.h"

struct ftdi_context;

namespace hardware {

// Takes over `context` (opened on the board's channel) and frees it on destruction.
std::unique_ptr<ftdi_transport> make_ftdi_usb_transport(ftdi_context* context);

} // namespace hardware
