// The check instructions that run_step hands on: blank check and verify of the byte last
// read into temp, each mismatch added to the failure report.
#pragma once

#include "devices/instruction_syntax.h"

namespace Module1 {

// Executes one check instruction and moves ip on.
void run_check(const devices::instruction& instruction);

} // namespace Module1
