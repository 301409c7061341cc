// A virtual PIC18 in high-voltage Program/Verify mode, modelled at the level of its pins:
// it watches VDD, VPP, PGC and PGD, decodes 4-bit commands and 16-bit operands on the
// clock edges, executes the core instructions used over the serial interface, keeps
// FLASH, EEPROM, ID and configuration memory with the real write-buffer, erase and timing
// rules, and drives PGD during reads. It is strict: a sequence that would not program a
// real chip does not program this one either, and every protocol violation is recorded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Programming-algorithm families of the supported parts.
enum class chip_family { fxx2_xx8, fx220_x320, f2xxx_4xxx, k20 };

struct part_info {
    std::string name; // as the maker writes it without the prefix: "18F4520"
    chip_family family;
    std::int32_t flash_bytes;
    std::int32_t eeprom_bytes; // 0 for none
    std::int32_t write_buffer; // bytes per programming cycle (per panel on FXX2/XX8)
    std::uint16_t device_id;   // DEVID2:DEVID1 with revision bits 0
    std::array<std::uint8_t, 14> config_erased; // CONFIG1L..CONFIG7H after bulk erase
    std::array<std::uint8_t, 14> config_mask;   // implemented bits (unimplemented read 0)
};

// Every part the simulator knows, in a stable order.
const std::vector<part_info>& known_parts();

// Finds a part by name, ignoring case and an optional "PIC" prefix ("pic18f4520",
// "18F4520"). Null when unknown.
const part_info* find_part(std::string_view name);

// The part number in a model name, as the simulator names parts: "PIC18F4520" gives
// "18F4520", "PIC18F452 (DIP)" gives "18F452"; a name without "18" is returned whole.
std::string part_of_model(const std::string& model_name);

// "18F242, 18F252, ...": every known part, for messages.
std::string known_part_names();

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
    // loading a chip image from a file.
    std::vector<std::uint8_t>& flash();
    std::vector<std::uint8_t>& eeprom();
    std::array<std::uint8_t, 8>& id_locations();
    std::array<std::uint8_t, 14>& config();

    // Protocol violations seen so far ("short P9 hold at 2.345 ms", "write without
    // WREN", ...), one text each, in order.
    const std::vector<std::string>& protocol_errors() const;
    void clear_protocol_errors();

  private:
    struct state;
    std::unique_ptr<state> s_;
};

} // namespace sim
