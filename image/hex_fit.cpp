// Fitting a HEX file to the models of the device database by the memories it needs.
#include "image/hex_fit.h"

#include "image/memory_buffer.h"

#include <algorithm>
#include <tuple>

namespace image {

bool model_holds(std::int32_t flash_size, std::int32_t eeprom_size, const hex_file_facts& facts) {
    return !facts.outside_every_model && facts.flash_end <= flash_size &&
           facts.eeprom_end <= eeprom_size;
}

std::vector<int> models_holding(const devices::device_table& table, const hex_file_facts& facts) {
    struct sized {
        std::int32_t flash, eeprom;
        int number;
    };
    std::vector<sized> fitting;
    for (int n = 1; n <= table.model_count(); ++n) {
        const devices::device_model& model = table.models[static_cast<std::size_t>(n)];
        if (!devices::model_problem(model).empty())
            continue;
        const std::int32_t flash = devices::parse_size(model.flash).value_or(0);
        const std::int32_t eeprom = devices::parse_size(model.eeprom).value_or(0);
        if (model_holds(flash, eeprom, facts))
            fitting.push_back({flash, eeprom, n});
    }
    std::stable_sort(fitting.begin(), fitting.end(), [](const sized& a, const sized& b) {
        return std::tie(a.flash, a.eeprom) < std::tie(b.flash, b.eeprom);
    });
    std::vector<int> numbers;
    for (const sized& model : fitting)
        numbers.push_back(model.number);
    return numbers;
}

std::string models_holding_text(const devices::device_table& table, const hex_file_facts& facts) {
    constexpr std::size_t named = 5;
    const std::vector<int> numbers = models_holding(table, facts);
    std::string text;
    if (numbers.size() > named)
        text = std::to_string(numbers.size()) + " models, the smallest: ";
    for (std::size_t i = 0; i < numbers.size() && i < named; ++i) {
        if (i > 0)
            text += ", ";
        text += table.models[static_cast<std::size_t>(numbers[i])].name;
    }
    return text;
}

std::string address_text(std::int64_t address) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint64_t value = static_cast<std::uint64_t>(address); value != 0 || text.size() < 6;
         value >>= 4)
        text.insert(text.begin(), digits[value & 0xF]);
    return text + "h";
}

std::string memory_ends_text(const devices::model_values& model, const hex_file_facts& facts) {
    std::string text = "its FLASH ends at " + address_text(model.flash_size - 1);
    if (facts.eeprom_end > 0)
        text += model.eeprom_size > 0
                    ? ", its EEPROM at " +
                          address_text(model.layout.eeprom_address + model.eeprom_size - 1)
                    : ", it has no EEPROM";
    return text;
}

std::string dropped_data_text(const devices::device_table& table,
                              const devices::model_values& model, const hex_file_facts& facts) {
    std::string text = "This data was dropped: it is not in the image and will not be programmed.";
    const std::string fitting = models_holding_text(table, facts);
    if (fitting.empty())
        return text + "\r\nNo model of the device database holds all of it: check that this is "
                      "the file you meant.";
    return text + "\r\nThe selected model " + model.name + " may be the wrong one (" +
           memory_ends_text(model, facts) + "); the file fits " + fitting + ".";
}

} // namespace image
