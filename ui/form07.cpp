// The input box window.
#include "ui/form07.h"

#include "settings/program_values.h"
#include "ui/color_theme.h"
#include "ui/message_text_view.h"
#include "ui/theme_paint.h"
#include "ui/window_icon.h"
#include "ui/window_scale.h"

#include <QLineEdit>
#include <QPushButton>

namespace ui {

namespace {

// Design layout, in twips.
constexpr int client_width = 4695;
constexpr int client_height = 1335;
constexpr int button_top = 960;

} // namespace

Form07::Form07() {
    setWindowTitle(QStringLiteral("My Input Box"));
    setWindowIcon(program_icon());
    setFont(window_font());
    const twips_scale& scale = window_scale();
    setFixedSize(scale.length(client_width), scale.length(client_height));

    lab_title = new message_text_view(this);
    lab_title->setFont(message_font());
    lab_title->set_text(QStringLiteral("title"));
    scale.place(lab_title, 120, 120, 4455, 315);

    txt_input = new QLineEdit(this);
    txt_input->setFont(message_font());
    scale.place(txt_input, 180, 540, 4335, 315);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    scale.place(Command1, 3660, button_top, 855, 315);
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    scale.place(Command2, 2760, button_top, 855, 315);
    Command2->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    setTabOrder(txt_input, Command1);
    setTabOrder(Command1, Command2);
    txt_input->setFocus();
    settheme();
}

void Form07::settheme() {
    theme_paint::set_background(this, color_panel);
    theme_paint::set_background(lab_title, color_info);
    theme_paint::set_text_color(lab_title, color_info_text);
    QPalette colors = txt_input->palette();
    colors.setColor(QPalette::Base, theme_paint::color_of(color_field));
    colors.setColor(QPalette::Text, theme_paint::color_of(color_field_text));
    txt_input->setPalette(colors);
    txt_input->selectAll();
}

void Form07::prepare_display() {
    const twips_scale& scale = window_scale();
    const double spacing = settings::program().layout_scale;
    const int bottom_margin = client_height - button_top;

    lab_title->set_text(
        QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const int height =
        lab_title->height_for(lab_title->width()) + scale.length(static_cast<int>(60 * spacing));
    lab_title->resize(lab_title->width(), height);
    const int below = lab_title->y() + height;
    txt_input->move(txt_input->x(), below + scale.length(static_cast<int>(105 * spacing)));
    const int buttons_top = below + scale.length(static_cast<int>(525 * spacing));
    Command1->move(Command1->x(), buttons_top);
    Command2->move(Command2->x(), buttons_top);
    setFixedSize(width(), buttons_top + scale.length(bottom_margin));

    txt_input->setText(QString::fromStdString(answer));
    txt_input->selectAll();
    txt_input->setFocus();
}

QWidget* Form07::prompt() const {
    return lab_title;
}

void Form07::Command1_Click() {
    answer = txt_input->text().toStdString();
    cancelled = false;
    done(QDialog::Accepted);
}

void Form07::Command2_Click() {
    answer.clear();
    cancelled = true;
    done(QDialog::Rejected);
}

// Escape and the window's close control are Cancel.
void Form07::reject() {
    Command2_Click();
}

} // namespace ui
