// The message box window.
#include "ui/form08.h"

#include "core/host_hooks.h"
#include "settings/program_values.h"
#include "ui/color_theme.h"
#include "ui/message_boxes.h"
#include "ui/message_text_view.h"
#include "ui/theme_paint.h"
#include "ui/window_icon.h"
#include "ui/window_scale.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace ui {

namespace {

// Design layout, in twips.
constexpr int client_width = 6615;
constexpr int client_height = 915;
constexpr int title_left = 900, title_top = 120, title_width = 5655, title_height = 315;
constexpr int ok_left = 5700, no_left = 4800, button_top = 540;
constexpr int button_width = 855, button_height = 315;

QString shown_form(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace

QPixmap message_icon(int kind) {
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor disc;
    QString glyph;
    switch (kind) {
    case core::msg_plain:
        disc = QColor(0x2E, 0x8B, 0x3A);
        glyph = QStringLiteral("\u2713");
        break;
    case core::msg_yes_no:
        disc = QColor(0x1F, 0x5F, 0xB8);
        glyph = QStringLiteral("?");
        break;
    case core::msg_error:
        disc = QColor(0xC6, 0x28, 0x28);
        glyph = QStringLiteral("\u00D7");
        break;
    default:
        disc = QColor(0x1F, 0x5F, 0xB8);
        glyph = QStringLiteral("i");
        break;
    }
    painter.setPen(QPen(disc.darker(130), 2));
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(3, 3, 42, 42));
    QFont font = message_font();
    font.setBold(true);
    font.setPixelSize(kind == core::msg_error ? 34 : 28);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(3, 2, 42, 42), Qt::AlignCenter, glyph);
    return picture;
}

Form08::Form08() {
    setWindowTitle(QStringLiteral("My Msg Box"));
    setWindowIcon(program_icon());
    setFont(window_font());
    const twips_scale& scale = window_scale();
    resize(scale.length(client_width), scale.length(client_height));

    auto make_icon = [&](int icon_kind) {
        auto* icon = new QLabel(this);
        scale.place(icon, 60, 60, 720, 720);
        icon->setAlignment(Qt::AlignCenter);
        icon->setPixmap(message_icon(icon_kind));
        icon->hide();
        return icon;
    };
    img_ok = make_icon(core::msg_plain);
    img_ask = make_icon(core::msg_yes_no);
    img_err = make_icon(core::msg_error);
    img_info = make_icon(core::msg_information);

    lab_title = new message_text_view(this);
    lab_title->setFont(message_font());
    lab_title->set_text(QStringLiteral("title"));
    scale.place(lab_title, title_left, title_top, title_width, title_height);
    lab_title->hide(); // measures the text; txt_title shows it

    txt_title = new QScrollArea(this);
    txt_title->setFrameShape(QFrame::NoFrame);
    txt_title->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txt_title->setFocusPolicy(Qt::NoFocus);
    txt_title_text = new message_text_view;
    txt_title_text->setFont(message_font());
    txt_title_text->set_text(QStringLiteral("title"));
    txt_title_text->setToolTip(QStringLiteral("Click to copy to Clipboard..."));
    txt_title_text->setCursor(Qt::PointingHandCursor);
    txt_title_text->on_click = [this] { txt_title_Click(); };
    txt_title->setWidget(txt_title_text);
    txt_title->setGeometry(lab_title->geometry());

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    scale.place(Command1, ok_left, button_top, button_width, button_height);
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("No"), this);
    scale.place(Command2, no_left, button_top, button_width, button_height);
    Command2->hide();
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    // The window sees every key before its controls do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    settheme();
}

void Form08::settheme() {
    theme_paint::set_background(this, color_window);
    for (QWidget* title : {static_cast<QWidget*>(lab_title), static_cast<QWidget*>(txt_title),
                           txt_title->viewport(), static_cast<QWidget*>(txt_title_text)}) {
        theme_paint::set_background(title, color_info);
        theme_paint::set_text_color(title, color_info_text);
    }
}

