// Working values of the selected model: its sizes, erased configuration values and mask,
// power-up order, timing, EECON1's address, device ID, VDD and VPP ranges and five
// instruction lists, derived from the model's text fields in the device table; what a
// model's sizes and EECON1 address must be for it to be selected; and the lookup of a
// model by its name or its device ID.
#pragma once

#include "devices/device_table.h"
#include "devices/voltage_range.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devices {

inline constexpr int config_bytes = 14; // CONFIG1L .. CONFIG7H
// Parts that keep their configuration in FLASH have its last eight bytes: CONFIG1L..CONFIG4H.
inline constexpr int flash_config_bytes = 8;
// The most configuration bytes a PIC18 has (CONFIG1 .. CONFIG35 of the Q83/Q84 parts).
inline constexpr int largest_config_size = 35;

// A model's configuration bytes, index 0 at its configuration address; the bytes beyond
// its configuration size are unused.
using config_values = std::array<std::int32_t, largest_config_size>;

// The configuration bytes' names after "CONFIG", in address order from 300000h.
inline constexpr std::array<const char*, config_bytes> config_byte_names{
    "1L", "1H", "2L", "2H", "3L", "3H", "4L", "4H", "5L", "5H", "6L", "6H", "7L", "7H"};

// The number of the model whose name is exactly `name`, 0 when there is none.
int find_model(const device_table& table, const std::string& name);

// The bits of DEVID2:DEVID1 that name the part; the rest are the silicon revision.
inline constexpr std::uint16_t default_device_id_mask = 0xFFE0;

// A device ID of four hexadecimal digits ("1080"), or nothing for any other text.
std::optional<std::uint16_t> parse_device_id(const std::string& text);

// The model's "deviceidmask:", default_device_id_mask when it has none or an unreadable one.
std::uint16_t device_id_mask(const device_model& model);

// The numbers of the models whose "deviceid:" matches `raw` under their mask, in table
// order. A model with a missing or unreadable ID matches nothing.
std::vector<int> models_with_id(const device_table& table, std::uint16_t raw);

// EECON1's address where a model states no "eecon1:": where most PIC18 families have it.
inline constexpr std::uint16_t default_eecon1_address = 0xFA6;
// The access bank's special function registers begin here on the parts with the lower
// split (60h); a write poll reads EECON1 with a = 0, so it must lie from here to FFFh.
inline constexpr std::uint16_t lowest_access_sfr = 0xF60;

// An "eecon1:" text: three hexadecimal digits from F60 to FFF. Nothing for any other text.
std::optional<std::uint16_t> parse_eecon1_address(const std::string& text);

// One algorithm as a list of lower-cased instruction texts, blanks kept.
using instruction_list = std::vector<std::string>;

instruction_list make_instruction_list(const std::string& body);

// The largest sizes a PIC18 has: 2 MB of program memory, 64 KB of data EEPROM, a write
// buffer of 256 bytes. A database value above them is a mistake, and sizing the image for
// it would exhaust the memory.
inline constexpr std::int32_t largest_flash_size = 2097152;
inline constexpr std::int32_t largest_eeprom_size = 65536;
inline constexpr std::int32_t largest_page_size = 256;
// P10 with fast port access where a model states none: the longest any family documents.
inline constexpr std::int32_t default_discharge_time_us = 200;
// A "dischargetime:" above this (10 ms) is surely a unit mistake.
inline constexpr std::int32_t largest_discharge_time_us = 10000;

// A size as the database writes it: decimal digits, blanks around them allowed. Nothing
// for any other text; values beyond the 32-bit range read as that range's top.
std::optional<std::int32_t> parse_size(const std::string& text);

// Why `model` cannot be selected: its "flash:" is missing, not a whole number, 0 or above
// largest_flash_size, its "eeprom:" is missing, not a whole number or above
// largest_eeprom_size, or its "pagesize:" is not a whole number or above
// largest_page_size, or its "eecon1:" is given but not an address parse_eecon1_address
// takes (a poll of another register would misjudge every EEPROM write), or its
// "idlocations:" is not a whole number up to largest_id_size, or an address of its layout
// is not a HEX address. Empty when it can be selected.
std::string model_problem(const device_model& model);

// Where a model's memories sit in a HEX file, and how many ID bytes it has: the classic
// PIC18 layout unless the model's "idlocations:", "idaddress:", "configaddress:" or
// "eepromaddress:" says otherwise.
struct image_layout {
    std::int64_t id_address = 0x200000;
    std::int32_t id_size = 8; // 0: the model has no ID locations
    std::int64_t config_address = 0x300000;
    std::int64_t eeprom_address = 0xF00000;
    // The configuration words are the last bytes of FLASH ("configaddress:" inside FLASH, as
    // on the J parts): the image keeps them as its configuration bytes, its FLASH ends where
    // they begin, and the algorithms' FLASH walks reach them there.
    bool config_in_flash = false;
    std::int32_t config_size = config_bytes; // configuration bytes at config_address
    // The bytes are named CONFIG1, CONFIG2, ... ("confignames: numbered") rather than
    // CONFIG1L, CONFIG1H, ...
    bool numbered_config_names = false;
};

