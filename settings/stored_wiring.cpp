// Reading the stored wiring.
#include "settings/stored_wiring.h"

#include "core/hex_text.h"
#include "settings/settings_store.h"

namespace settings {

stored_wiring read_stored_wiring() {
    auto number = [](const char* name, const char* fallback) {
        return core::text_to_int(read_setting_text(name, fallback));
    };
    stored_wiring wiring;
    wiring.port_base = number("Parallel Port Address", "888");
    wiring.invert_vdd = number("Invert VDD", "0");
    wiring.invert_vpp = number("Invert VPP", "0");
    wiring.invert_clock = number("Invert CLOCK", "1");
    wiring.invert_dataout = number("Invert DATAOUT", "1");
    wiring.invert_datain = number("Invert DATAIN", "1");
    wiring.pin_vdd = number("VDD Pin Num", "4");
    wiring.pin_vpp = number("VPP Pin Num", "5");
    wiring.pin_clock = number("CLOCK Pin Num", "3");
    wiring.pin_dataout = number("DATAOUT Pin Num", "2");
    wiring.pin_datain = number("DATAIN Pin Num", "10");
    return wiring;
}

} // namespace settings
