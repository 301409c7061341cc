// Form99: the hardware settings dialog (pins and inversion of the programmer lines).
#include "ui/form99.h"

#include "core/host_hooks.h"
#include "hardware/port_lines.h"
#include "settings/settings_store.h"
#include "ui/dialog_geometry.h"
#include "ui/hardware_lines.h"
#include "ui/table_widgets.h"
#include "ui/theme_paint.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>
#include <string>

namespace ui {

namespace {

namespace geometry = dialog_geometry;
using Module94::port_settings;

constexpr std::uint32_t window_grey = 0xC0C0C0;
constexpr std::uint32_t box_grey = 0xE0E0E0;
constexpr std::uint32_t pin_label_green = 0xC0FFC0;

std::string caption_prefix(const hardware_lines::line_info& line) {
    return std::string("Invert ") + line.line_name + " line (";
}

std::string pin_caption(const hardware_lines::line_info& line) {
    return caption_prefix(line) + Module94::pin_bit_name(port_settings.*line.pin) + ")";
}

// Width a check box needs for the widest caption its line can get.
int widest_caption(QCheckBox* box, const hardware_lines::line_info& line) {
    int widest = 0;
    for (const char* pin : line.accepted_pins) {
        box->setText(QString::fromStdString(caption_prefix(line) +
                                            Module94::pin_bit_name(std::stoi(pin)) + ")"));
        widest = std::max(widest, box->sizeHint().width());
    }
    return widest;
}

} // namespace

Form99::Form99() {
    setObjectName(QStringLiteral("Form99"));
    setWindowTitle(QStringLiteral("Hardware Settings"));
    setFont(geometry::dialog_font());
    theme_paint::set_background(this, window_grey);

    const auto lines = hardware_lines::lines();
    int check_width = geometry::pixels(2535);
    int label_width = geometry::pixels(975);
    for (int k = 0; k < 5; ++k) {
        const auto& line = lines[static_cast<std::size_t>(k)];
        auto* box = new QCheckBox(
            QString::fromStdString(std::string("Invert ") + line.line_name + " line"), this);
        box->setObjectName(QStringLiteral("Check%1").arg(k + 1));
        theme_paint::set_background(box, box_grey);
        check_width = std::max(check_width, widest_caption(box, line));
        checks_[static_cast<std::size_t>(k)] = box;
        connect(box, &QCheckBox::clicked, this, [this, k] { Check_Click(k); });

        auto* label = new click_label(QStringLiteral("Change Pin"), this);
        label->setCursor(Qt::PointingHandCursor);
        label->setObjectName(QStringLiteral("Label%1").arg(k + 1));
        label->setAlignment(Qt::AlignCenter);
        theme_paint::set_background(label, pin_label_green);
        label_width = std::max(label_width, label->sizeHint().width());
        label->on_click = [this, k] { Label_Click(k); };
        labels_[static_cast<std::size_t>(k)] = label;
    }
    Command1 = new QPushButton(QStringLiteral("Close"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    connect(Command1, &QPushButton::clicked, this, [this] { accept(); });

    // The design layout, widened where the system font needs more room than the original.
    const int extra_check = check_width - geometry::pixels(2535);
    const int extra_label = label_width - geometry::pixels(975);
    for (int k = 0; k < 5; ++k) {
        QCheckBox* box = checks_[static_cast<std::size_t>(k)];
        const QRect check = geometry::rect(60, 60 + 420 * k, 2535, 315);
        box->setGeometry(check.x(), check.y(), check_width,
                         std::max(check.height(), box->sizeHint().height()));
        click_label* label = labels_[static_cast<std::size_t>(k)];
        const QRect design = geometry::rect(2640, 120 + 420 * k, 975, 195);
        const int height = std::max(design.height(), label->sizeHint().height());
        label->setGeometry(design.x() + extra_check, design.center().y() - height / 2 + 1,
                           label_width, height);
    }
    // The button keeps its right edge; a wider caption grows it to the left.
    const QRect button = geometry::rect(2880, 2160, 735, 315);
    const int button_width = std::max(button.width(), Command1->sizeHint().width());
    Command1->setGeometry(button.right() + 1 + extra_check + extra_label - button_width, button.y(),
                          button_width, std::max(button.height(), Command1->sizeHint().height()));
    setFixedSize(
        geometry::pixels(3675) + extra_check + extra_label,
        std::max(geometry::pixels(2535), Command1->geometry().bottom() + 1 + geometry::pixels(60)));

    // Loading: lines off, boxes from the inversion flags, captions with the pins.
    linesoff();
    for (int k = 0; k < 5; ++k)
        checks_[static_cast<std::size_t>(k)]->setChecked(
            port_settings.*lines[static_cast<std::size_t>(k)].invert != 0);
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
    const auto lines = hardware_lines::lines();
    for (std::size_t k = 0; k < 5; ++k)
        checks_[k]->setText(QString::fromStdString(pin_caption(lines[k])));
}

void Form99::Check_Click(int row) {
    const auto& line = hardware_lines::lines()[static_cast<std::size_t>(row)];
    const std::int32_t inverted = checks_[static_cast<std::size_t>(row)]->isChecked() ? 1 : 0;
    port_settings.*line.invert = inverted;
    settings::write_setting_text(line.invert_value_name, std::to_string(inverted));
    linesoff();
}

void Form99::Label_Click(int row) {
    const auto& line = hardware_lines::lines()[static_cast<std::size_t>(row)];
    const std::string prompt = std::string("Enter new parallel port pin for ") + line.line_name +
                               " line " + line.pin_range + ".";
    const std::string answer =
        core::myinputbox(prompt, core::app_title, std::to_string(port_settings.*line.pin));
    if (answer.empty())
        return;
    const std::int32_t pin = hardware_lines::accepted_pin(line, answer);
    if (pin == 0) {
        core::mymsgbox("Wrong entry!", core::msg_error, core::app_title);
        return;
    }
    port_settings.*line.pin = pin;
    settings::write_setting_text(line.pin_value_name, std::to_string(pin));
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
