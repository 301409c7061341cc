// The check instructions that run_step hands on: blank check and verify of the byte last
// read into temp, each mismatch added to the failure report.
#pragma once

#include "devices/instruction_syntax.h"

#include <cstdint>

namespace Module1 {

// Executes one check instruction and moves ip on.
void run_check(const devices::instruction& instruction);

// The comparison of a check instruction: `value` read at `address` against the erased
// value or the image; a mismatch goes into the report.
void compare_read(const devices::instruction& instruction, std::int32_t address,
                  std::int32_t value);

} // namespace Module1
