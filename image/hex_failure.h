// The failures of the image layer: a HEX file that cannot be read or saved, a record the
// reader rejects, and the warning about data outside the chip's memory. The reader and the
// writer return them; the front ends show failure_text() of each.
#pragma once

#include "core/failure.h"

#include <string>

namespace image {

enum class hex_error {
    none,
    cannot_read, // path, reason
    cannot_save, // path, reason
    // A record that stops the read; line is the line of the file.
    no_colon,
    too_short,
    checksum,
    record_type,
    type_04,
    type_02,
    count_field,
    address_field,
    byte_count,
    data_byte,
    // Not a failure but a warning, the file being accepted: count is the number of bytes
    // outside the chip's memory, quoted the list of their addresses.
    data_out_of_range,
};

using hex_failure = core::failure<hex_error>;

// The message for `failure`, with the CR LF line breaks the message box shows; empty for
// none.
std::string failure_text(const hex_failure& failure);

} // namespace image
