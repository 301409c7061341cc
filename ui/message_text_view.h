// A block of message text that wraps at word boundaries (and, for a word wider than the
// block, anywhere), centred or left-aligned, and reports its height for a width. The message
// and input boxes size themselves with it, so nothing of a message is ever cut off.
#pragma once

#include <QWidget>

#include <functional>

namespace ui {

class message_text_view final : public QWidget {
  public:
    explicit message_text_view(QWidget* parent = nullptr);

    // Lines are separated by "\n".
    void set_text(const QString& text);
    const QString& text() const { return text_; }
    void set_alignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return alignment_; }

    // Height of the wrapped text at `width` pixels.
    int height_for(int width) const;

    std::function<void()> on_click;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
};

} // namespace ui
