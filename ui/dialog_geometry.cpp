// Twips to pixels and the dialog font, on the same screen resolution and font as the
// program's own windows (window_scale), without their fit factor: the settings dialogs
// grow their controls themselves where a caption needs it.
#include "ui/dialog_geometry.h"

#include "ui/window_scale.h"

#include <QWidget>

namespace ui::dialog_geometry {

int pixels(int twips) {
    return twips_scale{screen_pixels_per_twip()}.length(twips);
}

QRect rect(int left, int top, int width, int height) {
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(rect(left, top, width, height));
}

void set_client_size(QWidget* dialog, int width, int height) {
    dialog->setFixedSize(pixels(width), pixels(height));
}

QFont dialog_font() {
    return window_font();
}

} // namespace ui::dialog_geometry
