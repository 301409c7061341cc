// Form34: the colour theme dialog with live preview.
#include "ui/form34.h"

#include "settings/setting_names.h"
#include "ui/color_theme.h"
#include "ui/dialog_geometry.h"
#include "ui/table_widgets.h"
#include "ui/theme_paint.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace ui {

namespace {

namespace geometry = dialog_geometry;

constexpr int rows_per_column = 23;

} // namespace

Form34::Form34(std::function<void()> repaint_main) : repaint_main_(std::move(repaint_main)) {
    setObjectName(QStringLiteral("Form34"));
    setWindowTitle(QStringLiteral("Change Color Theme"));
    setFont(geometry::dialog_font());

    const auto& names = theme_names();
    int entry_width = geometry::pixels(2115);
    for (std::size_t index = 0; index < opcija.size(); ++index) {
        auto* entry = new click_label(QString::fromStdString(names[index]), this);
        entry->setCursor(Qt::PointingHandCursor);
        entry->setObjectName(QStringLiteral("opcija_%1").arg(index));
        entry->setIndent(geometry::pixels(60));
        theme_paint::set_background(entry, 0xFFFFFF);
        theme_paint::set_text_color(entry, 0x000000);
        entry_width = std::max(entry_width, entry->sizeHint().width());
        entry->on_click = [this, index] { opcija_Click(static_cast<int>(index)); };
        opcija[index] = entry;
    }
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    Command1 = new QPushButton(QStringLiteral("Select"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    // Two columns of 23 rows, names read row by row; widened if a name needs more room.
    const int extra = entry_width - geometry::pixels(2115);
    for (std::size_t index = 0; index < opcija.size(); ++index) {
        const int row = static_cast<int>(index) / 2;
        const int column = static_cast<int>(index) % 2;
        const QRect design = geometry::rect(column == 0 ? 120 : 2340, 120 + 300 * row, 2115, 255);
        opcija[index]->setGeometry(design.x() + column * extra, design.y(), entry_width,
                                   std::max(design.height(), opcija[index]->sizeHint().height()));
    }
    const QRect cancel = geometry::rect(2340, 7080, 1035, 375);
    const QRect select = geometry::rect(3420, 7080, 1035, 375);
    Command2->setGeometry(cancel.translated(2 * extra, 0));
    Command1->setGeometry(select.translated(2 * extra, 0));
    setFixedSize(geometry::pixels(4575) + 2 * extra, geometry::pixels(7515));
    static_assert(2 * rows_per_column == 46);

    // Loading.
    settheme();
    theme_at_open = theme_name;
    showselection();
    Command1->setFocus();
}

void Form34::settheme() {
    theme_paint::set_background(this, color_window);
}

void Form34::showselection() {
    for (click_label* entry : opcija) {
        const bool selected = entry->text().toStdString() == theme_name;
        theme_paint::set_background(entry, selected ? color_selected : color_field);
        theme_paint::set_text_color(entry, selected ? color_selected_text : color_field_text);
    }
}

void Form34::opcija_Click(int index) {
    theme_name = opcija[static_cast<std::size_t>(index)]->text().toStdString();
    settings::color_theme_setting.write(theme_name);
    loadtheme();
    settheme();
    showselection();
    if (repaint_main_)
        repaint_main_();
}

void Form34::Command1_Click() {
    finish();
}

void Form34::Command2_Click() {
    theme_name = theme_at_open;
    finish();
}

void Form34::finish() {
    hide();
    QCoreApplication::processEvents();
    settings::color_theme_setting.write(theme_name);
    loadtheme();
    if (repaint_main_)
        repaint_main_();
    done(QDialog::Accepted);
}

void Form34::keyPressEvent(QKeyEvent* event) {
    // Escape answers "Cancel"; a plain close of the window keeps the last clicked theme.
    if (event->key() == Qt::Key_Escape) {
        Command2_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace ui
