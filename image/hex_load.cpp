// HEX file load with its outcome captions.
#include "image/hex_load.h"

namespace image {

hex_load_outcome load_hex_file(const std::string& path, memory_buffer& buffer,
                               const devices::model_values& model) {
    hex_load_outcome outcome;
    erase_image(buffer, model);
    outcome.loaded_top = 0;
    hex_read_result& read = outcome;
    read = read_hex_file(path, buffer, model, outcome.loaded_top);
    if (outcome.accepted()) {
        outcome.label_hex = short_path(path);
        outcome.status = "Operation completed. Total " + std::to_string(outcome.loaded_top) + " (" +
                         loaded_kilobytes_text(outcome.loaded_top) + "K) program bytes loaded.";
    } else {
        erase_image(buffer, model);
        outcome.loaded_top = 0;
        outcome.label_hex.clear();
        outcome.status = "HEX file not loaded!";
    }
    return outcome;
}

std::string short_path(const std::string& path) {
    constexpr std::size_t limit = 70;
    // Start of every character: a byte that is not a UTF-8 continuation byte.
    auto is_start = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; };
    std::size_t characters = 0;
    std::size_t cut = path.size();
    for (std::size_t i = path.size(); i-- > 0;) {
        if (!is_start(path[i]))
            continue;
        ++characters;
        if (characters == limit)
            cut = i;
        else if (characters > limit)
            return "... " + path.substr(cut);
    }
    return path;
}

std::string loaded_kilobytes_text(std::int32_t loaded_top) {
    // loaded_top / 1024 has at most ten decimals: the fraction f / 1024 is
    // f * 9765625 / 10^10, so the digits are exact integer arithmetic.
    const std::int64_t value = loaded_top < 0 ? 0 : loaded_top;
    const std::int64_t whole = value / 1024;
    const std::int64_t fraction = value % 1024;
    std::string text = whole > 0 || fraction == 0 ? std::to_string(whole) : std::string();
    if (fraction > 0) {
        std::string digits = std::to_string(fraction * 9765625);
        digits.insert(0, 10 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += '.';
        text += digits;
    }
    return text.substr(0, 4);
}

} // namespace image
