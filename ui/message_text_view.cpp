// Wrapped message text.
#include "ui/message_text_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace ui {

namespace {

// Lays the text out at `width` and, with a painter, draws it. Returns the height.
int lay_out(const QString& text, const QFont& font, Qt::Alignment alignment, int width,
            QPainter* painter) {
    QTextOption option(alignment | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QFontMetricsF metrics(font);
    qreal y = 0;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal top = y;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y - top));
            y += metrics.lineSpacing();
        }
        layout.endLayout();
        if (painter != nullptr)
            layout.draw(painter, QPointF(0, top));
    }
    return static_cast<int>(std::ceil(y));
}

} // namespace

message_text_view::message_text_view(QWidget* parent) : QWidget(parent) {}

void message_text_view::set_text(const QString& text) {
    text_ = text;
    update();
}

void message_text_view::set_alignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

int message_text_view::height_for(int width) const {
    return lay_out(text_, font(), alignment_, width, nullptr);
}

void message_text_view::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    lay_out(text_, font(), alignment_, width(), &painter);
}

void message_text_view::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        on_click)
        on_click();
    event->accept();
}

} // namespace ui