// How a part enters Program/Verify mode ("entry:"): MCLR raised to the programming voltage
// (VPP); MCLR pulsed to VDD, taken low, the 32-bit key clocked in and MCLR back at VDD
// ("key", the J parts); or the same key with MCLR left low for the whole session
// ("keylow", the 8-bit-command families).
enum class entry_kind { high_voltage, key, key_low };

// The entry a model's "entry:" text names; nothing for any other text than "hv", "key" or
// "keylow" (any case), high_voltage for none.
std::optional<entry_kind> parse_entry_kind(const std::string& text);

// Whether `entry` takes MCLR no higher than VDD (a key entry of either kind).
inline bool enters_by_key(entry_kind entry) {
    return entry != entry_kind::high_voltage;
}

// The serial frame a model's algorithms speak ("frame:"): the classic 4-bit commands with
// 16-bit payloads, or 8-bit commands with 24-bit payloads in one of three command sets:
// row latches (K40, K42, K83), immediate word writes with PC-selected bulk erase (Q10) or
// with region-selected bulk erase (Q40 and later).
enum class frame_kind { classic, rows8, words8, regions8 };

// The frame a "frame:" text names: "classic", "8bit-rows", "8bit-words", "8bit-regions"
// (any case); classic for none, nothing for any other text.
std::optional<frame_kind> parse_frame_kind(const std::string& text);

inline bool is_eight_bit(frame_kind frame) {
    return frame != frame_kind::classic;
}

// The name of configuration byte `index` (0-based) after "CONFIG": "1L", "1H", ... or, for
// a model with numbered names, "1", "2", ...
std::string config_byte_name(const image_layout& layout, int index);

// The most ID bytes a PIC18 has (the 256-byte user ID area of the newest families).
inline constexpr std::int32_t largest_id_size = 256;

// A HEX address as the database writes it: one to six hexadecimal digits. Nothing for
// any other text.
std::optional<std::int64_t> parse_hex_address(const std::string& text);

// Working values of the selected model.
struct model_values {
    std::string name;
    std::int32_t flash_size = 0;
    std::int32_t eeprom_size = 0;
    config_values config_erased{}; // index 0 = the first byte; -1 = invalid or missing pair
    bool has_config_mask = false;
    config_values config_mask{};       // 255 each without a mask line
    std::int32_t voltage_sequence = 0; // 1 vddvpp, 2 vppvdd, else unchanged
    entry_kind entry = entry_kind::high_voltage;
    frame_kind frame = frame_kind::classic;
    std::int32_t program_time_ms = 0;        // hold of code and ID writes ("startprog")
    std::int32_t config_program_time_ms = 0; // hold of configuration bytes ("startconfigprog")
    // PGC low after a programming hold with fast port access (P10), in microseconds.
    std::int32_t discharge_time_us = default_discharge_time_us;
    std::int32_t page_size = 0;
    image_layout layout;
    // Where the write-completion poll reads EECON1 ("eecon1:").
    std::uint16_t eecon1_address = default_eecon1_address;
    std::optional<std::uint16_t> device_id; // DEVID2:DEVID1 with the revision bits 0
    std::uint16_t device_id_mask = default_device_id_mask;
    // The part's VDD and VPP ranges; nothing without the "vdd:" / "vpp:" line (no voltage
    // check then). A line that cannot be read leaves its range empty and says why in
    // voltage_problem, which keeps the chip unpowered.
    std::optional<voltage_range> vdd_range, vpp_range;
    // The part's absolute maximum on MCLR ("mclrmax:"), at least the VPP maximum; nothing
    // without the line: the VPP maximum is then the limit.
    std::optional<double> mclr_max;
    std::string voltage_problem;
    instruction_list erase_list, program_list, read_list, blankcheck_list, verify_list;
};

// The FLASH bytes the image holds as FLASH: all of it, or with the configuration in FLASH
// the bytes before it.
std::int32_t image_flash_size(const model_values& model);

// Sets `values` from model number `selected_model` (1-based). Returns false, changing
// nothing, when the number is outside 1..model_count. Sizes are read leniently here (the
// leading number of the text); the program's own selection (select_program_model) refuses
// a model with a model_problem.
bool select_model(const device_table& table, int selected_model, model_values& values);

// Sets the voltage fields of `values` (vdd_range, vpp_range, mclr_max, voltage_problem)
// from `model`; select_model does it with the rest.
void read_voltage_limits(const device_model& model, model_values& values);

// The two-digit values of a configerased/configmask text (upper-cased first), byte k at
// positions 3k-2 and 3k-1; a bad or missing pair gives -1.
config_values parse_config_values(const std::string& text);

// The number of values a configerased/configmask text gives: its length in pairs.
int config_value_count(const std::string& text);

// A "configsize:" text: a whole number from 1 to largest_config_size; nothing otherwise.
std::optional<std::int32_t> parse_config_size(const std::string& text);

} // namespace devices
