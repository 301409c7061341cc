// Form99: the hardware settings dialog (pins and inversion of the programmer lines).
#include "ui/form99.h"

#include "core/host_hooks.h"
#include "hardware/adapter_choice.h"
#include "hardware/ftdi_stream.h"
#include "hardware/gpio_line_driver.h"
#include "hardware/port_lines.h"
#include "settings/settings_store.h"
#include "ui/dialog_geometry.h"
#include "ui/hardware_lines.h"
#include "ui/table_widgets.h"
#include "ui/theme_paint.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace ui {

namespace {

namespace geometry = dialog_geometry;
using Module94::port_settings;
using settings::wiring_lines;

constexpr std::uint32_t pin_label_green = 0xC0FFC0;

std::string check_caption(const settings::wiring_line& line) {
    return std::string("Invert ") + line.name + " line";
}

// "Invert DATA IN line: D3 (CTS)", "Invert VDD line: not connected".
std::string ftdi_caption(const settings::ftdi_wiring_line& line, std::int32_t bit) {
    return std::string("Invert ") + line.name + " line: " + hardware::ftdi_pin_name(bit);
}

// Every caption line `row` may show on an FTDI board.
std::vector<std::string> ftdi_captions(std::size_t row) {
    const settings::ftdi_wiring_line& line = settings::ftdi_wiring_lines[row];
    std::vector<std::string> captions;
    for (std::int32_t bit = line.may_be_unconnected ? -1 : 0; bit < 8; ++bit)
        captions.push_back(ftdi_caption(line, bit));
    return captions;
}

// "Invert CLOCK line: line 23", "Invert VDD line: not connected".
std::string gpio_caption(const settings::gpio_wiring_line& line, std::int32_t offset) {
    return std::string("Invert ") + line.name + " line: " + hardware::gpio_line_name(offset);
}

// The widest captions line `row` may show on a GPIO chip.
std::vector<std::string> gpio_captions(std::size_t row) {
    const settings::gpio_wiring_line& line = settings::gpio_wiring_lines[row];
    return {gpio_caption(line, -1), gpio_caption(line, settings::highest_gpio_offset)};
}

// Asks for a line's new pin or line with `prompt`, showing `current`. The answer must be
// one of `lowest`..`highest` as plain decimal text; anything else is refused with "Wrong
// entry!". nullopt when cancelled or refused.
std::optional<std::int32_t> ask_number(const std::string& prompt, std::int32_t current,
                                       std::int32_t lowest, std::int32_t highest) {
    const std::string answer = core::myinputbox(prompt, core::app_title, std::to_string(current));
    if (answer.empty())
        return std::nullopt;
    for (std::int32_t accepted = lowest; accepted <= highest; ++accepted)
        if (answer == std::to_string(accepted))
            return accepted;
    core::mymsgbox("Wrong entry!", core::msg_error, core::app_title);
    return std::nullopt;
}

// Refuses a wiring whose lines clash ("Wrong entry: CLOCK and DATA IN are both on ...").
bool clash_refused(const std::string& clash) {
    if (!clash.empty())
        core::mymsgbox("Wrong entry: " + clash + ".", core::msg_error, core::app_title);
    return !clash.empty();
}

} // namespace

