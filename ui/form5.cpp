// The model selection dialog. Each entry's tool tip gives the model's sizes and, where the
// database states them, its VDD and VPP ranges. A model the database gives impossible
// sizes is listed but cannot be chosen: its entry says why.
#include "ui/form5.h"

#include "core/host_hooks.h"
#include "devices/model_select.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "settings/setting_names.h"
#include "ui/color_theme.h"
#include "ui/table_widgets.h"
#include "ui/theme_paint.h"
#include "ui/window_icon.h"
#include "ui/window_scale.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace ui {

namespace {

// Design layout, in twips.
constexpr int client_width = 4575;
constexpr int client_height = 9075;
constexpr int entry_left[2] = {120, 2340};
constexpr int entry_width = 2115, entry_height = 255;
constexpr int first_row_top = 120, row_step = 240;
constexpr int rows_in_view = 35; // seventy entries
constexpr int button_top = 8640, button_width = 1035, button_height = 375;

int row_top(int row) {
    return first_row_top + row_step * row;
}

} // namespace

Form5::Form5(const devices::device_table& table) : table_(table) {
    setWindowTitle(QStringLiteral("Select Microcontroller"));
    setWindowIcon(program_icon());
    setFont(window_font());
    const twips_scale& scale = window_scale();
    bottom_margin_ = client_height - button_top;

    // The list: one entry per model, read left to right, then down.
    const int count = std::max(table.model_count(), 0);
    const int rows = std::max(1, (count + 1) / 2);
    auto* list_panel = new QWidget;
    list_panel->setFixedSize(scale.length(client_width),
                             scale.length(row_top(rows - 1) + entry_height + 60));
    for (int i = 1; i <= count; ++i) {
        const devices::device_model& model = table.models[static_cast<std::size_t>(i)];
        auto* entry = new click_label(list_panel);
        scale.place(entry, entry_left[(i - 1) % 2], row_top((i - 1) / 2), entry_width,
                    entry_height);
        entry->setIndent(3);
        entry->setText(QString::fromStdString(model.name));
        const std::string problem = devices::model_problem(model);
        const std::string ranges = devices::voltage_ranges_text(
            devices::parse_voltage_range(model.vdd), devices::parse_voltage_range(model.vpp));
        entry->set_fixed_tip(QString::fromStdString(
            problem.empty() ? "FLASH: " + model.flash + ", EEPROM: " + model.eeprom +
                                  (ranges.empty() ? "" : "\n" + ranges)
                            : "Cannot be selected: " + problem + "."));
        entry->setCursor(Qt::PointingHandCursor);
        entry->on_click = [this, i] { opcija_Click(i); };
        entry->on_double_click = [this, i] { opcija_DblClick(i); };
        opcija.push_back(entry);
    }

    list_ = new QScrollArea(this);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setWidget(list_panel);
    list_->setFocusPolicy(Qt::NoFocus);
    const int shown_rows = std::min(rows, rows_in_view);
    const bool scrolls = rows > rows_in_view;
    // The buttons go just under the last row in view; the window ends below them.
    const int buttons_top = scale.length(row_top(shown_rows - 1) + 360);
    const int list_height = scrolls ? buttons_top - scale.length(60) : list_panel->height();
    const int extra_width = scrolls ? list_->verticalScrollBar()->sizeHint().width() : 0;
    list_->setGeometry(0, 0, list_panel->width() + extra_width, list_height);
    Command1 = new QPushButton(QStringLiteral("Select"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setGeometry(
        scale.rect(2340, button_top, button_width, button_height).translated(extra_width, 0));
    Command2->setGeometry(
        scale.rect(1200, button_top, button_width, button_height).translated(extra_width, 0));
    for (QPushButton* button : {Command1, Command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->move(button->x(), buttons_top);
    }
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    setFixedSize(list_->width(), buttons_top + scale.length(bottom_margin_));

    settheme();
    showselection();
    model_at_open_ = devices::selected_model().number;
    if (scrolls && devices::selected_model().number >= 1 &&
        devices::selected_model().number <= count)
        list_->ensureWidgetVisible(
            opcija[static_cast<std::size_t>(devices::selected_model().number - 1)]);
}

void Form5::settheme() {
    theme_paint::set_background(this, color_window);
    theme_paint::set_background(list_->viewport(), color_window);
    theme_paint::set_background(list_->widget(), color_window);
}

void Form5::showselection() {
    const std::int32_t selected = devices::selected_model().number;
    for (std::size_t k = 0; k < opcija.size(); ++k) {
        const bool chosen = static_cast<std::int32_t>(k + 1) == selected;
        theme_paint::set_background(opcija[k], chosen ? color_selected : color_field);
        theme_paint::set_text_color(opcija[k], chosen ? color_selected_text : color_field_text);
    }
}

void Form5::opcija_Click(int index) {
    // A model whose sizes are beyond any PIC18 stays unselected: its image would not fit.
    if (index >= 1 && index <= table_.model_count()) {
        const devices::device_model& model = table_.models[static_cast<std::size_t>(index)];
        if (const std::string problem = devices::model_problem(model); !problem.empty()) {
            core::mymsgbox(model.name + " cannot be selected: " + problem +
                               ".\r\nCorrect the device database (pinwright-cli check-devices "
                               "lists its problems).",
                           core::msg_error, core::app_title);
            return;
        }
    }
    devices::selected_model().number = index;
    showselection();
}

void Form5::opcija_DblClick(int index) {
    opcija_Click(index);
    Command1_Click();
}

void Form5::Command1_Click() {
    hide();
    QApplication::processEvents();
    const std::int32_t selected = devices::selected_model().number;
    if (selected != model_at_open_) {
        settings::model_setting.write(selected);
        devices::select_model(table_, selected, devices::selected_model().values);
    }
    done(QDialog::Accepted);
}

void Form5::Command2_Click() {
    devices::selected_model().number = model_at_open_;
    done(QDialog::Rejected);
}

click_label* Form5::entry(int index) const {
    if (index < 1 || index > static_cast<int>(opcija.size()))
        return nullptr;
    return opcija[static_cast<std::size_t>(index - 1)];
}

// Neither Enter nor Escape does anything special here.
void Form5::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The window's close control: the same as Cancel.
void Form5::reject() {
    Command2_Click();
}

} // namespace ui
