// Hexadecimal text conversion and lenient decimal reading.
#include "core/hex_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace core {

namespace {

constexpr char digits[] = "0123456789ABCDEF";

std::string fixed_hex(std::uint32_t value, int width) {
    std::string text(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = digits[value & 0xF];
        value >>= 4;
    }
    return text;
}

// Value of one upper-case hexadecimal digit, -1 for anything else.
constexpr std::array<std::int8_t, 256> make_digit_table() {
    std::array<std::int8_t, 256> table{};
    for (auto& entry : table)
        entry = -1;
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'A' + 10);
    return table;
}

constexpr auto digit_table = make_digit_table();

inline int digit(char c) {
    return digit_table[static_cast<unsigned char>(c)];
}

inline std::int32_t pair_value(char high, char low) {
    const int h = digit(high);
    const int l = digit(low);
    if (h < 0 || l < 0)
        return -1;
    return h * 16 + l;
}

inline bool is_skipped_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

std::string hex2(std::int32_t value) {
    return fixed_hex(static_cast<std::uint32_t>(value), 2);
}
std::string hex2h(std::int32_t value) {
    return hex2(value) + "h";
}
std::string hex4(std::int32_t value) {
    return fixed_hex(static_cast<std::uint32_t>(value), 4);
}
std::string hex4h(std::int32_t value) {
    return hex4(value) + "h";
}
std::string hex6(std::int32_t value) {
    return fixed_hex(static_cast<std::uint32_t>(value), 6);
}
std::string hex6h(std::int32_t value) {
    return hex6(value) + "h";
}

std::int32_t hex2_value(std::string_view text) {
    if (text.size() != 2)
        return -1;
    return pair_value(text[0], text[1]);
}

std::int32_t hex4_value(std::string_view text) {
    if (text.size() != 4)
        return -1;
    const std::int32_t first = pair_value(text[0], text[1]);
    const std::int32_t last = pair_value(text[2], text[3]);
    if (first < 0 || last < 0)
        return -1;
    return first * 256 + last;
}

std::int32_t hex6_value(std::string_view text) {
    if (text.size() != 6)
        return -1;
    const std::int32_t first = pair_value(text[0], text[1]);
    const std::int32_t second = pair_value(text[2], text[3]);
    const std::int32_t third = pair_value(text[4], text[5]);
    if (first < 0 || second < 0 || third < 0)
        return -1;
    return first * 65536 + second * 256 + third;
}

std::string hex_checksum(std::string_view record) {
    // An invalid pair counts as -1 and a trailing odd character is ignored.
    std::int64_t sum = 0;
    for (std::size_t i = 0; i + 1 < record.size(); i += 2)
        sum += pair_value(record[i], record[i + 1]);
    const auto remainder = static_cast<std::int32_t>(sum % 256);
    return hex2(256 - remainder);
}

double text_to_number(std::string_view text) {
    std::size_t pos = 0;
    auto skip_blanks = [&] {
        while (pos < text.size() && is_skipped_blank(text[pos]))
            ++pos;
    };
    auto peek = [&]() -> char {
        skip_blanks();
        return pos < text.size() ? text[pos] : '\0';
    };

    if (peek() == '&' && pos + 1 < text.size()) {
        const char kind = static_cast<char>(text[pos + 1] | 0x20);
        if (kind == 'h' || kind == 'o') {
            const int base = kind == 'h' ? 16 : 8;
            pos += 2;
            double value = 0;
            for (;;) {
                const char c = peek();
                int d = -1;
                if (c >= '0' && c <= '9')
                    d = c - '0';
                else if (base == 16 && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                    d = (c | 0x20) - 'a' + 10;
                if (d < 0 || d >= base)
                    break;
                value = value * base + d;
                ++pos;
            }
            return value;
        }
    }

    // Collect the accepted characters into a plain number text, then convert it.
    std::string number;
    if (const char c = peek(); c == '+' || c == '-') {
        number += c;
        ++pos;
    }
    bool any_digit = false;
    while (true) {
        const char c = peek();
        if (c < '0' || c > '9')
            break;
        number += c;
        any_digit = true;
        ++pos;
    }
    if (peek() == '.') {
        ++pos;
        std::string fraction;
        while (true) {
            const char c = peek();
            if (c < '0' || c > '9')
                break;
            fraction += c;
            ++pos;
        }
        if (!fraction.empty()) {
            number += '.';
            number += fraction;
            any_digit = true;
        }
    }
    if (!any_digit)
        return 0.0;
    if (const char c = peek(); c == 'e' || c == 'E' || c == 'd' || c == 'D') {
        ++pos;
        std::string exponent = "e";
        if (const char s = peek(); s == '+' || s == '-') {
            exponent += s;
            ++pos;
        }
        bool exponent_digit = false;
        while (true) {
            const char d = peek();
            if (d < '0' || d > '9')
                break;
            exponent += d;
            exponent_digit = true;
            ++pos;
        }
        if (exponent_digit)
            number += exponent;
    }
    const char* first = number.data();
    if (*first == '+')
        ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: saturate rather than fail.
        const bool negative = number[0] == '-';
        const bool tiny = number.find("e-") != std::string::npos;
        if (tiny)
            return 0.0;
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    return value;
}

std::int32_t round_even(double value) {
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value); // default mode: to nearest, ties to even
    if (rounded >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (rounded <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

std::string lower_case(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

std::string without_blanks_around(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::optional<std::int64_t> whole_number(std::string_view text, std::int64_t lowest,
                                         std::int64_t highest) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char digit : text)
        value = value * 10 + (digit - '0');
    if (value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::string upper_case(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

} // namespace core
