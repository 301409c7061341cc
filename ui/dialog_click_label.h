// A label that runs an action when the user clicks it with the left button (pressed and
// released over the label), the way the dialogs' clickable captions behave.
#pragma once

#include <QLabel>

#include <functional>

namespace ui {

class dialog_click_label final : public QLabel {
  public:
    explicit dialog_click_label(const QString& text, QWidget* parent = nullptr);

    std::function<void()> on_click;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool pressed_ = false;
};

} // namespace ui
