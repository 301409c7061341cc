// Drawing of the program icon at the usual sizes.
#include "ui/window_icon.h"

#include <QPainter>
#include <QPixmap>

namespace ui {

namespace {

// The picture on a 64 x 64 grid, as in pinwright.svg.
QPixmap draw_icon(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2E, 0x6B, 0x4F));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    painter.setBrush(QColor(0xD9, 0xDE, 0xE3));
    for (int k = 0; k < 4; ++k) {
        painter.drawRect(QRectF(12, 17 + 9 * k, 8, 4));
        painter.drawRect(QRectF(44, 17 + 9 * k, 8, 4));
    }
    painter.setBrush(QColor(0x1D, 0x1F, 0x21));
    painter.drawRoundedRect(QRectF(19, 12, 26, 40), 3, 3);
    painter.setBrush(QColor(0xF2, 0xC1, 0x4E));
    painter.drawEllipse(QRectF(24, 16, 6, 6));
    return picture;
}

} // namespace

QIcon program_icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(draw_icon(size));
    return icon;
}

} // namespace ui
