// The FTDI row of the adapter table in a build without the FTDI backend: every FTDI
// adapter is refused as not supported, and none is listed.
#include "hardware/adapter_ftdi_row.h"

namespace hardware {

namespace {

const char* const no_backend = "this build has no FTDI backend";

} // namespace

std::string check_ftdi_spec(const std::string& /*spec*/) {
    return {};
}

adapter_opening open_ftdi_row(const adapter_spec& adapter, const adapter_environment&) {
    adapter_opening opening;
    opening.status.code = port_error::not_supported;
    opening.status.path = "FTDI adapter " + adapter_text(adapter);
    opening.status.reason = no_backend;
    return opening;
}

adapter_enumeration enumerate_ftdi_row(const adapter_environment&) {
    adapter_enumeration found;
    found.none_found = std::string("FTDI adapters are not listed: ") + no_backend;
    return found;
}

} // namespace hardware
