// The port selection dialog.
#include "ui/port_dialog.h"

#include "core/host_hooks.h"
#include "hardware/port_lines.h"
#include "settings/setting_names.h"
#include "ui/color_theme.h"
#include "ui/message_text_view.h"
#include "ui/port_session.h"
#include "ui/table_widgets.h"
#include "ui/theme_paint.h"
#include "ui/window_icon.h"
#include "ui/window_scale.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace ui {

namespace {

// Design layout, in twips.
constexpr int client_width = 7380;
constexpr int row_left = 120, row_width = 7140, row_height = 255, row_step = 270;
constexpr int heading_top = 120, first_row_top = 420;
constexpr std::array<int, 4> column_left{60, 1620, 2520, 5580};
constexpr std::array<int, 4> column_width{1500, 840, 3000, 1500};
constexpr int button_width = 1035, button_height = 375, bottom_margin = 120;

// Four labels across `row`, one per column, that leave the clicks to the row.
std::vector<QLabel*> add_cells(QWidget* row, const std::array<QString, 4>& texts) {
    const twips_scale& scale = window_scale();
    std::vector<QLabel*> cells;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        auto* cell = new QLabel(texts[k], row);
        cell->setAttribute(Qt::WA_TransparentForMouseEvents);
        scale.place(cell, column_left[k], 0, column_width[k], row_height);
        cells.push_back(cell);
    }
    return cells;
}

QString line_of(const std::string& what, const hardware::access_verdict& verdict) {
    QString text = QString::fromStdString(what + verdict.reason);
    if (!verdict.fix.empty())
        text += QStringLiteral("\nFix: ") + QString::fromStdString(verdict.fix);
    return text;
}

} // namespace

QString port_details(const hardware::parport_info& port) {
    if (port.ppdev.usable())
        return QString::fromStdString(port.device + " can be used.");
    QString text = line_of("", port.ppdev);
    if (port.raw_io)
        text += port.raw_io->usable()
                    ? QStringLiteral("\nRaw port I/O is permitted: the port "
                                     "can be used that way.")
                    : QStringLiteral("\n") + line_of("Raw port I/O: ", *port.raw_io);
    return text;
}

QString adapter_details(const hardware::adapter_listing& adapter) {
    if (adapter.usable)
        return QString::fromStdString(adapter.spec + " can be used.");
    return line_of("", {hardware::port_error::permission_denied, adapter.reason, adapter.fix});
}

