// Form98: the hardware check dialog.
#include "ui/form98.h"

#include "hardware/port_lines.h"
#include "ui/form99.h"
#include "ui/hardware_lines.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <string>

namespace ui {

namespace {

using settings::wiring_lines;

constexpr int poll_interval_ms = 50;

// The switches of Check1 to Check4; DATA IN has none.
struct line_switch {
    void (*on)();
    void (*off)();
};
constexpr std::array<line_switch, 4> switches{{
    {Module94::vdd_on, Module94::vdd_off},
    {Module94::vpp_on, Module94::vpp_off},
    {Module94::clock_high, Module94::clock_low},
    {Module94::data_high, Module94::data_low},
}};

std::string check_caption(const settings::wiring_line& line) {
    return std::string(line.input ? "Status of " : "Enable ") + line.name + " line";
}

} // namespace

Form98::Form98() {
    hardware_lines::begin_dialog(this, "Form98", "Check Hardware");
    int check_width = 0;
    for (std::size_t k = 0; k < 5; ++k) {
        checks_[k] =
            hardware_lines::line_check_box(this, k, check_caption(wiring_lines[k]), check_width);
        if (k < 4)
            connect(checks_[k], &QCheckBox::clicked, this,
                    [this, k] { Check_Click(static_cast<int>(k)); });
        else
            connect(checks_[k], &QCheckBox::clicked, this, [this] { Check5_Click(); });
    }
    Command1 = hardware_lines::close_button(this);
    hardware_lines::lay_out(this, checks_, check_width, Command1, 1860, 2655, 0);

    // Loading: outputs off (the four boxes start unchecked), captions, then the poll.
    Form99::linesoff();
    showpins();
    Command1->setFocus();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(poll_interval_ms);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1->start();
}

void Form98::showpins() {
    for (std::size_t k = 0; k < 5; ++k)
        checks_[k]->setText(QString::fromStdString(hardware_lines::pin_caption(
            check_caption(wiring_lines[k]), Module94::port_settings.*wiring_lines[k].pin)));
}

void Form98::Check_Click(int row) {
    if (closed_) // a click that arrived while closing must not switch a line on again
        return;
    const line_switch& line = switches[static_cast<std::size_t>(row)];
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
        Form99::linesoff();
    }
    QDialog::done(result);
}

} // namespace ui
