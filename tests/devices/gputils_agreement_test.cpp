// The shipped database against an independent source: gputils' assembler knows every
// part's FLASH size and, per configuration byte, the implemented bits and the erased value
// ("gpasm -s -p p18f4520"). Every model must agree with it, or the database must explain
// the difference in a comment line of the form
//   # gputils differs: PIC18F2455 PIC18F4550 CONFIG4L mask: why
// ("mask", "erased" or, without a byte, "flash", or "unknown" for a part gputils does not
// know at all, whose values then come from elsewhere). On the J-series gputils places the
// configuration words at the end of the FLASH, where the model's configaddress: puts them, and
// leaves them out of its program size.
#include "core/hex_text.h"
#include "devices/device_table.h"
#include "devices/model_select.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace {

constexpr const char* database_path = PINWRIGHT_SOURCE_DIR "/data/pinwrightdevices.txt";
constexpr const char* byte_names[14] = {"1L", "1H", "2L", "2H", "3L", "3H", "4L",
                                        "4H", "5L", "5H", "6L", "6H", "7L", "7H"};

struct gputils_part {
    bool known = false;
    long flash = 0;
    long config_start = 0x300000; // where gputils puts CONFIG1L
    std::array<int, 14> mask{};   // a byte gputils does not list implements no bit
    std::array<int, 14> erased{};
};

gputils_part ask_gpasm(const std::string& model) {
    std::string part = core::lower_case(model);
    if (part.rfind("pic", 0) == 0)
        part.replace(0, 3, "p");
    gputils_part result;
    FILE* pipe = popen(("gpasm -s -p " + part + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::string listing;
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        listing.append(buffer.data(), got);
    pclose(pipe);
    // gpasm lists every part it knows when it does not know the one asked for: the part
    // is known when a "Names" line names it.
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Names", 0) == 0) {
            std::istringstream names(line.substr(line.find(':') + 1));
            for (std::string name; std::getline(names >> std::ws, name, ',');)
                result.known = result.known || name == part;
        }
        long size = 0;
        unsigned long address = 0;
        unsigned mask = 0, erased = 0;
        if (std::sscanf(line.c_str(), "Program Size : %ld bytes", &size) == 1)
            result.flash = size;
        else if (std::sscanf(line.c_str(), "Config Range : 0x%lx", &address) == 1)
            result.config_start = static_cast<long>(address);
        else if (std::sscanf(line.c_str(),
                             " Config Word : address = 0x%lx, mask = 0x%x, default = 0x%x",
                             &address, &mask, &erased) == 3 &&
                 address >= static_cast<unsigned long>(result.config_start) &&
                 address - static_cast<unsigned long>(result.config_start) < 14) {
            const auto index = address - static_cast<unsigned long>(result.config_start);
            result.mask[index] = static_cast<int>(mask);
            result.erased[index] = static_cast<int>(erased);
        }
    }
    // Configuration words inside the FLASH end it; gputils' program size stops before them.
    if (result.config_start < 0x300000)
        result.flash = result.config_start + 8;
    return result.known ? result : gputils_part{};
}

// "PIC18F4550 CONFIG4L mask", "PIC18F4550 flash", ... for every explained difference.
std::set<std::string> explained_differences() {
    std::set<std::string> explained;
    std::ifstream file(database_path);
    const std::string lead = "# gputils differs: ";
    for (std::string text; std::getline(file, text);) {
        const auto colon = text.find(':', lead.size());
        if (text.rfind(lead, 0) != 0 || colon == std::string::npos)
            continue;
        std::istringstream words(text.substr(lead.size(), colon - lead.size()));
        std::vector<std::string> models;
        std::string what;
        for (std::string word; words >> word;) {
            if (word.rfind("PIC", 0) == 0)
                models.push_back(word);
            else
                what += (what.empty() ? "" : " ") + word;
        }
        for (const std::string& model : models)
            explained.insert(model + " " + what);
    }
    return explained;
}

TEST(GputilsAgreement, EveryModelsFlashAndConfigurationBytesMatchOrAreExplained) {
    devices::device_table table;
    ASSERT_EQ(devices::load_device_table(database_path, table).code, devices::database_error::none);
    const std::set<std::string> explained = explained_differences();
    std::set<std::string> used;
    const auto differs = [&](const std::string& difference, const std::string& detail) {
        if (explained.count(difference)) {
            used.insert(difference);
            return;
        }
        ADD_FAILURE() << difference << " differs from gputils: " << detail
                      << " (no \"# gputils differs:\" comment explains it)";
    };
    for (int n = 1; n <= table.model_count(); ++n) {
        devices::model_values model;
        devices::select_model(table, n, model);
        const gputils_part part = ask_gpasm(model.name);
        if (!part.known) {
            differs(model.name + " unknown", "gpasm does not know it");
            continue;
        }
        if (part.flash != model.flash_size)
            differs(model.name + " flash", "database " + std::to_string(model.flash_size) +
                                               ", gputils " + std::to_string(part.flash));
        if (part.config_start != model.layout.config_address)
            differs(model.name + " configaddress",
                    "database " + std::to_string(model.layout.config_address) + ", gputils " +
                        std::to_string(part.config_start));
        ASSERT_TRUE(model.has_config_mask) << model.name;
        for (std::size_t k = 0; k < 14; ++k) {
            const std::string byte = model.name + " CONFIG" + byte_names[k];
            const int mask = model.config_mask[k];
            if (mask != part.mask[k])
                differs(byte + " mask",
                        "database " + core::hex2(mask) + ", gputils " + core::hex2(part.mask[k]));
            if ((model.config_erased[k] ^ part.erased[k]) & mask)
                differs(byte + " erased", "database " + core::hex2(model.config_erased[k]) +
                                              ", gputils " + core::hex2(part.erased[k]) +
                                              " under the mask " + core::hex2(mask));
        }
    }
    // An explanation nothing needs any more is stale.
    for (const std::string& difference : explained)
        EXPECT_TRUE(used.count(difference))
            << "\"# gputils differs:\" explains " << difference << ", which agrees with gputils";
}

} // namespace
