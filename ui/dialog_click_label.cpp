// Clickable label.
#include "ui/dialog_click_label.h"

#include <QMouseEvent>

namespace ui {

dialog_click_label::dialog_click_label(const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void dialog_click_label::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void dialog_click_label::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click && on_click) {
        // The action may open a modal box; keep a copy in case it replaces on_click.
        const std::function<void()> action = on_click;
        action();
    }
}

} // namespace ui
