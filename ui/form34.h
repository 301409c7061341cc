// Form34, the "Change Color Theme" dialog: the 46 theme names in two columns. Clicking a
// name stores and applies that theme at once (the main window behind repaints with it);
// "Select" (Enter) keeps the current theme, "Cancel" (Escape) restores the theme the
// dialog opened with. The window's close box keeps the last clicked theme.
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string>

class QPushButton;

namespace ui {

class click_label;

class Form34 final : public QDialog {
  public:
    // `repaint_main` is the main window's settheme.
    explicit Form34(std::function<void()> repaint_main);

    void settheme();
    void showselection();

    void opcija_Click(int index);
    void Command1_Click(); // Select
    void Command2_Click(); // Cancel

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void finish();

    std::array<click_label*, 46> opcija{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    std::string theme_at_open;
    std::function<void()> repaint_main_;
};

} // namespace ui
