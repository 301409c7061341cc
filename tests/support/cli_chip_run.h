// pinwright-cli's chip commands run in-process against a strict virtual chip on an emulated
// adapter (an FTDI board, a GPIO chip): a settings folder of its own, a small gpasm-built
// image per part, the run with a port, model and voltages, and what the chip holds after.
// Shared by the adapters' CLI tests, with one part of each PIC18 family.
#pragma once

#include "cli/commands.h"
#include "devices/selected_model.h"
#include "image/hex_load.h"
#include "image/memory_buffer.h"
#include "sim/virtual_chip.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace test_support {

inline const std::vector<std::string> five_volts = {"--vdd", "5", "--vpp", "12.5"};
inline const std::vector<std::string> low_voltage = {"--vdd", "3.3", "--vpp", "9"};

// One part of each family: the smallest, as a full Read All costs time on every adapter;
// the families' writes differ, not their sizes.
struct family_part {
    const char* part;     // gpasm's processor name, also the simulator's
    const char* watchdog; // the part's watchdog configuration setting
    std::vector<std::string> voltages = five_volts;
};

inline const family_part one_part_per_family[] = {
    {"18f2331", "WDTEN", {"--vdd", "5", "--vpp", "13"}},
    {"18f1220", "WDT", {"--vdd", "5", "--vpp", "13"}},
    {"18f2221", "WDT"},
    {"18f1230", "WDT"},
    {"18f23k20", "WDTEN", low_voltage},
    {"18f23k22", "WDTEN", low_voltage},
    {"18f13k22", "WDTEN", low_voltage},
    {"18f25k80", "WDTEN", low_voltage},
};

class cli_chip_run {
  public:
    cli_chip_run() {
        EXPECT_TRUE(folder_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }

    // A virtual `part` with every memory holding 00h, so an erase shows.
    std::shared_ptr<sim::virtual_chip> make_chip(const std::string& part) {
        const sim::part_info* info = sim::find_part(part);
        EXPECT_NE(info, nullptr) << part;
        chip = std::make_shared<sim::virtual_chip>(*info);
        std::fill(chip->flash().begin(), chip->flash().end(), 0);
        std::fill(chip->eeprom().begin(), chip->eeprom().end(), 0);
        return chip;
    }

    // app.hex: a jump, a few hundred bytes of code and table data and a string in data
    // EEPROM, for `part`, watchdog off.
    void assemble(const std::string& part, const std::string& watchdog) const {
        {
            std::ofstream source(path("app.asm"));
            source << "    list p=" << part << "\n    #include <p" << part << ".inc>\n"
                   << "    CONFIG " << watchdog << " = OFF\n"
                   << "    org 0\n    goto start\n    org 0x40\nstart:\n";
            for (int n = 0; n < 64; ++n)
                source << "    movlw " << (n * 37 + 11) % 256 << "\n    movwf LATB\n";
            source << "again:\n    bra again\n    org 0x200\n";
            for (int n = 0; n < 16; ++n) {
                source << "    db ";
                for (int b = 0; b < 16; ++b)
                    source << (b ? ", " : "") << (n * 16 + b) * 73 % 256;
                source << "\n";
            }
            source << "    org 0xF00000\n    de \"Pinwright\", 0x00\n    end\n";
        }
        const std::string command = "gpasm -q -o " + path("app.hex") + " " + path("app.asm") +
                                    " > " + path("gpasm.log") + " 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << "gpasm failed (is gputils installed?)";
    }

    int run(std::vector<std::string> args, const std::string& model,
            const std::vector<std::string>& voltages, const std::string& port) {
        out.str({});
        err.str({});
        args.insert(args.end(), {"--port", port, "--model", model});
        args.insert(args.end(), voltages.begin(), voltages.end());
        return cli::run_cli(args, PINWRIGHT_SOURCE_DIR "/data", out, err);
    }

    // The image `file` holds for the selected model.
    image::memory_buffer load(const std::string& file) const {
        image::memory_buffer buffer;
        const devices::model_values& model = devices::selected_model().values;
        image::erase_image(buffer, model);
        EXPECT_TRUE(image::load_hex_file(path(file), buffer, model).accepted()) << file;
        return buffer;
    }

    // Whether the chip's FLASH and EEPROM hold `image`.
    bool chip_holds(const image::memory_buffer& image) const {
        const auto same = [](const std::vector<std::uint8_t>& memory,
                             const std::vector<std::int32_t>& expected) {
            return std::equal(memory.begin(), memory.end(), expected.begin());
        };
        return same(chip->flash(), image.flash_image) && same(chip->eeprom(), image.eeprom_image);
    }

    // Whether every FLASH and EEPROM byte of the chip is `value`.
    bool chip_filled_with(std::uint8_t value) const {
        const auto same = [value](std::uint8_t byte) { return byte == value; };
        return std::all_of(chip->flash().begin(), chip->flash().end(), same) &&
               std::all_of(chip->eeprom().begin(), chip->eeprom().end(), same);
    }

    std::string path(const std::string& name) const {
        return folder_.path().toStdString() + "/" + name;
    }
    std::string output() const { return out.str() + err.str(); }

    std::shared_ptr<sim::virtual_chip> chip;
    std::ostringstream out, err;

  private:
    QTemporaryDir folder_;
};

} // namespace test_support
