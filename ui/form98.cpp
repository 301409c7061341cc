// Form98: the hardware check dialog.
#include "ui/form98.h"

#include "hardware/port_lines.h"
#include "ui/dialog_geometry.h"
#include "ui/hardware_lines.h"
#include "ui/theme_paint.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <string>

namespace ui {

namespace {

namespace geometry = dialog_geometry;
using Module94::port_settings;

constexpr std::uint32_t window_grey = 0xC0C0C0;
constexpr std::uint32_t box_grey = 0xE0E0E0;
constexpr int poll_interval_ms = 50;

struct check_box_line {
    const char* caption; // design caption; the prefix is this followed by " ("
    void (*on)();
    void (*off)();
};

// Check1 to Check5; DATA IN has no switch.
constexpr std::array<check_box_line, 5> boxes{{
    {"Enable VDD line", Module94::vdd_on, Module94::vdd_off},
    {"Enable VPP line", Module94::vpp_on, Module94::vpp_off},
    {"Enable CLOCK line", Module94::clock_high, Module94::clock_low},
    {"Enable DATA OUT line", Module94::data_high, Module94::data_low},
    {"Status of DATA IN line", nullptr, nullptr},
}};

void all_outputs_off() {
    Module94::vdd_off();
    Module94::vpp_off();
    Module94::clock_low();
    Module94::data_low();
}

std::string pin_caption(std::size_t k, std::int32_t pin) {
    return std::string(boxes[k].caption) + " (" + Module94::pin_bit_name(pin) + ")";
}

} // namespace

Form98::Form98() {
    setObjectName(QStringLiteral("Form98"));
    setWindowTitle(QStringLiteral("Check Hardware"));
    setFont(geometry::dialog_font());
    theme_paint::set_background(this, window_grey);

    const auto lines = hardware_lines::lines();
    int check_width = geometry::pixels(2535);
    for (std::size_t k = 0; k < 5; ++k) {
        auto* box = new QCheckBox(QString::fromUtf8(boxes[k].caption), this);
        box->setObjectName(QStringLiteral("Check%1").arg(k + 1));
        theme_paint::set_background(box, box_grey);
        for (const char* pin : lines[k].accepted_pins) {
            box->setText(QString::fromStdString(pin_caption(k, std::stoi(pin))));
            check_width = std::max(check_width, box->sizeHint().width());
        }
        checks_[k] = box;
        if (k < 4)
            connect(box, &QCheckBox::clicked, this,
                    [this, k] { Check_Click(static_cast<int>(k)); });
        else
            connect(box, &QCheckBox::clicked, this, [this] { Check5_Click(); });
    }
    Command1 = new QPushButton(QStringLiteral("Close"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    connect(Command1, &QPushButton::clicked, this, [this] { accept(); });

    // The design layout, widened where the system font needs more room than the original.
    const int extra = check_width - geometry::pixels(2535);
    for (std::size_t k = 0; k < 5; ++k) {
        const QRect design = geometry::rect(60, 60 + 420 * static_cast<int>(k), 2535, 315);
        checks_[k]->setGeometry(design.x(), design.y(), check_width,
                                std::max(design.height(), checks_[k]->sizeHint().height()));
    }
    const QRect button = geometry::rect(1860, 2160, 735, 315);
    const int button_width = std::max(button.width(), Command1->sizeHint().width());
    Command1->setGeometry(button.right() + 1 + extra - button_width, button.y(), button_width,
                          std::max(button.height(), Command1->sizeHint().height()));
    setFixedSize(
        geometry::pixels(2655) + extra,
        std::max(geometry::pixels(2535), Command1->geometry().bottom() + 1 + geometry::pixels(60)));

    // Loading: outputs off (the four boxes start unchecked), captions, then the poll.
    all_outputs_off();
    showpins();
    Command1->setFocus();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(poll_interval_ms);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1->start();
}

void Form98::showpins() {
    const std::array<std::int32_t, 5> pins{port_settings.pin_vdd, port_settings.pin_vpp,
                                           port_settings.pin_clock, port_settings.pin_dataout,
                                           port_settings.pin_datain};
    for (std::size_t k = 0; k < 5; ++k)
        checks_[k]->setText(QString::fromStdString(pin_caption(k, pins[k])));
}

void Form98::Check_Click(int row) {
    if (closed_) // a click that arrived while closing must not switch a line on again
        return;
    const check_box_line& line = boxes[static_cast<std::size_t>(row)];
    if (checks_[static_cast<std::size_t>(row)]->isChecked())
        line.on();
    else
        line.off();
}

void Form98::Timer1_Timer() {
    if (closed_)
        return;
    const std::int32_t level = Module94::read_data_in();
    if (!closed_)
        checks_[4]->setChecked(level == 1);
}

void Form98::Check5_Click() {
    const std::int32_t level = Module94::read_data_in();
    checks_[4]->setChecked(level == 1);
    Command1->setFocus();
}

void Form98::done(int result) {
    if (!closed_) {
        closed_ = true;
        Timer1->stop();
        all_outputs_off();
    }
    QDialog::done(result);
}

} // namespace ui
