// The chip commands of pinwright-cli: program, verify, read, erase and blankcheck, run on a
// real port or on the simulated adapter.
#pragma once

#include "cli/session.h"

#include <string>

namespace cli {

bool is_chip_command(const std::string& command);
// Runs the session's chip command and returns its exit code.
int run_chip_command(session& s);

} // namespace cli
