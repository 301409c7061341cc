// The small widget classes of the main window: the read-only fixed-pitch view of a memory
// table, the table's scroll bar, and the labels that can be clicked.
//
// The table view draws each character in its own cell of the fixed-pitch font, so the
// cell geometry it reports is exactly where the characters are, and the byte editor's hit
// test finds the byte under the pointer whatever font is in use.
#pragma once

#include "ui/cell_editing.h"

#include <QFrame>
#include <QLabel>
#include <QScrollBar>
#include <QStringList>

#include <functional>

namespace ui {

class hex_table_view final : public QFrame {
  public:
    explicit hex_table_view(QWidget* parent = nullptr);

    void set_lines(const QStringList& lines);
    const QStringList& lines() const { return lines_; }
    void set_table_font(const QFont& font);

    // Where the characters are, relative to the view's top-left corner.
    cell_geometry geometry_of_cells() const;

    std::function<void(Qt::MouseButton, QPoint)> on_release;
    std::function<void()> on_pointer_move;
    std::function<void()> on_focus;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    QStringList lines_;
};

// A table's vertical scroll bar. Wheel turns reach the tables through the main window's
// MouseWheel only, so the bar leaves them alone instead of scrolling a second time.
class table_scroll_bar final : public QScrollBar {
  public:
    explicit table_scroll_bar(QWidget* parent = nullptr);

    std::function<void()> on_focus;

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

// A label that reacts to a left click (pressed and released over it) and to a double
// click, and that shows a text too long for it shortened with "…" and whole in its tool tip
// (text() keeps the whole text). A caption that is itself a shortened form of a longer
// text can carry that text for the tool tip. While locked, the fixed tip (an invitation to
// click) is not shown.
class click_label final : public QLabel {
  public:
    explicit click_label(QWidget* parent = nullptr);
    click_label(const QString& text, QWidget* parent);

    std::function<void()> on_click;
    std::function<void()> on_double_click;

    // The tool tip shown when the text fits.
    void set_fixed_tip(const QString& tip);
    const QString& fixed_tip() const { return fixed_tip_; }

    // Shows `shown` as the caption and `whole` in the tool tip, as long as the caption
    // stays `shown`.
    void set_shortened(const QString& shown, const QString& whole);
    // The text the caption stands for: the whole text given with it, else the caption.
    QString whole_text() const;
    // Where the ellipsis goes when the caption does not fit (the middle unless set). On
    // the left, a caption that already starts with "... " loses that start first, so it
    // never shows two ellipses.
    void set_elide_mode(Qt::TextElideMode mode) { elide_mode_ = mode; }
    void set_locked(bool locked) { locked_ = locked; }
    // What the tool tip shows now (empty: none).
    QString tip() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    bool elided() const;
    bool pressed_ = false;
    bool locked_ = false;
    Qt::TextElideMode elide_mode_ = Qt::ElideMiddle;
    QString fixed_tip_;
    QString whole_text_;
    QString shortened_as_;
};

} // namespace ui
