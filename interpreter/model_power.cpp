#include "interpreter/model_power.h"

#include "hardware/serial_transfer.h"

namespace Module1 {

void power_up_for(const devices::model_values& model) {
    switch (model.entry) {
    case devices::entry_kind::high_voltage:
        Module94::power_up(model.voltage_sequence);
        return;
    case devices::entry_kind::key:
        Module94::power_up_with_key();
        return;
    case devices::entry_kind::key_low:
        Module94::power_up_with_key(true);
        return;
    }
}

} // namespace Module1
