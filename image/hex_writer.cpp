// Intel HEX writer.
#include "image/hex_writer.h"

#include "core/hex_text.h"
#include "core/whole_file.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace image {

namespace {

constexpr std::int64_t bytes_per_line = 16;

// hex2 of every byte value, formatted once: a data byte is then two characters copied.
const std::array<std::array<char, 2>, 256>& byte_digits() {
    static const auto table = [] {
        std::array<std::array<char, 2>, 256> digits{};
        for (int value = 0; value < 256; ++value) {
            const std::string text = core::hex2(value);
            digits[static_cast<std::size_t>(value)] = {text[0], text[1]};
        }
        return digits;
    }();
    return table;
}

// Appends ":" + record + checksum + CR LF.
void append_record(std::string& out, std::string_view record) {
    out += ':';
    out += record;
    out += core::hex_checksum(record);
    out += "\r\n";
}

void append_extended_address(std::string& out, std::int64_t address) {
    append_record(out, "02000004" + core::hex4(static_cast<std::int32_t>(address / 65536)));
}

// Index of the last byte to write among the first `limit` elements: the last one that is
// not FF, moved to the next odd index when it is even and that byte exists; -1 if none.
std::int64_t used_end(const std::vector<std::int32_t>& bytes, std::int64_t limit) {
    std::int64_t last = limit - 1;
    while (last >= 0 && bytes[static_cast<std::size_t>(last)] == erased_byte)
        --last;
    if (last >= 0 && last % 2 == 0 && last + 1 < limit)
        ++last;
    return last;
}

// Data records for bytes 0..last at HEX address base + index. An extended linear address
// record precedes every line that starts a 64 KB segment; `first_marked` says whether the
// first line gets one (the EEPROM section writes its own before calling this).
void append_data_lines(std::string& out, const std::vector<std::int32_t>& bytes, std::int64_t last,
                       std::int64_t base, bool first_marked) {
    const auto& digits = byte_digits();
    // One record text is built in place: count, address, type, then the data digits.
    std::array<char, 8 + 2 * bytes_per_line> record{};
    for (std::int64_t start = 0; start <= last; start += bytes_per_line) {
        const std::int64_t address = base + start;
        if (address % 65536 == 0 && (start > 0 || first_marked))
            append_extended_address(out, address);
        const std::int64_t count = std::min(bytes_per_line, last + 1 - start);
        const std::string head = core::hex2(static_cast<std::int32_t>(count)) +
                                 core::hex4(static_cast<std::int32_t>(address % 65536)) + "00";
        std::copy(head.begin(), head.end(), record.begin());
        char* data = record.data() + head.size();
        for (std::int64_t i = start; i < start + count; ++i) {
            // hex2 keeps the low byte of any value, as this index does.
            const auto& pair =
                digits[static_cast<std::uint32_t>(bytes[static_cast<std::size_t>(i)]) & 0xFF];
            *data++ = pair[0];
            *data++ = pair[1];
        }
        append_record(
            out, std::string_view(record.data(), static_cast<std::size_t>(data - record.data())));
    }
}

} // namespace

std::string hex_file_text(const memory_buffer& buffer, const devices::model_values& model) {
    const std::int64_t flash_limit = std::min<std::int64_t>(
        std::max(model.flash_size, 0), static_cast<std::int64_t>(buffer.flash_image.size()));
    const std::int64_t eeprom_limit = std::min<std::int64_t>(
        std::max(model.eeprom_size, 0), static_cast<std::int64_t>(buffer.eeprom_image.size()));
    const std::int64_t flash_last = used_end(buffer.flash_image, flash_limit);
    const std::int64_t eeprom_last = used_end(buffer.eeprom_image, eeprom_limit);

    std::string out;
    // Each line of 16 bytes takes 45 characters; reserve for both memories and the rest.
    out.reserve(static_cast<std::size_t>((flash_last + eeprom_last + 34) / 16 * 46 + 128));

    append_data_lines(out, buffer.flash_image, flash_last, 0, true);

    // The ID locations only when one of them is programmed: a file without them stays as
    // it always was.
    const devices::image_layout& layout = model.layout;
    const std::int64_t id_limit = std::min<std::int64_t>(
        std::max(layout.id_size, 0), static_cast<std::int64_t>(buffer.id_image.size()));
    if (std::any_of(buffer.id_image.begin(), buffer.id_image.begin() + id_limit,
                    [](std::int32_t value) { return value != erased_byte; })) {
        append_extended_address(out, layout.id_address);
        append_data_lines(out, buffer.id_image, id_limit - 1, layout.id_address, false);
    }

    append_extended_address(out, layout.config_address);
    const auto config_size =
        static_cast<std::size_t>(std::clamp(layout.config_size, 0, devices::largest_config_size));
    std::string record = core::hex2(static_cast<std::int32_t>(config_size)) +
                         core::hex4(static_cast<std::int32_t>(layout.config_address % 65536)) +
                         "00";
    for (std::size_t k = 0; k < config_size; ++k)
        record +=
            core::hex2(buffer.config_image[k]); // -1 (an invalid erased value) is written as FF
    append_record(out, record);

    if (eeprom_last >= 0) {
        append_extended_address(out, layout.eeprom_address);
        // Beyond 64 KB of EEPROM a further extended address record keeps the addresses
        // right (no PIC18 has that much, but the bytes must never land on top of others).
        append_data_lines(out, buffer.eeprom_image, eeprom_last, layout.eeprom_address, false);
    }

    append_record(out, "00000001");
    return out;
}

hex_failure save_hex_file(const std::string& path, const memory_buffer& buffer,
                          const devices::model_values& model) {
    hex_failure failure;
    const core::file_failure written = core::replace_whole_file(path, hex_file_text(buffer, model));
    if (!written.ok()) {
        failure.code = hex_error::cannot_save;
        failure.path = path;
        failure.reason = written.reason;
    }
    return failure;
}

} // namespace image
