// The device database as written: its models, each field as text with the five algorithm
// bodies it names, read from pinwrightdevices.txt. The working values the rest of the program
// reads are derived from it in devices/model_select.h.
#pragma once

#include "core/failure.h"

#include <string>
#include <vector>

namespace devices {

struct database_line;

// One model, every field as written in the file (text after the line's first space). The
// key that fills each field, and whether it must be there, is its row in
// devices/database_schema.h.
struct device_model {
    std::string name, flash, eeprom, configerased, voltageseq, progtime, pagesize;
    std::string erasealg, programalg, readalg, blankcheckalg, verifyalg;
    std::string configmask;     // verify/blank-check masks, same layout as configerased
    std::string deviceid;       // DEVID2:DEVID1 as four hex digits, revision bits 0
    std::string deviceidmask;   // the ID bits that name the part (default FFE0)
    std::string vdd, vpp;       // the part's supply and MCLR ranges, "4.50-5.50" volts
    std::string mclrmax;        // the absolute maximum on MCLR in volts, "13.25"
    std::string configprogtime; // hold for configuration bytes in ms (else progtime)
    std::string dischargetime;  // PGC low after a programming hold in us (P10)
    std::string eecon1;         // EECON1's address, three hexadecimal digits
    // the image layout, where a family differs from the classic one: the ID
    // locations' size in bytes (0: none) and HEX address, the configuration bytes' and
    // the data EEPROM's HEX addresses
    std::string idlocations, idaddress, configaddress, eepromaddress;
    std::string entry; // how the part enters programming mode: "hv", "key" or "keylow"
    std::string frame; // the serial frame of its algorithms: "classic", "8bit-rows", ...
    // the number of configuration bytes, and "numbered" where they are named CONFIG1, ...
    std::string configsize, confignames;
    int line = 0; // line number of the "model:" line (0 for the sink entry)
};

struct device_table {
    // models[0] belongs to no model: it receives field lines before the first "model:".
    std::vector<device_model> models{device_model{}};
    std::string source; // path the table was read from

    int model_count() const { return static_cast<int>(models.size()) - 1; }
};

// Why a database file cannot be used.
enum class database_error {
    none,
    cannot_open, // path, reason
    cannot_read, // path, reason
    bad_line,    // path, line, reason (what is wrong), quoted (the line)
};

using database_failure = core::failure<database_error>;

// The message for `failure`, such as "Cannot open the device database /x: No such file or
// directory." or "/x:7: line without a space: ... ("text")."; empty for none.
std::string failure_text(const database_failure& failure);

// Reads the database at `path` into `table` (which is reset first, and left empty on a
// failure). Lines end at CR LF or a lone CR; a lone LF stays part of the line. A file
// without any model is not a failure here: the caller checks model_count() (start-up ends
// silently on it).
database_failure load_device_table(const std::string& path, device_table& table);

// Same, from the file's bytes already in memory (`source` names it in failures).
database_failure parse_device_table(const std::string& bytes, const std::string& source,
                                    device_table& table);
// Same, from the file's lines as read_database_lines gives them (a caller that also checks
// the file reads it once).
database_failure parse_device_table(const std::vector<database_line>& lines,
                                    const std::string& source, device_table& table);

// A shipped data file (`file`, such as "pinwrightdevices.txt") for a program in
// `program_folder` (ending in '/'): the one beside the program (a build tree) when it is
// there, else the one in ../share/pinwright (an installed package); the one beside the
// program when neither is, so that a failure names the first place looked at.
std::string shipped_file_path(const std::string& program_folder, const std::string& file);
// The shipped device database, pinwrightdevices.txt, found as above.
std::string default_database_path(const std::string& program_folder);

} // namespace devices
