// Intel HEX reader. The text is read in a single pass: the line numbers of messages count
// the lines of the text after its line ends are normalised (every CR becomes LF, runs of
// line ends are halved twice, and a line is put in front), which the scanner reproduces by
// counting each run of k CR/LF characters as ceil(k / 4) line breaks. Addresses are computed
// in 64 bits so that no combination of extended addresses can overflow.
#include "image/hex_reader.h"

#include "core/hex_text.h"
#include "core/whole_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace image {

namespace {

// Out-of-range addresses. The warning shows all of them up to 24, otherwise the first 16
// and the last 8, so only those are kept however many there are.
class out_of_range_list {
  public:
    void add(std::int64_t address) {
        const auto low = static_cast<std::int32_t>(address & 0xFFFFFF);
        if (count_ < static_cast<std::int64_t>(first_.size()))
            first_[static_cast<std::size_t>(count_)] = low;
        last_[static_cast<std::size_t>(count_) % last_.size()] = low;
        ++count_;
    }

    std::int64_t count() const { return count_; }

    // The listed addresses, each followed by ", ", the last one by ".".
    std::string text() const {
        std::string list;
        auto append = [&list](std::int32_t address) {
            list += core::hex6(address);
            list += ", ";
        };
        if (count_ <= static_cast<std::int64_t>(first_.size())) {
            for (std::int64_t i = 0; i < count_; ++i)
                append(first_[static_cast<std::size_t>(i)]);
        } else {
            for (std::size_t i = 0; i < 16; ++i)
                append(first_[i]);
            list += "..., ";
            for (std::int64_t i = count_ - 8; i < count_; ++i)
                append(
                    last_[static_cast<std::size_t>(i % static_cast<std::int64_t>(last_.size()))]);
        }
        list.resize(list.size() - 2);
        list += '.';
        return list;
    }

  private:
    std::array<std::int32_t, 24> first_{};
    std::array<std::int32_t, 8> last_{};
    std::int64_t count_ = 0;
};

class hex_text_reader {
  public:
    hex_text_reader(memory_buffer& buffer, const devices::model_values& model,
                    std::int32_t& loaded_top)
        : buffer_(buffer), loaded_top_(loaded_top), layout_(model.layout) {
        // The regions follow the model; the array lengths bound them as well, so an image
        // that does not match the model can never be written past its end.
        flash_limit_ = std::min<std::int64_t>(std::max(model.flash_size, 0),
                                              static_cast<std::int64_t>(buffer.flash_image.size()));
        eeprom_limit_ = std::min<std::int64_t>(
            std::max(model.eeprom_size, 0), static_cast<std::int64_t>(buffer.eeprom_image.size()));
        id_limit_ = std::min<std::int64_t>(std::max(model.layout.id_size, 0),
                                           static_cast<std::int64_t>(buffer.id_image.size()));
        config_size_ = std::clamp(model.layout.config_size, 0, devices::largest_config_size);
    }

    hex_read_result run(std::string_view text);

  private:
    hex_error read_line(std::string_view line);
    hex_error read_data(std::int32_t count, std::int32_t address, std::string_view data);
    hex_error store_flash(std::int64_t start, std::int32_t count, std::string_view data);
    void raise_loaded_top(std::int64_t top);
    void note_out_of_range(std::int64_t address);

