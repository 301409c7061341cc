// Judging a device ID against the database, and the texts of each verdict.
#include "interpreter/chip_identity.h"

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "devices/model_select.h"
#include "devices/selected_model.h"
#include "hardware/device_id_read.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/serial_transfer.h"
#include "interpreter/model_power.h"

namespace Module1 {

chip_identity judge_identity(std::uint16_t raw, const devices::device_table& table,
                             const devices::model_values& selected) {
    chip_identity identity;
    identity.raw = raw;
    if (!hardware::chip_answered(raw)) {
        identity.verdict = identity_verdict::no_chip;
        return identity;
    }
    identity.models = devices::models_with_id(table, raw);
    const std::uint16_t mask = selected.device_id_mask;
    if (selected.device_id && (raw & mask) == (*selected.device_id & mask))
        identity.verdict = identity_verdict::matches;
    else if (identity.models.empty())
        identity.verdict = identity_verdict::unknown_id;
    else
        identity.verdict = identity_verdict::other_model;
    return identity;
}

std::string id_text(std::uint16_t raw) {
    return core::hex4(raw) + "h";
}

namespace {

std::string part_text(const std::string& name, std::uint16_t mask, std::uint16_t raw) {
    if (mask == 0xFFFF)
        return name;
    return name + " rev " + std::to_string(silicon_revision(mask, raw));
}

} // namespace

int silicon_revision(std::uint16_t mask, std::uint16_t raw) {
    return raw & ~mask & 0x1F;
}

std::string part_and_revision(const devices::model_values& model, std::uint16_t raw) {
    return part_text(model.name, model.device_id_mask, raw);
}

std::string revision_id_text(const chip_identity& identity) {
    return identity.revision_id ? ", revision ID " + id_text(*identity.revision_id) : "";
}

std::string identified_parts(const devices::device_table& table, const chip_identity& identity) {
    std::string text;
    for (const int model : identity.models) {
        if (!text.empty())
            text += " or ";
        const devices::device_model& entry = table.models[static_cast<std::size_t>(model)];
        text += part_text(entry.name, devices::device_id_mask(entry), identity.raw);
    }
    return text;
}

std::string no_chip_causes() {
    return "1. no chip in the socket, or a chip seated wrongly (turned round or offset);\r\n"
           "2. the adapter has no supply;\r\n"
           "3. the VDD or VPP pin, or its inversion, in the hardware settings does not match "
           "the adapter;\r\n"
           "4. the DATA IN pin, or its inversion, does not match the adapter;\r\n"
           "5. the cable: loose, reversed or too long.";
}

std::string no_chip_text(std::uint16_t raw, bool nothing_written) {
    return "No chip answers: the device ID reads " + id_text(raw) + "." +
           (nothing_written ? " Nothing was written." : "") +
           "\r\n\r\nLikely causes, most likely first:\r\n" + no_chip_causes() +
           "\r\n\r\nDiagnose Adapter (Hardware menu) or \"pinwright-cli doctor\" walks through "
           "the adapter step by step.";
}

std::string wrong_chip_text(const devices::device_table& table,
                            const devices::model_values& selected, const chip_identity& identity) {
    const std::string selected_id =
        selected.device_id ? " (ID " + id_text(*selected.device_id) + ")" : std::string();
    std::string text = "The chip in the socket is not the selected model: its device ID reads " +
                       id_text(identity.raw);
    if (identity.models.empty())
        text += ", which no model of the device database has";
    else
        text += ", which is " + identified_parts(table, identity);
    text += "; the selected model is " + selected.name + selected_id + ". Nothing was written.";
    // Every bit turned round is the mark of a DATA IN inversion that does not match the
    // adapter, not of another chip.
    const std::uint16_t inverted = static_cast<std::uint16_t>(~identity.raw);
    const std::vector<int> named =
        identity.models.empty() ? devices::models_with_id(table, inverted) : std::vector<int>{};
    if (!named.empty())
        text += " With every bit inverted it would read " + id_text(inverted) + ", the ID of " +
                table.models[static_cast<std::size_t>(named.front())].name +
                ": check the DATA IN inversion in the hardware settings.";
    return text;
}

std::optional<id_reading> read_id_in_own_power_cycle(const devices::model_values& model) {
    power_up_for(model);
    const bool eight_bit = devices::is_eight_bit(model.frame);
    const std::optional<std::uint16_t> raw = hardware::read_device_id(eight_bit);
    const std::optional<std::uint16_t> revision =
        raw && eight_bit ? hardware::read_revision_id() : std::nullopt;
    Module94::ensure_lines_safe();
    if (!hardware::port_ready() || !raw)
        return std::nullopt;
    return id_reading{*raw, revision};
}

} // namespace Module1

namespace Module1 {

std::optional<chip_identity> identify_quietly() {
    if (!hardware::port_ready())
        return std::nullopt;
    const devices::model_values& selected = devices::selected_model().values;
    std::optional<id_reading> read = read_id_in_own_power_cycle(selected);
    if (read && !hardware::chip_answered(read->raw) && selected.entry == devices::entry_kind::key) {
        // No J part answers its key entry: the socket may hold an 8-bit-command part, which
        // takes the same key with MCLR held low and speaks the 8-bit frame. The levels are
        // the J parts' (at most 3.6 V), which those parts take as well.
        devices::model_values eight_bit = selected;
        eight_bit.entry = devices::entry_kind::key_low;
        eight_bit.frame = devices::frame_kind::rows8;
        if (auto other = read_id_in_own_power_cycle(eight_bit);
            other && hardware::chip_answered(other->raw))
            read = other;
    }
    if (!read)
        return std::nullopt;
    chip_identity identity =
        judge_identity(read->raw, devices::device_database(), devices::selected_model().values);
    if (hardware::chip_answered(read->raw))
        identity.revision_id = read->revision_id;
    return identity;
}

std::optional<chip_identity> identify_socket() {
    if (!hardware::port_ready())
        return std::nullopt;
    core::notify(core::host_event::operation_started);
    auto identity = identify_quietly();
    core::notify(core::host_event::operation_ended);
    return identity;
}

} // namespace Module1
