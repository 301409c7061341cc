// Twips to pixels, the window fonts, and the common growth factor for the system's fonts.
#include "ui/window_scale.h"

#include "ui/form1_layout.h"
#include "ui/memory_tables.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace ui {

int twips_scale::length(int twips) const {
    return static_cast<int>(std::lround(twips * pixels_per_twip));
}

QRect twips_scale::rect(int left, int top, int width, int height) const {
    const int x0 = length(left);
    const int y0 = length(top);
    return QRect(x0, y0, length(left + width) - x0, length(top + height) - y0);
}

void twips_scale::place(QWidget* widget, int left, int top, int width, int height) const {
    widget->setGeometry(rect(left, top, width, height));
}

double screen_pixels_per_twip() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    if (!(dpi > 0))
        dpi = 96.0;
    return dpi / 1440.0;
}

QFont window_font() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.25);
    return font;
}

QFont message_font() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(9.0);
    return font;
}

QFont table_font() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSizeF(9.75);
    return font;
}

double fit_factor(const std::vector<fitting_need>& needs, double pixels_per_twip) {
    double factor = 1.0;
    for (const fitting_need& need : needs) {
        const double box = need.box_twips * pixels_per_twip;
        if (box > 0)
            factor = std::max(factor, need.needed_pixels / box);
    }
    return std::min(factor, 2.0);
}

int table_char_width(const QFont& font) {
    const double advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    return std::max(1, static_cast<int>(std::lround(advance)));
}

int table_baseline(const QFont& font) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).capHeight())) + 2;
}

int table_line_height(const QFont& font) {
    return table_baseline(font) + 2;
}

QString plain_caption(const QString& caption) {
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        plain += caption[i];
    }
    return plain;
}

namespace {

// Space the table view takes besides its characters: frame and padding.
constexpr int table_extra_width = 8;
constexpr int table_extra_height = 5;

std::vector<fitting_need> main_window_needs() {
    namespace L = form1_layout;
    const QFontMetrics sans(window_font());
    std::vector<fitting_need> needs;
    for (const L::captioned* label :
         {&L::Label7, &L::Label1, &L::Label3, &L::Label4, &L::lfix14, &L::id_caption, &L::Label5}) {
        needs.push_back(
            {sans.horizontalAdvance(QString::fromLatin1(label->caption)) + label_padding,
             label->at.width});
        needs.push_back({sans.height() + 2, label->at.height});
    }
    for (const L::captioned* button :
         {&L::Command1, &L::Command2, &L::Command3, &L::Command4, &L::Command5, &L::stop_button}) {
        needs.push_back(
            {sans.horizontalAdvance(QString::fromLatin1(button->caption)) + button_padding,
             button->at.width});
        needs.push_back({sans.height() + 6, button->at.height});
    }
    const QFont fixed = table_font();
    const int cw = table_char_width(fixed);
    const int lh = table_line_height(fixed);
    const int flash_chars = flash_format.first_byte_char + 3 * flash_format.bytes_per_line - 1;
    const int eeprom_chars = eeprom_format.first_byte_char + 3 * eeprom_format.bytes_per_line - 1;
    // The scroll bar covers the table's right edge, 15 twips.
    needs.push_back({flash_chars * cw + table_extra_width, L::tabla_flash.width - 15});
    needs.push_back({eeprom_chars * cw + table_extra_width, L::tabla_eeprom.width - 15});
    needs.push_back({lines_in_view * lh + table_extra_height, L::tabla_flash.height});
    // A configuration cell shows two digits of the table font.
    needs.push_back({2 * cw + label_padding, L::grid_cell_width});
    needs.push_back({lh + 2, L::grid_cell_height});
    needs.push_back({2 * cw + label_padding, L::id_cell_width});
    return needs;
}

} // namespace

const twips_scale& window_scale() {
    static const twips_scale scale = [] {
        const double base = screen_pixels_per_twip();
        return twips_scale{base * fit_factor(main_window_needs(), base)};
    }();
    return scale;
}

} // namespace ui
