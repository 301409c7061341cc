// What sits in the socket: the device ID read from the chip, judged against the device
// database and the selected model, and the texts that tell the user what it means. Chip
// operations check it before they touch the chip's memory; the identify command, the
// automatic model choice and the adapter diagnosis read it in a power cycle of their own.
#pragma once

#include "devices/model_select.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Module1 {

enum class identity_verdict {
    matches,     // the ID is the selected model's
    no_chip,     // 0000h or FFFFh: nothing answered
    other_model, // the ID names other models of the database
    unknown_id,  // the ID names no model of the database
};

struct chip_identity {
    identity_verdict verdict = identity_verdict::matches;
    std::uint16_t raw = 0;   // DEVID2:DEVID1 as read
    std::vector<int> models; // the database's models with this ID, in table order
    // The revision ID word (3FFFFCh) of a chip read in the 8-bit-command frame, whose device
    // ID holds no revision bits.
    std::optional<std::uint16_t> revision_id;
};

// Judges `raw` for the selected model's working values; `models` lists the models of
// `table` with that ID.
chip_identity judge_identity(std::uint16_t raw, const devices::device_table& table,
                             const devices::model_values& selected);

// "1087h"
std::string id_text(std::uint16_t raw);
// The silicon revision: the ID bits outside the part's mask.
int silicon_revision(std::uint16_t mask, std::uint16_t raw);
// "PIC18F4520 rev 7": the model's name and the ID bits outside its mask; the name alone for
// a model whose mask keeps every bit (its revision is a word of its own).
std::string part_and_revision(const devices::model_values& model, std::uint16_t raw);
// ", revision ID A0C1h" where the identity has a revision word, else empty.
std::string revision_id_text(const chip_identity& identity);
// "PIC18F4520 rev 7" for each model of `identity`, joined with " or ".
std::string identified_parts(const devices::device_table& table, const chip_identity& identity);

// The message for an empty or silent socket: what was read, that nothing was written, and
// the likely causes, most likely first, with a pointer to the adapter diagnosis.
std::string no_chip_text(std::uint16_t raw, bool nothing_written = true);
// The likely causes of a silent socket, one per line, for the diagnosis.
std::string no_chip_causes();
// The message for a chip that is not the selected model: the ID read, the model(s) it
// names (or that it names none) and the selected model; that nothing was written.
std::string wrong_chip_text(const devices::device_table& table,
                            const devices::model_values& selected, const chip_identity& identity);

// What a power cycle of its own read from the chip: the device ID, and for a chip read in the
// 8-bit-command frame its revision ID word.
struct id_reading {
    std::uint16_t raw = 0;
    std::optional<std::uint16_t> revision_id;
};

// Reads the chip's ID in a power cycle of its own: the chip powered up the way `model`
// enters programming mode, the ID read in its frame, VDD and VPP off. Nullopt when the port
// failed on the way (power-up, read or power-down): the port's status says why, and nothing
// is known of the chip.
std::optional<id_reading> read_id_in_own_power_cycle(const devices::model_values& model);

// What the identify commands do: on a ready port, between the operation_started and
// operation_ended notifications, reads the ID in its own power cycle (the selected model's
// power-up order) and judges it for the selected model. Nullopt when the port is not
// ready or fails during the read (the port's status says why).
std::optional<chip_identity> identify_socket();
// The same without the notifications, for a caller that has sent them itself.
std::optional<chip_identity> identify_quietly();

} // namespace Module1
