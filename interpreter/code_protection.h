// Code protection: which memory the configuration bytes make read as zero over the
// programming interface, and the pieces that let a protected image be programmed and
// proven. The protection settings come by name from pinwrightconfig.txt (CP0, CP1, ...,
// CPB, CPD), so no family is named here; the code blocks split the model's FLASH evenly,
// one per CPn setting, after the boot block, whose size the virtual chip's part table
// knows.
#pragma once

#include "devices/model_select.h"
#include "interpreter/chip_operations.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Module1 {

using config_bytes = devices::config_values;

// Memory that a read-protection setting, when on, makes read as zero.
struct protected_area {
    std::string label;   // "Block 0", "Boot block", "Data EEPROM"
    bool eeprom = false; // data EEPROM rather than FLASH
    std::int32_t first = 0;
    std::int32_t last = -1;  // first > last when the range is not known
    std::string setting;     // "CP0"
    std::string config_byte; // "CONFIG5L"
};

// The areas of the selected model that `config` protects (empty when its settings by name
// are not known).
std::vector<protected_area> read_protected_areas(const config_bytes& config);

// "Block 0 (000800-001FFF)", "Data EEPROM (0000-00FF)".
std::string area_text(const protected_area& area);

// What programming the program image will do to reading the chip back, for a warning
// before Program All; empty when the image protects nothing.
std::string protection_warning();

// The configuration section of a program or verify algorithm run on its own: its first
// instruction (the power-up) and everything after its last loop. nullopt when the
// algorithm has no such section.
std::optional<devices::instruction_list>
configuration_section(const devices::instruction_list& list);

// True when the program image protects memory and the selected model's algorithms let it
// be proven: Program All and Verify with the protection held off, then the configuration.
bool protected_image_provable();

// Programs the program image and proves it although it protects memory: Program All and
// Verify with the protection bits (and WRTC, which would stop the later configuration
// write) held at their unprotected values, then the configuration written and verified
// as the image has it. `step_done` sees each step's result; a step that does not complete
// ends the sequence, and the result of the last step run is returned. The image is left as
// it was.
operation_result
program_protected_image(bool check_identity,
                        const std::function<void(const operation_result&)>& step_done);

} // namespace Module1
