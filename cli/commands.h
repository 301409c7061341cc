// pinwright-cli's commands, runnable in-process (the executable's main and the tests both
// call run_cli).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// Runs one command line (without the program name). `program_folder` is where the
// default device database lives. Messages go to `out` and `err`; returns the exit code.
// `err_is_terminal` selects the progress bar over plain progress lines.
int run_cli(const std::vector<std::string>& args, const std::string& program_folder,
            std::ostream& out, std::ostream& err, bool err_is_terminal = false);

} // namespace cli