port_dialog::port_dialog(std::vector<hardware::parport_info> ports,
                         hardware::access_verdict none_listed,
                         std::vector<hardware::adapter_listing> adapters)
    : ports_(std::move(ports)), none_listed_(std::move(none_listed)),
      adapters_(std::move(adapters)) {
    setWindowTitle(QStringLiteral("Select Parallel Port"));
    setWindowIcon(program_icon());
    setFont(window_font());
    const twips_scale& scale = window_scale();

    heading_ = new QLabel(this);
    scale.place(heading_, row_left, heading_top, row_width, row_height);
    add_cells(heading_, {QStringLiteral("Device"), QStringLiteral("Address"),
                         QStringLiteral("Modes"), QStringLiteral("Usable")});

    const hardware::adapter_spec current = hardware::stored_adapter();
    const auto add_row = [&](const std::array<QString, 4>& texts, bool is_current) {
        auto* entry = new click_label(this);
        const int index = static_cast<int>(rows_.size());
        scale.place(entry, row_left, first_row_top + row_step * index, row_width, row_height);
        add_cells(entry, texts);
        entry->setCursor(Qt::PointingHandCursor);
        entry->on_click = [this, index] { row_Click(index); };
        entry->on_double_click = [this, index] { row_DblClick(index); };
        rows_.push_back(entry);
        if (is_current && selected_ < 0)
            selected_ = index;
    };
    const bool parallel = hardware::register_level(current.kind);
    for (const hardware::parport_info& port : ports_)
        add_row({QString::fromStdString(port.device),
                 QString::fromStdString(hardware::address_text(port.base)),
                 QString::fromStdString(port.modes.empty() ? "-" : port.modes),
                 QString::fromStdString(hardware::access_summary(port))},
                parallel && port.base == Module94::port_settings.port_base);
    for (const hardware::adapter_listing& adapter : adapters_)
        add_row({QString::fromStdString(adapter.spec),
                 hardware::parse_adapter(adapter.spec).adapter.kind == hardware::adapter_kind::gpio
                     ? QStringLiteral("GPIO")
                     : QStringLiteral("USB"),
                 QString::fromStdString(adapter.description),
                 adapter.usable ? QStringLiteral("yes") : QStringLiteral("no")},
                hardware::adapter_text(current) == adapter.spec);

    const int rows_end = first_row_top + row_step * static_cast<int>(rows_.size());
    details_top_ = rows_end + 120;
    details_ = new message_text_view(this);
    details_->setFont(message_font());
    scale.place(details_, row_left, details_top_, row_width, row_height);

    Command1 = new QPushButton(QStringLiteral("Select"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setDefault(true);
    Command2->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    settheme();
    showselection();
}

void port_dialog::settheme() {
    theme_paint::set_background(this, color_window);
    theme_paint::set_background(heading_, color_heading);
    theme_paint::set_text_color(heading_, color_heading_text);
    theme_paint::set_background(details_, color_info);
    theme_paint::set_text_color(details_, color_info_text);
}

// Highlights the chosen row, says what stands in its way, and fits the window to that.
void port_dialog::showselection() {
    for (std::size_t k = 0; k < rows_.size(); ++k) {
        const bool chosen = static_cast<int>(k) == selected_;
        theme_paint::set_background(rows_[k], chosen ? color_selected : color_field);
        theme_paint::set_text_color(rows_[k], chosen ? color_selected_text : color_field_text);
    }
    QString text;
    if (selected_ >= static_cast<int>(ports_.size())) {
        text = adapter_details(adapters_[static_cast<std::size_t>(selected_) - ports_.size()]);
    } else if (ports_.empty()) {
        text = QStringLiteral("No parallel port is listed.");
        if (!none_listed_.reason.empty())
            text += QStringLiteral("\n") + line_of("", none_listed_);
    } else if (selected_ < 0) {
        text = QStringLiteral("Click the port the programmer is connected to.");
    } else {
        text = port_details(ports_[static_cast<std::size_t>(selected_)]);
    }
    details_->set_text(text);
    Command1->setEnabled(selected_ >= 0);

    const twips_scale& scale = window_scale();
    const int height = details_->height_for(details_->width()) + scale.length(60);
    details_->resize(details_->width(), height);
    const int buttons_top = details_->y() + height + scale.length(180);
    const QRect select =
        scale.rect(client_width - 120 - button_width, 0, button_width, button_height);
    Command1->setGeometry(select.x(), buttons_top, select.width(), select.height());
    Command2->setGeometry(select.x() - select.width() - scale.length(105), buttons_top,
                          select.width(), select.height());
    setFixedSize(scale.length(client_width),
                 buttons_top + select.height() + scale.length(bottom_margin));
}

void port_dialog::row_Click(int index) {
    selected_ = index;
    showselection();
}

void port_dialog::row_DblClick(int index) {
    row_Click(index);
    Command1_Click();
}

void port_dialog::Command1_Click() {
    if (selected_ < 0)
        return;
    const auto index = static_cast<std::size_t>(selected_);
    if (index < ports_.size()) {
        const std::int32_t base = ports_[index].base;
        Module94::port_settings.port_base = base;
        hardware::store_adapter({hardware::adapter_kind::parallel, hardware::address_text(base)});
    } else {
        hardware::store_adapter(
            hardware::parse_adapter(adapters_[index - ports_.size()].spec).adapter);
    }
    done(QDialog::Accepted);
    // The status line now names the new port, or says why it cannot be used.
    core::set_status(reopen_port());
}

void port_dialog::Command2_Click() {
    done(QDialog::Rejected);
}

click_label* port_dialog::row(int index) const {
    if (index < 0 || index >= static_cast<int>(rows_.size()))
        return nullptr;
    return rows_[static_cast<std::size_t>(index)];
}

std::vector<QLabel*> port_dialog::cells(int index) const {
    const QWidget* owner = index < 0 ? static_cast<QWidget*>(heading_) : row(index);
    if (owner == nullptr)
        return {};
    const QList<QLabel*> found = owner->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    return {found.begin(), found.end()};
}

} // namespace ui
