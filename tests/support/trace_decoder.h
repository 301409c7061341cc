// Decodes a port trace ("W 0378 03", "R 0379 7F", "S 50", "U 100") of the default adapter
// wiring back into the serial frames the chip saw: VDD on pin 4 and VPP on pin 5 (data bits
// 2 and 3, not inverted), CLOCK on pin 3 and DATA OUT on pin 2 (data bits 1 and 0, through
// inverting buffers). A frame is 20 falling clock edges while both supplies are on.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// The next whitespace-separated field of `rest` (empty at its end), as `>>` would read it;
// a trace holds millions of lines, too many for a string stream each.
inline std::string_view next_trace_field(std::string_view& rest) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const auto start = std::min(rest.find_first_not_of(blanks), rest.size());
    const auto end = std::min(rest.find_first_of(blanks, start), rest.size());
    const std::string_view field = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return field;
}

struct traced_frame {
    int command = 0;
    int payload = 0;
    std::int64_t hold_ms = 0; // waits logged while the fourth clock was high
};

struct decoded_trace {
    std::vector<traced_frame> frames;
    std::vector<std::string> supply_events;
    std::int64_t waited_ms = 0;
    std::int64_t waited_us = 0; // the waits below a millisecond
    std::size_t writes = 0, reads = 0;
    std::vector<std::string> bad_lines;
};

inline decoded_trace decode_trace(std::istream& in) {
    decoded_trace out;
    bool vdd = false, vpp = false, clock = false;
    int clocks = 0;
    traced_frame frame;
    std::string line;
    while (std::getline(in, line)) {
        std::string_view fields = line;
        const std::string_view kind = next_trace_field(fields);
        const std::string_view address = next_trace_field(fields);
        if (kind == "U") {
            out.waited_us += std::stoll(std::string(address));
            continue;
        }
        if (kind == "S") {
            const auto ms = std::stoll(std::string(address));
            out.waited_ms += ms;
            if (clock && clocks == 3)
                frame.hold_ms += ms;
            continue;
        }
        const std::string_view value = next_trace_field(fields);
        int data = 0;
        if ((kind != "W" && kind != "R") || address.size() != 4 || value.size() != 2 ||
            std::from_chars(value.data(), value.data() + 2, data, 16).ptr != value.data() + 2) {
            out.bad_lines.push_back(line);
            continue;
        }
        if (kind == "R") {
            ++out.reads;
            continue;
        }
        ++out.writes;
        if (address != "0378")
            continue;
        const bool new_vdd = (data & 4) != 0;
        const bool new_vpp = (data & 8) != 0;
        const bool new_clock = (data & 2) == 0;
        const bool pgd = (data & 1) == 0;
        if (new_vdd != vdd)
            out.supply_events.push_back(new_vdd ? "VDD on" : "VDD off");
        if (new_vpp != vpp)
            out.supply_events.push_back(new_vpp ? "VPP on" : "VPP off");
        if (new_vdd && new_vpp && !(vdd && vpp))
            clocks = 0;
        vdd = new_vdd;
        vpp = new_vpp;
        if (vdd && vpp && clock && !new_clock) {
            if (clocks < 4)
                frame.command |= (pgd ? 1 : 0) << clocks;
            else
                frame.payload |= (pgd ? 1 : 0) << (clocks - 4);
            if (++clocks == 20) {
                out.frames.push_back(frame);
                frame = {};
                clocks = 0;
            }
        }
        clock = new_clock;
    }
    return out;
}

} // namespace test_support