void Form08::prepare_display() {
    const twips_scale& scale = window_scale();
    const double spacing = settings::program().layout_scale;
    const int bottom_margin = client_height - button_top;
    const int right_margin = client_width - (ok_left + button_width);
    const int ok_offset = client_width - ok_left;
    const int no_offset = client_width - no_left;

    // The label takes the height of the wrapped text at its fixed width.
    const QString shown = shown_form(breaklongwords(text));
    lab_title->set_text(shown);
    const int width = lab_title->width();
    int height = lab_title->height_for(width) + scale.length(static_cast<int>(60 * spacing));
    const bool one_line = text.find("\r\n") == std::string::npos;
    lab_title->set_alignment(one_line ? Qt::AlignHCenter : Qt::AlignLeft);

    // A text taller than the screen scrolls inside the box, so the buttons stay in reach.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screen_height = screen != nullptr ? screen->availableGeometry().height() : 768;
    const int room =
        std::max(scale.length(title_height),
                 screen_height - 80 -
                     scale.length(title_top + bottom_margin + static_cast<int>(105 * spacing)));
    const int shown_height = std::min(height, room);
    lab_title->resize(width, shown_height);

    txt_title->setGeometry(lab_title->geometry());
    txt_title_text->set_text(shown);
    txt_title_text->set_alignment(lab_title->alignment());
    if (height > shown_height) {
        const int text_width = width - txt_title->verticalScrollBar()->sizeHint().width();
        txt_title_text->resize(text_width, txt_title_text->height_for(text_width));
    } else {
        txt_title_text->resize(width, shown_height);
    }

    const int buttons_top =
        lab_title->y() + shown_height + scale.length(static_cast<int>(105 * spacing));
    Command1->move(Command1->x(), buttons_top);
    Command2->move(Command2->x(), buttons_top);
    const int window_width = lab_title->x() + width + scale.length(right_margin);
    setFixedSize(window_width, buttons_top + scale.length(bottom_margin));
    Command1->move(window_width - scale.length(ok_offset), buttons_top);
    Command2->move(window_width - scale.length(no_offset), buttons_top);

    switch (kind) {
    case core::msg_plain:
        img_ok->show();
        break;
    case core::msg_yes_no: {
        img_ask->show();
        Command2->show();
        Command1->setText(QStringLiteral("Yes"));
        const int yes_x = Command2->x();
        Command2->move(Command1->x(), buttons_top);
        Command1->move(yes_x, buttons_top);
        if (default_no) {
            Command1->setDefault(false);
            Command2->setDefault(true);
            Command2->setFocus();
        }
        break;
    }
    case core::msg_error:
        img_err->show();
        break;
    case core::msg_information:
        img_info->show();
        break;
    default:
        break;
    }
}

QString Form08::displayed_text() const {
    return txt_title_text->text();
}

Qt::Alignment Form08::displayed_alignment() const {
    return txt_title_text->alignment();
}

QWidget* Form08::text_field() const {
    return txt_title_text;
}

QLabel* Form08::shown_icon() const {
    for (QLabel* icon : {img_ok, img_ask, img_err, img_info})
        if (!icon->isHidden())
            return icon;
    return nullptr;
}

void Form08::Command1_Click() {
    result = kind == core::msg_yes_no ? core::result_yes : core::result_ok;
    done(QDialog::Accepted);
}

void Form08::Command2_Click() {
    result = core::result_no;
    done(QDialog::Rejected);
}

void Form08::txt_title_Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // The platform's line ends: a pasted text should not carry carriage returns.
    clipboard->setText(shown_form(breaklongwords(text)));
}

bool Form08::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Y:
    case Qt::Key_Z:
        Command1_Click();
        return true;
    case Qt::Key_N:
        Command2_Click();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A button the user moved the focus to answers for itself; otherwise OK/Yes, or No
        // in a box whose safe answer is No.
        if (Command2->isVisible() && (watched == Command2 || (default_no && watched != Command1)))
            Command2_Click();
        else
            Command1_Click();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

// Escape and the window's close control: No in a yes/no box, OK in any other.
void Form08::reject() {
    if (kind == core::msg_yes_no)
        Command2_Click();
    else
        Command1_Click();
}

} // namespace ui
