// The message texts of the image layer.
#include "image/hex_failure.h"

namespace image {

namespace {

constexpr const char* crlf = "\r\n";
constexpr const char* format_errors = "Input program file in Intel Hex Format contains errors.";

// What the line of a rejected record is told about it.
const char* record_text(hex_error code) {
    switch (code) {
    case hex_error::no_colon:
        return "The record does not begin with ':' simbol.";
    case hex_error::too_short:
        return "The record is too short.";
    case hex_error::checksum:
        return "Invalid 'checksum' field in the record.";
    case hex_error::record_type:
        return "Invalid 'record type' field in the record.";
    case hex_error::type_04:
        return "Invalid '04 type' record.";
    case hex_error::type_02:
        return "Invalid '02 type' record.";
    case hex_error::count_field:
        return "Invalid 'number of bytes' field in the record.";
    case hex_error::address_field:
        return "Invalid 'address' field in the record.";
    case hex_error::byte_count:
        return "The record does not contain the specified number of bytes.";
    case hex_error::data_byte:
        return "Invalid data byte in the record.";
    default:
        return "";
    }
}

} // namespace

std::string failure_text(const hex_failure& failure) {
    switch (failure.code) {
    case hex_error::none:
        return {};
    case hex_error::cannot_read:
        return "Cannot read file " + failure.path + ": " + failure.reason + ".";
    case hex_error::cannot_save:
        return "Cannot save " + failure.path + ": " + failure.reason + ".";
    case hex_error::data_out_of_range:
        return std::string("Warning!") + crlf + format_errors + crlf + "There are data for " +
               std::to_string(failure.count) + " addresses out of range:" + crlf + failure.quoted +
               crlf;
    default:
        return std::string(format_errors) + crlf + "Line number " + std::to_string(failure.line) +
               ": " + record_text(failure.code);
    }
}

} // namespace image
