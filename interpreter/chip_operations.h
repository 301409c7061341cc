// The five chip operations: Program All, Read All, Erase All, Blank Check and Verify.
// Each runs the selected model's algorithm for it between the operation_started and
// operation_ended notifications to the host, shows a start and a finish caption with the
// elapsed time, and for Blank Check and Verify shows the failure report. The window's
// buttons and the CLI call the same procedures.
#pragma once

#include <cstdint>
#include <string>

namespace Module1 {

enum class operation_outcome {
    completed,     // ran to its end (and, for blank check and verify, found no difference)
    differences,   // blank check or verify found mismatches
    not_started,   // the port is not ready or the algorithm cannot run
    write_timeout, // the chip never finished a write; the run was stopped
    cancelled,     // stopped on request
    runaway_loop,  // a loop of the algorithm never ended; the run was stopped
    terminated,    // an unrecognised instruction ended the program
};

struct operation_result {
    operation_outcome outcome = operation_outcome::completed;
    std::int64_t elapsed_us = 0;
    std::string caption; // the finish caption shown in the status line
};

operation_result program_all();
operation_result read_all();
operation_result erase_all();
operation_result blank_check();
operation_result verify_all();

// Whole seconds, ".", two-digit hundredths: 3070000 us gives "3.07".
std::string elapsed_text(std::int64_t microseconds);

} // namespace Module1
