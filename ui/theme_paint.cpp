// Palette-based painting of backgrounds and text colours.
#include "ui/theme_paint.h"

#include <QPalette>
#include <QWidget>

namespace ui::theme_paint {

QColor color_of(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | (rgb & 0xFFFFFFu)));
}

void set_background(QWidget* widget, std::uint32_t rgb) {
    // The role the widget fills its background with (Window for most, Button for some
    // buttons such as check boxes).
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), color_of(rgb));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void set_text_color(QWidget* widget, std::uint32_t rgb) {
    QPalette palette = widget->palette();
    palette.setColor(widget->foregroundRole(), color_of(rgb));
    widget->setPalette(palette);
}

} // namespace ui::theme_paint
