// The configuration settings of each model by name (pinwrightconfig.txt, generated at
// build time from gputils and shipped beside the device database): reading the file,
// finding a model, and decoding a configuration byte's value into its settings
// ("OSC = HS") with notices for the values a user should see before programming a chip:
// code or data protection on, the configuration write-protected, and values the part
// does not define.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace devices {

struct config_option {
    std::string name; // "HS"
    std::uint8_t value = 0;
};

struct config_setting {
    std::string name;      // "OSC", as a CONFIG directive writes it
    std::uint8_t bits = 0; // the bits of the byte it uses
    std::vector<config_option> options;
};

struct config_byte_settings {
    int index = 0; // 0 = CONFIG1L .. 13 = CONFIG7H
    std::uint8_t mask = 0;
    std::uint8_t erased = 0;
    std::vector<config_setting> settings;
};

struct model_config_names {
    std::string model;
    std::vector<config_byte_settings> bytes; // in file order
    // The settings of byte `index`, nullptr when it has none.
    const config_byte_settings* byte(int index) const;
};

struct config_names {
    std::vector<model_config_names> models;
    // The entry of the model named `model` (without regard to case), nullptr when none.
    const model_config_names* find(const std::string& model) const;
};

// Reads the text of a pinwrightconfig.txt. On a malformed line, returns false and sets
// `error` to its line number and what is wrong with it; `names` then holds what came before.
bool parse_config_names(const std::string& text, config_names& names, std::string& error);

// Reads the file at `path`; on failure `error` names the file and the reason.
bool load_config_names(const std::string& path, config_names& names, std::string& error);

// True for a setting that makes memory read as zero over the programming interface: code
// protection of the whole code memory (CP), of a block (CP0, CP1, ...), of the boot block
// (CPB) or of the data EEPROM (CPD).
bool is_read_protection(const std::string& setting);

// The file's name beside the executables.
inline constexpr const char* config_names_file = "pinwrightconfig.txt";

// The shipped file of the programs in `program_folder` (beside them, else in
// ../share/pinwright), read on first use and again when the folder changes; empty when it
// cannot be read.
const config_names& shipped_config_names(const std::string& program_folder);

struct decoded_setting {
    std::string name;
    std::string option;     // empty when the bits match no option of the part
    std::uint8_t value = 0; // the setting's bits of the byte
};

struct decoded_config_byte {
    std::vector<decoded_setting> settings;
    std::vector<std::string> notices; // "CP0 = ON: ..." for what a user should notice
};

// The settings of byte `index` with value `value` under `model`; empty for a byte with no
// settings.
decoded_config_byte decode_config_byte(const model_config_names& model, int index,
                                       std::uint8_t value);

// "OSC = HS, FCMEN = OFF"; a value the part does not define shows as its hex bits with
// "(undefined)".
std::string settings_text(const decoded_config_byte& decoded);

// A setting whose option differs between the byte expected and the byte read.
struct setting_difference {
    std::string name;     // "OSC"
    std::string expected; // "HS"; the bits in hex with "(undefined)" for an undefined value
    std::string read;
};

// The settings of byte `index` that differ between `expected` and `read` under `model`, in
// the byte's order; empty for a byte with no settings or none that differ.
std::vector<setting_difference> differing_settings(const model_config_names& model, int index,
                                                   std::uint8_t expected, std::uint8_t read);

// "CONFIG1H at 300001: OSC expected HS, read XT; FCMEN expected OFF, read ON" for byte
// `index` at HEX address `address`; empty when `model` is null or no setting differs.
std::string config_difference_text(const model_config_names* model, int index, std::int64_t address,
                                   std::uint8_t expected, std::uint8_t read);

} // namespace devices
