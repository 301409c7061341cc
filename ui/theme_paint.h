// Painting a widget from colour values (0xRRGGBB): its background and its text colour,
// through the widget's palette. Used by the settheme procedures of the dialogs and for the
// fixed colours of the hardware dialogs.
#pragma once

#include <QColor>

#include <cstdint>

class QWidget;

namespace ui::theme_paint {

QColor color_of(std::uint32_t rgb);

// Fills the widget's background with `rgb`.
void set_background(QWidget* widget, std::uint32_t rgb);

// Draws the widget's text in `rgb`.
void set_text_color(QWidget* widget, std::uint32_t rgb);

} // namespace ui::theme_paint
