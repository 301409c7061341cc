// The five chip operations: Program All, Read All, Erase All, Blank Check and Verify.
// Each runs the selected model's algorithm for it between the operation_started and
// operation_ended notifications to the host, shows a start and a finish caption with the
// elapsed time, and for Blank Check and Verify shows the failure report. The window's
// buttons and the CLI call the same procedures.
#pragma once

#include "interpreter/algorithm_run.h"
#include "interpreter/chip_identity.h"

#include <cstdint>
#include <optional>
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
    no_chip,       // nothing answered the device ID read; nothing was written
    wrong_chip,    // the chip's device ID is not the selected model's; nothing was written
    port_failed,   // the port failed during the run; the chip may be partly written
};

struct operation_result {
    operation_outcome outcome = operation_outcome::completed;
    std::int64_t elapsed_us = 0;
    std::string caption; // the finish caption shown in the status line
    // The device ID check, when the model has an ID and the check was asked for.
    std::optional<chip_identity> identity;
    // Blank Check's and Verify's differences (at most max_reported_failures), and what the
    // run moved per region of the image.
    std::vector<check_difference> differences;
    run_counts counts{};
};

// Before an operation touches the chip's memory it reads the device ID (right after the
// algorithm's first power-up, in the same power cycle) when the selected model has one,
// and stops with VDD and VPP off unless the chip is that model. `check_identity` false
// skips the check, for a user who knows better than the database.
operation_result program_all(bool check_identity = true);
operation_result read_all(bool check_identity = true);
operation_result erase_all(bool check_identity = true);
operation_result blank_check(bool check_identity = true);
operation_result verify_all(bool check_identity = true);

// The configuration section of the program and verify algorithms on its own (see
// configuration_section): writes, or verifies, the image's configuration bytes and
// nothing else, for a protected image whose code and data were proven before. No device
// ID check: they follow a Program All in the same session.
operation_result write_configuration();
operation_result verify_configuration();

// The caption of an operation the user stopped: "Program All cancelled; VDD and VPP are off."
std::string cancelled_caption(const std::string& operation_name);

// Whole seconds, ".", two-digit hundredths: 3070000 us gives "3.07".
std::string elapsed_text(std::int64_t microseconds);

} // namespace Module1
