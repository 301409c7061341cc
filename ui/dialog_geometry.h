// Geometry and fonts of the settings dialogs: lengths given in twips (1/1440 inch) become
// pixels at the screen's logical resolution (15 twips a pixel at 96 dpi), and the dialogs
// use the system's sans font at 8.25 pt in place of the original Windows font.
#pragma once

#include <QFont>
#include <QRect>

class QWidget;

namespace ui::dialog_geometry {

// Pixels for a length in twips.
int pixels(int twips);

// A rectangle given in twips, in pixels.
QRect rect(int left, int top, int width, int height);

// Places `widget` at a rectangle given in twips.
void place(QWidget* widget, int left, int top, int width, int height);

// Gives `dialog` a fixed client area of the size given in twips.
void set_client_size(QWidget* dialog, int width, int height);

// The system's sans font at 8.25 pt.
QFont dialog_font();

} // namespace ui::dialog_geometry