Form99::Form99() {
    const hardware::adapter_kind kind = hardware::stored_adapter().kind;
    ftdi_ = kind == hardware::adapter_kind::ftdi;
    gpio_ = kind == hardware::adapter_kind::gpio;
    if (ftdi_)
        ftdi_wiring_ = settings::read_stored_ftdi_wiring();
    if (gpio_)
        gpio_wiring_ = settings::read_stored_gpio_wiring();
    hardware_lines::begin_dialog(this, "Form99", "Hardware Settings");
    int check_width = 0;
    int label_width = geometry::pixels(975);
    for (int k = 0; k < 5; ++k) {
        const auto row = static_cast<std::size_t>(k);
        checks_[row] =
            ftdi_   ? hardware_lines::line_check_box(this, row, ftdi_captions(row), check_width)
            : gpio_ ? hardware_lines::line_check_box(this, row, gpio_captions(row), check_width)
                    : hardware_lines::line_check_box(this, row, check_caption(wiring_lines[row]),
                                                     check_width);
        connect(checks_[row], &QCheckBox::clicked, this, [this, k] { Check_Click(k); });

        auto* label = new click_label(QStringLiteral("Change Pin"), this);
        label->setCursor(Qt::PointingHandCursor);
        label->setObjectName(QStringLiteral("Label%1").arg(k + 1));
        label->setAlignment(Qt::AlignCenter);
        theme_paint::set_background(label, pin_label_green);
        label_width = std::max(label_width, label->sizeHint().width());
        label->on_click = [this, k] { Label_Click(k); };
        labels_[row] = label;
    }
    Command1 = hardware_lines::close_button(this);
    if (gpio_) {
        // Below the five lines, left of Close.
        int width = 0;
        pull_up_ = hardware_lines::line_check_box(
            this, 5, std::vector<std::string>{"DATA IN pull-up"}, width);
        const QRect design = geometry::rect(60, 60 + 420 * 5, 2535, 315);
        pull_up_->setGeometry(design.x(), design.y(), width,
                              std::max(design.height(), pull_up_->sizeHint().height()));
        pull_up_->setChecked(gpio_wiring_.data_in_pull_up);
        connect(pull_up_, &QCheckBox::clicked, this, [this](bool on) {
            gpio_wiring_.data_in_pull_up = on;
            store_gpio_wiring();
        });
    }

    const int extra_check = check_width - geometry::pixels(2535);
    const int extra_label = label_width - geometry::pixels(975);
    for (int k = 0; k < 5; ++k) {
        click_label* label = labels_[static_cast<std::size_t>(k)];
        const QRect design = geometry::rect(2640, 120 + 420 * k, 975, 195);
        const int height = std::max(design.height(), label->sizeHint().height());
        label->setGeometry(design.x() + extra_check, design.center().y() - height / 2 + 1,
                           label_width, height);
    }
    hardware_lines::lay_out(this, checks_, check_width, Command1, 2880, 3675, extra_label);

    // Loading: lines off, boxes from the inversion flags, captions with the pins.
    linesoff();
    for (std::size_t k = 0; k < 5; ++k)
        checks_[k]->setChecked(ftdi_ ? (ftdi_wiring_.*settings::ftdi_wiring_lines[k].line).inverted
                               : gpio_
                                   ? (gpio_wiring_.*settings::gpio_wiring_lines[k].line).inverted
                                   : port_settings.*wiring_lines[k].invert != 0);
    showpins();
    Command1->setFocus();
}

void Form99::linesoff() {
    Module94::vdd_off();
    Module94::vpp_off();
    Module94::clock_low();
    Module94::data_low();
}

void Form99::showpins() {
    for (std::size_t k = 0; k < 5; ++k) {
        const auto& ftdi_line = settings::ftdi_wiring_lines[k];
        const auto& gpio_line = settings::gpio_wiring_lines[k];
        checks_[k]->setText(QString::fromStdString(
            ftdi_   ? ftdi_caption(ftdi_line, (ftdi_wiring_.*ftdi_line.line).bit)
            : gpio_ ? gpio_caption(gpio_line, (gpio_wiring_.*gpio_line.line).offset)
                    : hardware_lines::pin_caption(check_caption(wiring_lines[k]),
                                                  port_settings.*wiring_lines[k].pin)));
    }
}

void Form99::store_ftdi_wiring() {
    settings::write_stored_ftdi_wiring(ftdi_wiring_);
    ftdi_changed_ = true;
}

void Form99::store_gpio_wiring() {
    settings::write_stored_gpio_wiring(gpio_wiring_);
    gpio_changed_ = true;
}

