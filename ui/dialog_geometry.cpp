// Twips to pixels and the dialog font.
#include "ui/dialog_geometry.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace ui::dialog_geometry {

namespace {

double logical_dpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

} // namespace

int pixels(int twips) {
    return static_cast<int>(std::lround(twips * logical_dpi() / 1440.0));
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
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.25);
    return font;
}

} // namespace ui::dialog_geometry
