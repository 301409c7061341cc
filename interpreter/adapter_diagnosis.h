// The adapter diagnosis: walks the chain from the port to the chip and stops at the first
// broken link, naming the fix. Port access (which device, who may open it), the lines with
// VDD and VPP off (does DATA IN follow DATA OUT), then the chip (its device ID; when none
// answers, which change of an input or signal line's setting would make one answer: the
// inversions, and DATA IN on another input pin, which on an FTDI board is each D0-D7 bit
// no output uses and on a GPIO chip each line no output uses, nearest first). It
// never tries another VDD or VPP pin or inversion: that could apply a supply the user did
// not expect, and it tries other settings only for a moment, never storing them. The
// window and the CLI show the same report; the CLI adds where the settings file keeps the
// fix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Module1 {

enum class step_result { passed, failed, skipped };

struct diagnosis_step {
    std::string name; // "Port access", "Lines", "Chip"
    step_result result = step_result::skipped;
    std::string detail; // what was found and, when failed, what to change
};

// A stored setting of the wiring and the value to give it.
struct setting_change {
    std::string name; // as stored: "Invert DATAOUT", "FTDI DATAIN Bit"
    std::int32_t value = 0;
    std::string shown; // the value as Hardware Settings shows it ("D4 (DTR)"); "": the number
    bool operator==(const setting_change&) const = default;
};

struct adapter_diagnosis {
    std::vector<diagnosis_step> steps;
    std::string verdict; // one line
    // The settings that made the chip answer when the stored ones did not; empty otherwise.
    std::vector<setting_change> fix;
    bool passed() const;
    // The report: one paragraph per step, the verdict last.
    std::string report() const;
};

// Diagnoses the adapter on the port the front end has opened through the port session.
adapter_diagnosis diagnose_adapter();

} // namespace Module1
