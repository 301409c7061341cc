// Table view, table scroll bar and clickable label of the main window.
#include "ui/table_widgets.h"

#include "ui/window_scale.h"

#include <QFocusEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

namespace ui {

namespace {

// Blank space between the frame and the first character.
constexpr int text_padding_x = 3;
constexpr int text_padding_y = 1;

} // namespace

hex_table_view::hex_table_view(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette colors = palette();
    colors.setColor(QPalette::Window, Qt::white);
    colors.setColor(QPalette::WindowText, Qt::black);
    setPalette(colors);
    set_table_font(table_font());
}

void hex_table_view::set_lines(const QStringList& lines) {
    if (lines == lines_)
        return;
    lines_ = lines;
    update();
}

void hex_table_view::set_table_font(const QFont& font) {
    setFont(font);
    update();
}

cell_geometry hex_table_view::geometry_of_cells() const {
    cell_geometry cell;
    const QRect inside = contentsRect();
    cell.origin_x = inside.left() + text_padding_x;
    cell.origin_y = inside.top() + text_padding_y;
    cell.char_width = table_char_width(font());
    cell.line_height = table_line_height(font());
    return cell;
}

void hex_table_view::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const cell_geometry cell = geometry_of_cells();
    const int baseline = table_baseline(font());
    for (qsizetype row = 0; row < lines_.size(); ++row) {
        const QString& line = lines_[row];
        const int y = cell.origin_y + static_cast<int>(row) * cell.line_height + baseline;
        // One character per cell: the drawn grid is exactly the grid of the hit test.
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == QLatin1Char(' '))
                continue;
            painter.drawText(cell.origin_x + static_cast<int>(i) * cell.char_width, y,
                             QString(line[i]));
        }
    }
}

// A press on a table is the table's own (it must not reach the window background).
void hex_table_view::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void hex_table_view::mouseReleaseEvent(QMouseEvent* event) {
    if (on_release)
        on_release(event->button(), event->position().toPoint());
    event->accept();
}

void hex_table_view::mouseMoveEvent(QMouseEvent* event) {
    if (on_pointer_move)
        on_pointer_move();
    event->accept();
}

void hex_table_view::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    if (on_focus)
        on_focus();
}

void hex_table_view::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

table_scroll_bar::table_scroll_bar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setRange(0, 0);
    setSingleStep(1);
    setPageStep(lines_in_view);
}

void table_scroll_bar::focusInEvent(QFocusEvent* event) {
    QScrollBar::focusInEvent(event);
    if (on_focus)
        on_focus();
}

void table_scroll_bar::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

click_label::click_label(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

click_label::click_label(const QString& text, QWidget* parent) : click_label(parent) {
    setText(text);
}

void click_label::set_fixed_tip(const QString& tip) {
    fixed_tip_ = tip;
}

void click_label::set_shortened(const QString& shown, const QString& whole) {
    whole_text_ = whole;
    shortened_as_ = shown;
    setText(shown);
}

QString click_label::whole_text() const {
    return !whole_text_.isEmpty() && text() == shortened_as_ ? whole_text_ : text();
}

QString click_label::tip() const {
    const QString whole = whole_text();
    if (whole != text() || elided())
        return whole;
    return locked_ ? QString() : fixed_tip_;
}

bool click_label::elided() const {
    if (wordWrap() || text().isEmpty())
        return false;
    const int room = contentsRect().width() - 2 * qMax(0, indent());
    return fontMetrics().horizontalAdvance(text()) > room;
}

void click_label::paintEvent(QPaintEvent* event) {
    if (!elided()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    QRect room = contentsRect();
    room.adjust(qMax(0, indent()), 0, -qMax(0, indent()), 0);
    painter.setPen(palette().color(foregroundRole()));
    QString shown = text();
    if (elide_mode_ == Qt::ElideLeft && shown.startsWith(QStringLiteral("... ")))
        shown.remove(0, 4);
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(shown, elide_mode_, room.width()));
}

void click_label::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
    // A click on a label is the label's, not the window background's.
    event->accept();
}

void click_label::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    event->accept();
    if (click && on_click) {
        // The action may open a modal box that replaces on_click: call a copy.
        const std::function<void()> action = on_click;
        action();
    }
}

void click_label::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && on_double_click) {
        on_double_click();
        return;
    }
    QLabel::mouseDoubleClickEvent(event);
    event->accept();
}

bool click_label::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QString shown_tip = tip();
        if (shown_tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shown_tip, this);
        return true;
    }
    return QLabel::event(event);
}

} // namespace ui
