// The programmer lines' allowed pins and their texts, and the hardware dialogs' frame.
#include "ui/hardware_lines.h"

#include "hardware/connector_pins.h"
#include "hardware/port_lines.h"
#include "ui/dialog_geometry.h"
#include "ui/theme_paint.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>

#include <algorithm>

namespace ui::hardware_lines {

namespace {

namespace geometry = dialog_geometry;

constexpr std::uint32_t window_grey = 0xC0C0C0;
constexpr std::uint32_t box_grey = 0xE0E0E0;
constexpr int design_check_width = 2535;

} // namespace

std::string pin_list(const std::vector<std::int32_t>& pins) {
    std::string text;
    for (std::size_t i = 0; i < pins.size(); ++i) {
        std::size_t last = i;
        while (last + 1 < pins.size() && pins[last + 1] == pins[last] + 1)
            ++last;
        text += (text.empty() ? "" : ",") + std::to_string(pins[i]);
        if (last - i >= 2) { // a pair is listed pin by pin
            text += '-' + std::to_string(pins[last]);
            i = last;
        }
    }
    return text;
}

std::vector<std::int32_t> accepted_pins(const settings::wiring_line& line) {
    return hardware::pins_of(line.input ? hardware::pin_direction::input
                                        : hardware::pin_direction::output);
}

std::string pin_caption(const std::string& caption, std::int32_t pin) {
    return caption + " (" + Module94::pin_bit_name(pin) + ")";
}

void begin_dialog(QDialog* dialog, const char* object_name, const char* title) {
    dialog->setObjectName(QString::fromLatin1(object_name));
    dialog->setWindowTitle(QString::fromLatin1(title));
    dialog->setFont(geometry::dialog_font());
    theme_paint::set_background(dialog, window_grey);
}

QCheckBox* line_check_box(QDialog* dialog, std::size_t row, const std::string& caption,
                          int& width) {
    std::vector<std::string> captions;
    for (const std::int32_t pin : accepted_pins(settings::wiring_lines[row]))
        captions.push_back(pin_caption(caption, pin));
    return line_check_box(dialog, row, captions, width);
}

QCheckBox* line_check_box(QDialog* dialog, std::size_t row,
                          const std::vector<std::string>& captions, int& width) {
    auto* box = new QCheckBox(dialog);
    box->setObjectName(QStringLiteral("Check%1").arg(row + 1));
    theme_paint::set_background(box, box_grey);
    width = std::max(width, geometry::pixels(design_check_width));
    for (const std::string& caption : captions) {
        box->setText(QString::fromStdString(caption));
        width = std::max(width, box->sizeHint().width());
    }
    return box;
}

QPushButton* close_button(QDialog* dialog) {
    auto* button = new QPushButton(QStringLiteral("Close"), dialog);
    button->setObjectName(QStringLiteral("Command1"));
    QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
    return button;
}

void lay_out(QDialog* dialog, const std::array<QCheckBox*, 5>& checks, int check_width,
             QPushButton* button, int button_left, int client_width, int extra) {
    for (std::size_t k = 0; k < checks.size(); ++k) {
        const QRect design =
            geometry::rect(60, 60 + 420 * static_cast<int>(k), design_check_width, 315);
        checks[k]->setGeometry(design.x(), design.y(), check_width,
                               std::max(design.height(), checks[k]->sizeHint().height()));
    }
    extra += check_width - geometry::pixels(design_check_width);
    const QRect design = geometry::rect(button_left, 2160, 735, 315);
    const int button_width = std::max(design.width(), button->sizeHint().width());
    button->setGeometry(design.right() + 1 + extra - button_width, design.y(), button_width,
                        std::max(design.height(), button->sizeHint().height()));
    dialog->setFixedSize(
        geometry::pixels(client_width) + extra,
        std::max(geometry::pixels(2535), button->geometry().bottom() + 1 + geometry::pixels(60)));
}

} // namespace ui::hardware_lines
