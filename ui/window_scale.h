// Geometry and fonts of the program's own windows (the main window, the model dialog and
// the message and input boxes). Their layouts are given in twips (1/1440 inch); a twip
// becomes 1/15 pixel at 96 dpi, scaled for the screen's logical resolution. The system's
// sans and fixed-pitch fonts replace the original Windows fonts at the same point sizes,
// and since they can be wider, the whole layout grows by one common factor when any fixed
// caption or the memory tables would not fit their places otherwise. Nothing is then
// clipped, and the proportions of the layout stay as designed.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <vector>

class QWidget;

namespace ui {

struct twips_scale {
    double pixels_per_twip = 1.0 / 15.0;

    int length(int twips) const;
    // Edges are rounded one by one, so controls that touch in twips touch in pixels.
    QRect rect(int left, int top, int width, int height) const;
    void place(QWidget* widget, int left, int top, int width, int height) const;
};

// Pixels per twip at the primary screen's logical resolution.
double screen_pixels_per_twip();

// The window font (sans, 8.25 pt), the message title font (sans, 9 pt) and the table font
// (fixed pitch, 9.75 pt).
QFont window_font();
QFont message_font();
QFont table_font();

// A caption that must fit a box of the layout.
struct fitting_need {
    int needed_pixels; // at the font's real size
    int box_twips;     // the box's width (or height) in the layout
};

// How much the layout must grow so that every need fits at `pixels_per_twip`: 1 or more,
// at most 2.
double fit_factor(const std::vector<fitting_need>& needs, double pixels_per_twip);

// The scale of the program's own windows: screen resolution times the fit factor of the
// main window's captions and tables. Computed once, on first use.
const twips_scale& window_scale();

// Extra pixels a push button needs around its caption, and a label around its text.
inline constexpr int button_padding = 8;
inline constexpr int label_padding = 6;

// Fixed-pitch character cell of a font in whole pixels: the advance of "0", the line pitch
// of the memory tables and the baseline within a line. The tables show hex digits and ":"
// only, which stand on the baseline and reach the cap height, so a line is the cap height
// with two pixels of air above and below.
int table_char_width(const QFont& font);
int table_line_height(const QFont& font);
int table_baseline(const QFont& font);

// A caption without its "&" accelerator markers ("&&" stays one "&").
QString plain_caption(const QString& caption);

} // namespace ui