void Form99::Check_Click(int row) {
    const auto& line = wiring_lines[static_cast<std::size_t>(row)];
    const std::int32_t inverted = checks_[static_cast<std::size_t>(row)]->isChecked() ? 1 : 0;
    if (gpio_) {
        (gpio_wiring_.*settings::gpio_wiring_lines[static_cast<std::size_t>(row)].line).inverted =
            inverted != 0;
        store_gpio_wiring();
        linesoff();
        return;
    }
    if (ftdi_) {
        (ftdi_wiring_.*settings::ftdi_wiring_lines[static_cast<std::size_t>(row)].line).inverted =
            inverted != 0;
        store_ftdi_wiring();
        linesoff();
        return;
    }
    port_settings.*line.invert = inverted;
    settings::write_setting_text(line.invert_setting, std::to_string(inverted));
    linesoff();
}

// An FTDI pin by its bit number, -1 for none where the line may have none; a pin another
// line uses is refused with the clash named.
void Form99::ftdi_pin_entry(int row) {
    const auto& line = settings::ftdi_wiring_lines[static_cast<std::size_t>(row)];
    std::string pins;
    for (std::int32_t bit = 0; bit < 8; ++bit)
        pins += (bit == 0 ? "" : ", ") + hardware::ftdi_pin_name(bit);
    const std::string prompt = std::string("Enter new FTDI pin for ") + line.name +
                               " line [0-7 for " + pins +
                               (line.may_be_unconnected ? "; -1 for not connected" : "") + "].";
    const std::optional<std::int32_t> bit =
        ask_number(prompt, (ftdi_wiring_.*line.line).bit, line.may_be_unconnected ? -1 : 0, 7);
    if (!bit)
        return;
    settings::ftdi_wiring tried = ftdi_wiring_;
    (tried.*line.line).bit = *bit;
    if (clash_refused(hardware::ftdi_wiring_problem(tried)))
        return;
    ftdi_wiring_ = tried;
    store_ftdi_wiring();
    showpins();
    linesoff();
}

// A GPIO line by its offset on the chip, -1 for none where the line may have none; a line
// another line uses is refused with the clash named. Whether the chip has that many lines
// is checked when the adapter opens.
void Form99::gpio_line_entry(int row) {
    const auto& line = settings::gpio_wiring_lines[static_cast<std::size_t>(row)];
    const std::string prompt = std::string("Enter new GPIO line for ") + line.name + " line [0-" +
                               std::to_string(settings::highest_gpio_offset) +
                               ", the line's offset on the chip" +
                               (line.may_be_unconnected ? "; -1 for not connected" : "") + "].";
    const std::optional<std::int32_t> offset =
        ask_number(prompt, (gpio_wiring_.*line.line).offset, line.may_be_unconnected ? -1 : 0,
                   settings::highest_gpio_offset);
    if (!offset)
        return;
    settings::gpio_wiring tried = gpio_wiring_;
    (tried.*line.line).offset = *offset;
    if (clash_refused(hardware::gpio_wiring_problem(tried)))
        return;
    gpio_wiring_ = tried;
    store_gpio_wiring();
    showpins();
    linesoff();
}

void Form99::Label_Click(int row) {
    if (ftdi_) {
        ftdi_pin_entry(row);
        return;
    }
    if (gpio_) {
        gpio_line_entry(row);
        return;
    }
    const auto& line = wiring_lines[static_cast<std::size_t>(row)];
    const std::string prompt = std::string("Enter new parallel port pin for ") + line.name +
                               " line [" +
                               hardware_lines::pin_list(hardware_lines::accepted_pins(line)) + "].";
    const std::string answer =
        core::myinputbox(prompt, core::app_title, std::to_string(port_settings.*line.pin));
    if (answer.empty())
        return;
    std::int32_t pin = 0; // the answer must be exactly one of the line's pins
    for (const std::int32_t accepted : hardware_lines::accepted_pins(line))
        if (answer == std::to_string(accepted))
            pin = accepted;
    if (pin == 0) {
        core::mymsgbox("Wrong entry!", core::msg_error, core::app_title);
        return;
    }
    port_settings.*line.pin = pin;
    settings::write_setting_text(line.pin_setting, std::to_string(pin));
    showpins();
    linesoff();
}

void Form99::done(int result) {
    if (!closed_) {
        closed_ = true;
        linesoff();
    }
    QDialog::done(result);
}

} // namespace ui
