// A virtual PIC18 in Program/Verify mode (entered by high voltage or by the key), modelled at the
// level of its pins: it watches VDD, VPP, PGC and PGD, decodes 4-bit commands and 16-bit operands
// (or, on the 8-bit-command families, 8-bit commands and 24-bit payloads) on the clock edges,
// executes the core instructions used over the serial interface, keeps FLASH,
// EEPROM, ID and configuration memory with the real write-buffer, erase and timing rules, and
// drives PGD during reads. It is strict: a sequence that would not program a real chip does not
// program this one either, and every protocol violation is recorded. Waits of a microsecond and
// more are always checked; the nanosecond rules on single clock edges (phase lengths, data setup
// and hold) only when told that its timestamps come from a modelled clock.
#pragma once

#include "sim/part_table.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sim {

namespace detail {
struct chip_state;
}

class virtual_chip {
  public:
    explicit virtual_chip(const part_info& part);
    ~virtual_chip();
    virtual_chip(const virtual_chip&) = delete;
    virtual_chip& operator=(const virtual_chip&) = delete;

    const part_info& part() const;

    // The electrical levels at the chip's pins (true = high) from time `now_us` on
    // (microseconds, monotonic, never decreasing). Call on every change of any pin.
    void set_pins(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_us);
    // The same with the time in nanoseconds.
    void set_pins_ns(bool vdd, bool vpp, bool pgc, bool pgd, std::int64_t now_ns);

    // The voltages the VDD and VPP (MCLR) lines carry when they are high (5.0 V and 13.0 V
    // until told otherwise). VDD above the part's maximum, MCLR above VDD on a key-entry
    // part, or MCLR above the high-voltage maximum (9.0 V) of an 8-bit-command part, is
    // recorded as damage and the part does not enter Program/Verify mode.
    void set_supply_volts(double vdd, double vpp);

    // On: the timestamps come from a modelled clock, and clock phases, PGD setup and hold
    // and the gaps between command, operand and read data are checked against the family's
    // nanosecond limits. A clock phase that is too short is not seen as an edge, and a bit
    // whose PGD did not stay put long enough is taken wrong. Off (the default): only the
    // waits of a microsecond and more are checked.
    void set_edge_timing(bool modelled);
    bool edge_timing() const;

    // The level the chip drives on PGD at `now_us`, or nullopt while it does not drive
    // the line (powered off, not in program mode, or not in a read's output phase).
    std::optional<bool> pgd_output(std::int64_t now_us) const;

    bool in_program_mode() const;

    // Lets virtual time pass without a pin change, so that a self-timed erase or write
    // whose time is up completes (set_pins does the same before it looks at the pins).
    void advance(std::int64_t now_us);

    // True from the moment an EECON1-started write, a row erase or a bulk erase is
    // requested until it completes or fails, as of the last set_pins or advance.
    bool write_in_progress() const;

    // Memory contents, erased value 0xFF for FLASH/EEPROM/ID. Writable for tests and for
    // loading a chip image from a file. The ID bytes are the part's id_bytes (8 on the
    // classic parts), the configuration bytes its config_size (14, 8 on the J-series, up to
    // 35), from 300000h on.
    std::vector<std::uint8_t>& flash();
    std::vector<std::uint8_t>& eeprom();
    std::span<std::uint8_t> id_locations();
    std::span<std::uint8_t> config();

    // Protocol violations seen so far ("short P9 hold at 2.345 ms", "write without
    // WREN", ...), one text each, in order.
    const std::vector<std::string>& protocol_errors() const;
    void clear_protocol_errors();

  private:
    struct state;
    detail::chip_state& settled() const;
    std::unique_ptr<state> s_;
};

} // namespace sim
