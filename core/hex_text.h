// Hexadecimal text conversion: fixed-width upper-case formatting, strict fixed-width
// parsing (exact width, upper-case digits only, -1 for anything else), the Intel HEX
// record checksum, the lenient decimal reading used for settings and database values, and
// a strict one for numbers typed by the user.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

std::string hex2(std::int32_t value);
std::string hex2h(std::int32_t value);
std::string hex4(std::int32_t value);
std::string hex4h(std::int32_t value);
std::string hex6(std::int32_t value);
std::string hex6h(std::int32_t value);

// Exactly 2, 4 or 6 upper-case hexadecimal digits; -1 for any other text.
std::int32_t hex2_value(std::string_view text);
std::int32_t hex4_value(std::string_view text);
std::int32_t hex6_value(std::string_view text);

// Checksum of a record text given without its colon and without its checksum field.
std::string hex_checksum(std::string_view record);

// The leading decimal number of a text (blanks, tabs and line feeds skipped anywhere),
// with optional sign, fraction and E/D exponent; "&H" and "&O" prefixes read hexadecimal
// and octal integers. 0 when no digit is read.
double text_to_number(std::string_view text);

// Nearest integer, halves to the even neighbour, clamped to the 32-bit range
// (NaN gives 0), so no caller can overflow on a hostile value.
std::int32_t round_even(double value);

// text_to_number followed by round_even: how every number held as text is read.
inline std::int32_t text_to_int(std::string_view text) {
    return round_even(text_to_number(text));
}

// ASCII lower/upper case of a text (the database and settings use 8-bit text).
std::string lower_case(std::string_view text);
std::string upper_case(std::string_view text);

// The text without the blanks (spaces) around it; empty for a text of blanks only.
std::string without_blanks_around(std::string_view text);

// A strict decimal number from `lowest` to `highest`: one to nine digits and nothing else
// (no sign, blank or fraction); nullopt otherwise.
std::optional<std::int64_t> whole_number(std::string_view text, std::int64_t lowest,
                                         std::int64_t highest);

} // namespace core
