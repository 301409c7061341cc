// The Options, Hardware and Help menu commands that open the settings dialogs or ask
// their question through the message and input boxes: port number, programming time,
// the adapter's voltages, pinout, about, and the dialogs Form99, Form98, Form34 and the
// port selection.
#include "ui/dialog_commands.h"

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "hardware/adapter_presets.h"
#include "hardware/connector_pins.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/voltage_check.h"
#include "settings/setting_names.h"
#include "settings/stored_wiring.h"
#include "ui/form34.h"
#include "ui/form98.h"
#include "ui/form99.h"
#include "ui/hardware_lines.h"
#include "ui/port_dialog.h"
#include "ui/port_session.h"
#include "ui/preset_dialog.h"

#include <array>
#include <optional>
#include <string>

namespace ui {

namespace {

constexpr const char* crlf = "\r\n";

// "1" to "3" for an offered base address, empty for any other.
std::string port_number_text(std::int32_t base) {
    const int number = hardware::lpt_number(base);
    return number == 0 ? std::string() : std::to_string(number);
}

void wrong_entry() {
    core::mymsgbox("Wrong entry!", core::msg_error, core::app_title);
}

// The connector table as text, then the standard ports and the register offsets.
std::string pinout_text() {
    using hardware::pin_direction;
    std::string text = std::string("Parallel Port Pinout:") + crlf + crlf;
    text += std::string("Pin\tBit\tDirection") + crlf;
    for (std::int32_t pin = 1; pin <= hardware::pin_count; ++pin)
        if (hardware::connector_pin_info(pin).direction != pin_direction::none)
            text += std::to_string(pin) + "\t" + Module94::pin_bit_name(pin) + "\t" +
                    (hardware::is_output_pin(pin) ? "Output" : "Input") + crlf;
    text += hardware_lines::pin_list(hardware::pins_of(pin_direction::none)) + "\tGND\t-" + crlf;
    text += crlf;
    text += std::string("Symbol '\\' is used for inverted pin-bit connection.") + crlf;
    text += std::string("Directions are defined from the viewpoint of the PC.") + crlf;
    text += crlf;
    for (int number = 1; number <= 3; ++number)
        text += "LPT" + std::to_string(number) +
                " base address: " + hardware::address_text(hardware::lpt_base(number)) + crlf;
    text += crlf;
    text += "Data register - Base address + " + std::to_string(hardware::data_offset) + crlf;
    text += "Status register - Base address + " + std::to_string(hardware::status_offset) + crlf;
    text += "Control register - Base address + " + std::to_string(hardware::control_offset) + crlf;
    return text;
}

std::string about_text() {
    const std::array<std::string, 9> lines{
        core::app_title,
        "Written by the Tarvellic Pinwright developers",
        "Copyright (C) 2026 Tarvellic Pinwright developers. Free software.",
        "",
        "Web site:",
        "https://pinwright.example.org/",
        "",
        "Send bug reports and suggestions to:",
        "pinwright@example.org",
    };
    std::string text;
    for (const std::string& line : lines)
        text += line + crlf;
    return text;
}

} // namespace

void show_hardware_settings() {
    Form99 dialog;
    dialog.exec();
    // The FTDI and GPIO drivers drive the wiring they were opened with: open the adapter
    // again.
    if (dialog.ftdi_wiring_changed() || dialog.gpio_wiring_changed())
        core::set_status(reopen_port());
}

void show_hardware_check() {
    Form98 dialog;
    dialog.exec();
}

void choose_adapter_preset() {
    if (hardware::program_presets().empty()) {
        core::mymsgbox(hardware::presets_failure(), core::msg_error, core::app_title);
        return;
    }
    preset_dialog dialog(hardware::program_presets());
    dialog.exec();
    if (dialog.adapter_wiring_changed())
        core::set_status(reopen_port());
}

void choose_port() {
    std::int32_t& base = Module94::port_settings.port_base;
    // An address that is none of the three offered (one edited into the settings, say)
    // still gets the question with no default, so the user can pick a port again.
    const std::string answer =
        core::myinputbox("Please select programmer Parallel Port Number [1-3].", core::app_title,
                         port_number_text(base));
    if (answer == "1" || answer == "2" || answer == "3")
        base = hardware::lpt_base(answer[0] - '0');
    else if (!answer.empty())
        wrong_entry();
    settings::port_address_setting.write(base);
    // Reopen the port at its (possibly new) address; the caption says whether it is
    // ready or why it cannot be used. Other addresses leave the status line as it is.
    if (!port_number_text(base).empty())
        core::set_status(reopen_port());
}

void select_parallel_port() {
    std::vector<hardware::parport_info> ports = hardware::list_parports();
    const hardware::access_verdict none =
        ports.empty() ? hardware::no_parport_verdict() : hardware::access_verdict{};
    // Then what the other rows of the adapter table find (FTDI boards, GPIO chips).
    std::vector<hardware::adapter_listing> adapters;
    for (const hardware::adapter_backend& row : hardware::adapter_backends())
        if (row.enumerate && row.kind != hardware::adapter_kind::parallel)
            for (hardware::adapter_listing& adapter : row.enumerate({}).adapters)
                adapters.push_back(std::move(adapter));
    port_dialog dialog(std::move(ports), none, std::move(adapters));
    dialog.exec();
}

// Changes the code hold only: configuration bytes keep the hold their cells need.
void change_programming_time() {
    std::int32_t& program_time_ms = devices::selected_model().values.program_time_ms;
    const std::string answer = core::myinputbox("Enter new programming time in ms [1-30].",
                                                core::app_title, std::to_string(program_time_ms));
    if (answer.empty())
        return;
    const double value = core::text_to_number(answer);
    if (!(value >= 1 && value <= 30)) {
        wrong_entry();
        return;
    }
    program_time_ms = core::round_even(value);
}

void change_adapter_voltages() {
    // Both are asked before either is stored; an emptied field means "not stated", Cancel
    // keeps both as they were, and a value the adapter cannot be said to apply is asked
    // again after saying what is accepted.
    std::string stated[2];
    const std::pair<const char*, const settings::text_setting*> lines[] = {
        {"VDD", &settings::adapter_vdd_setting}, {"VPP", &settings::adapter_vpp_setting}};
    const std::string highest = std::to_string(static_cast<int>(Module1::highest_adapter_volts));
    for (std::size_t k = 0; k < 2; ++k) {
        std::string shown = lines[k].second->read();
        for (;;) {
            const std::optional<std::string> answer =
                core::myinputbox_answer(std::string("Enter the ") + lines[k].first +
                                            " your adapter applies, in volts [0.01-" + highest +
                                            "]; leave it empty when not known.",
                                        core::app_title, shown);
            if (!answer)
                return;
            const std::string volts = core::without_blanks_around(*answer);
            if (volts.empty() || Module1::adapter_volts(volts)) {
                stated[k] = volts;
                break;
            }
            core::mymsgbox("\"" + volts + "\" is not accepted as the adapter's " + lines[k].first +
                               ": enter volts above 0 and at most " + highest +
                               ", with a point and at most two decimals (5, 12.5 or 3.30), or "
                               "leave the field empty when the voltage is not known.",
                           core::msg_error, core::app_title);
            shown = volts;
        }
    }
    for (std::size_t k = 0; k < 2; ++k)
        lines[k].second->write(stated[k]);
}

void set_fast_port_access(bool on) {
    settings::fast_port_access_setting.write(on ? 1 : 0);
    Module94::port_pacing.fast = on;
}

void change_port_delay() {
    const std::string answer =
        core::myinputbox("Enter the wait after every port write in microseconds [0-" +
                             std::to_string(settings::largest_port_delay_us) +
                             "], for adapters with slow buffers or opto-couplers; 0 for none.",
                         core::app_title, std::to_string(Module94::port_pacing.delay_us));
    const std::string text = core::without_blanks_around(answer);
    if (text.empty())
        return;
    const auto delay = core::whole_number(text, 0, settings::largest_port_delay_us);
    if (!delay) {
        wrong_entry();
        return;
    }
    Module94::port_pacing.delay_us = static_cast<std::int32_t>(*delay);
    settings::port_delay_setting.write(Module94::port_pacing.delay_us);
}

void show_pinout() {
    core::mymsgbox(pinout_text(), core::msg_plain, core::app_title);
}

void show_about() {
    core::mymsgbox(about_text(), core::msg_plain, core::app_title);
}

void show_color_themes(const std::function<void()>& repaint_main) {
    Form34 dialog(repaint_main);
    dialog.exec();
}

} // namespace ui
