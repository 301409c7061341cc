// The algorithm interpreter: runs one model's algorithm, instruction by instruction, on
// the program image and the chip. `algorithm_run` is the interpreter's one state record,
// reused by every chip operation; `run_step` executes the instruction at `ip`.
#pragma once

#include "devices/instruction_syntax.h"
#include "devices/model_select.h"
#include "devices/selected_model.h"
#include "image/memory_buffer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace Module1 {

// Why a run stopped before its last instruction.
enum class run_stop {
    none,          // still running, or ran to the end
    unrecognised,  // an unrecognised instruction: the program ends
    write_timeout, // "waitwr" never saw the write finish
    cancelled,     // the user interrupted the run
    identity,      // the chip in the socket is not the selected model, or none answered
    port_failed,   // the port failed during the run
    runaway_loop,  // a loop passed its head more often than the memory sizes explain
};

// A FLASH or EEPROM address range, both ends included.
struct zero_read_area {
    bool eeprom = false;
    std::int32_t first = 0;
    std::int32_t last = -1;
};

// One difference a blank check or verify found, at its HEX address.
struct check_difference {
    image::region where = image::region::flash;
    std::int64_t address = 0;
    std::int32_t expected = 0;
    std::int32_t read = 0;
};

// What a run moved, per region of the image: bytes sent to the chip, bytes read into the
// image, bytes compared by a check.
struct region_counts {
    std::int64_t written = 0;
    std::int64_t read = 0;
    std::int64_t compared = 0;
};
using run_counts = std::array<region_counts, image::region_count>;

struct algorithm_run_record {
    std::vector<std::string> instructions; // index 0 unused: instructions[1..count]
    std::vector<devices::instruction> decoded;
    std::int32_t instruction_count = 0;
    std::int32_t ip = 1;
    std::int32_t loop_start = 0;
    std::int32_t loop_limit = 0;
    std::int32_t loop_passes = 0; // jumps back to the current loop head
    std::int32_t address_counter = 0;
    std::int32_t flash_limit = 0;
    std::int32_t eeprom_limit = 0;
    std::int32_t temp = 0;
    int temp_width = 1; // bytes the last read into temp gave (2: an 8-bit frame's word)
    std::int32_t failure_count = 0;
    std::string failure_report;
    std::vector<check_difference> differences; // the report's rows, in order
    run_counts counts{};
    // FLASH and EEPROM differences that read 00h, the mark of a code-protected chip.
    std::int32_t zero_reads = 0;
    // The configuration bytes the last check instructions read (CONFIG1L..CONFIG7H).
    devices::config_values config_read{};
    // Areas a check takes 00h as a match in: memory the chip's configuration protects.
    std::vector<zero_read_area> zero_read_areas;
    run_stop stop = run_stop::none;
};

extern algorithm_run_record algorithm_run;

// Set from a signal handler or another thread to stop a run at the next instruction.
extern std::atomic<bool> cancel_requested;

// Longest time "waitwr" polls before it gives up, far above any real write time.
inline constexpr std::int64_t write_wait_limit_us = 1'000'000;

// A loop passes its head at most once per byte of the memory it walks; this many passes
// above the FLASH and EEPROM sizes together stop the run as a runaway loop.
inline constexpr std::int32_t runaway_loop_margin = 1024;

// Loads an instruction list into `algorithm_run` and sets the address limits from the
// selected model (steps 1 and 2 of every operation).
void start_run(const devices::instruction_list& list);

// Executes instructions[ip] and moves ip on.
void run_step();

// True while the run should go on: ip within the list and nothing stopped it.
bool run_continues();

// Failure report (blank check and verify).
void reset_report();
void add_failure(const std::string& location, const std::string& read_value,
                 const std::string& expected);
// Adds a difference to the report: its row ("FLASH Byte 000018h,   3Fh,   FFh,") and its
// record.
void add_difference(const check_difference& difference);

// The report's name of a location: "FLASH Byte 000018h", "EEPROM Byte 0000h",
// "ID Byte 200001h", "CONF Byte 300001h".
std::string location_text(image::region where, std::int64_t address);

// The counts of `where` in the current run.
region_counts& counts_of(image::region where);

// The report ends with this failure: the run goes to its end.
inline constexpr std::int32_t max_reported_failures = 25;

inline constexpr const char* report_header = "Memory Location,   Read Value,   Expected,\r\n";

} // namespace Module1
