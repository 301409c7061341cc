// Fuzz target: the device database reader, model selection and the checker on arbitrary
// bytes. None of them may crash or read outside their tables, whatever the file holds.
#include "devices/device_check.h"
#include "devices/device_table.h"
#include "devices/model_select.h"
#include "devices/instruction_syntax.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    devices::device_table table;
    if (devices::parse_device_table(bytes, "fuzz", table).ok()) {
        for (int n = 1; n <= table.model_count() && n <= 8; ++n) {
            devices::model_values values;
            devices::select_model(table, n, values);
            for (const auto& text : values.program_list)
                devices::decode_instruction(text);
        }
    }
    devices::check_device_database(bytes);
    return 0;
}