    memory_buffer& buffer_;
    std::int32_t& loaded_top_;
    const devices::image_layout layout_;
    std::int64_t flash_limit_ = 0;
    std::int64_t eeprom_limit_ = 0;
    std::int64_t id_limit_ = 0;
    std::int32_t config_size_ = devices::config_bytes;
    std::int64_t upper_linear_ = 0;
    std::int64_t segment_ = 0;
    bool end_of_file_ = false;
    hex_file_facts facts_;
    out_of_range_list out_of_range_;
};

inline bool is_line_end(char c) {
    return c == '\r' || c == '\n';
}

hex_read_result hex_text_reader::run(std::string_view text) {
    hex_read_result result;
    const std::size_t size = text.size();
    std::size_t pos = 0;
    std::int64_t line_number = 1;
    for (;;) {
        // The line ends at the first CR or LF; memchr finds either quickly.
        const char* const first = text.data() + pos;
        const auto* lf = static_cast<const char*>(std::memchr(first, '\n', size - pos));
        const std::size_t lf_end =
            lf != nullptr ? static_cast<std::size_t>(lf - text.data()) : size;
        const auto* cr = static_cast<const char*>(std::memchr(first, '\r', lf_end - pos));
        const std::size_t end = cr != nullptr ? static_cast<std::size_t>(cr - text.data()) : lf_end;
        const hex_error error = read_line(text.substr(pos, end - pos));
        if (error != hex_error::none) {
            result.failure.code = error;
            result.failure.line = line_number;
            result.facts = facts_;
            return result;
        }
        if (end_of_file_ || end == size)
            break;
        std::size_t run_end = end;
        while (run_end < size && is_line_end(text[run_end]))
            ++run_end;
        const auto run_length = static_cast<std::int64_t>(run_end - end);
        line_number += (run_length + 3) / 4;
        pos = run_end;
    }
    if (out_of_range_.count() > 0) {
        result.warning.code = hex_error::data_out_of_range;
        result.warning.count = out_of_range_.count();
        result.warning.quoted = out_of_range_.text();
    }
    facts_.end_of_file = end_of_file_;
    result.facts = facts_;
    return result;
}

hex_error hex_text_reader::read_line(std::string_view line) {
    while (!line.empty() && line.back() == ' ')
        line.remove_suffix(1);
    if (line.empty() || line.front() == ';')
        return hex_error::none;
    if (line.front() != ':')
        return hex_error::no_colon;
    if (line.size() < 11)
        return hex_error::too_short;

    const std::string_view record = line.substr(1);
    const std::string_view body = record.substr(0, record.size() - 2);
    if (record.substr(record.size() - 2) != core::hex_checksum(body))
        return hex_error::checksum;

    const std::int32_t count = core::hex2_value(record.substr(0, 2));
    const std::int32_t address = core::hex4_value(record.substr(2, 4));
    const std::int32_t type = core::hex2_value(record.substr(6, 2));
    const std::string_view data = body.substr(8);

    switch (type) {
    case 0:
        return read_data(count, address, data);
    case 1:
        end_of_file_ = true;
        return hex_error::none;
    case 2: {
        const std::int32_t value = core::hex4_value(data);
        if (data.size() != 4 || data.back() != '0' || value < 0 || address != 0)
            return hex_error::type_02;
        segment_ = value;
        return hex_error::none;
    }
    case 4: {
        const std::int32_t value = core::hex4_value(data);
        if (data.size() != 4 || address != 0 || value < 0)
            return hex_error::type_04;
        upper_linear_ = value;
        return hex_error::none;
    }
    case 5:
        return hex_error::none;
    default:
        return hex_error::record_type;
    }
}

hex_error hex_text_reader::read_data(std::int32_t count, std::int32_t address,
                                     std::string_view data) {
    if (data.empty())
        return hex_error::none;
    if (count < 0)
        return hex_error::count_field;
    if (address < 0)
        return hex_error::address_field;
    if (data.size() != 2 * static_cast<std::size_t>(count))
        return hex_error::byte_count;

    facts_.data_record = true;
    const std::int64_t start = upper_linear_ * 65536 + segment_ * 16 + address;
    if (start + count <= flash_limit_) {
        facts_.flash_end = std::max(facts_.flash_end, start + count);
        return store_flash(start, count, data);
    }
    const std::int64_t id_address = layout_.id_address;
    const std::int64_t config_start = layout_.config_address;
    const std::int64_t eeprom_start = layout_.eeprom_address;
    for (std::int32_t j = 0; j < count; ++j) {
        const std::int64_t a = start + j;
        const std::string_view byte_text = data.substr(2 * static_cast<std::size_t>(j), 2);
        const std::int32_t value = core::hex2_value(byte_text);
        if (a < flash_limit_) {
            if (value < 0)
                return hex_error::data_byte;
            buffer_.flash_image[static_cast<std::size_t>(a)] = value;
            raise_loaded_top(a + 1);
            facts_.flash_end = std::max(facts_.flash_end, a + 1);
        } else if (a >= id_address && a < id_address + id_limit_) {
            if (value < 0)
                return hex_error::data_byte;
            buffer_.id_image[static_cast<std::size_t>(a - id_address)] = value;
        } else if ((a >= id_locations_address && a < id_locations_address + 8) ||
                   (a >= device_id_address && a <= device_id_end)) {
            // The classic ID locations of a model without them, and the device ID: a
            // toolchain writes them, no model stores them.
            if (value < 0)
                return hex_error::data_byte;
        } else if (a >= config_start && a < config_start + config_size_) {
            if (value < 0)
                return hex_error::data_byte;
            buffer_.config_image[static_cast<std::size_t>(a - config_start)] = value;
        } else if (a >= eeprom_start && a < eeprom_start + eeprom_limit_) {
            if (value < 0)
                return hex_error::data_byte;
            buffer_.eeprom_image[static_cast<std::size_t>(a - eeprom_start)] = value;
            facts_.eeprom_end = std::max(facts_.eeprom_end, a - eeprom_start + 1);
        } else {
            out_of_range_.add(a);
            note_out_of_range(a);
        }
    }
    return hex_error::none;
}

// The common case of a record wholly inside FLASH, without a region test per byte.
hex_error hex_text_reader::store_flash(std::int64_t start, std::int32_t count,
                                       std::string_view data) {
    std::int32_t* const destination = buffer_.flash_image.data() + start;
    for (std::int32_t j = 0; j < count; ++j) {
        const std::int32_t value =
            core::hex2_value(data.substr(2 * static_cast<std::size_t>(j), 2));
        if (value < 0) {
            raise_loaded_top(start + j);
            return hex_error::data_byte;
        }
        destination[j] = value;
    }
    raise_loaded_top(start + count);
    return hex_error::none;
}

// Data the model cannot hold: in the program or EEPROM space a larger part may hold it,
// anywhere else none can.
void hex_text_reader::note_out_of_range(std::int64_t address) {
    facts_.highest_out_of_range = std::max(facts_.highest_out_of_range, address);
    const std::int64_t eeprom_start = layout_.eeprom_address;
    if (address < std::min<std::int64_t>(layout_.id_address, id_locations_address))
        facts_.flash_end = std::max(facts_.flash_end, address + 1);
    else if (address >= eeprom_start && address < eeprom_start + devices::largest_eeprom_size)
        facts_.eeprom_end = std::max(facts_.eeprom_end, address - eeprom_start + 1);
    else
        facts_.outside_every_model = true;
}

void hex_text_reader::raise_loaded_top(std::int64_t top) {
    if (loaded_top_ < top)
        loaded_top_ = static_cast<std::int32_t>(top);
}

} // namespace

hex_read_result read_hex_text(const std::string& bytes, memory_buffer& buffer,
                              const devices::model_values& model, std::int32_t& loaded_top) {
    hex_text_reader reader(buffer, model, loaded_top);
    return reader.run(bytes);
}

hex_read_result read_hex_file(const std::string& path, memory_buffer& buffer,
                              const devices::model_values& model, std::int32_t& loaded_top) {
    std::string bytes;
    if (const core::file_failure read = core::read_whole_file(path, bytes); !read.ok()) {
        hex_read_result result;
        result.failure.code = hex_error::cannot_read;
        result.failure.path = path;
        result.failure.reason = read.reason;
        return result;
    }
    return read_hex_text(bytes, buffer, model, loaded_top);
}

} // namespace image
