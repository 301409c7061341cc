// Form98, the "Check Hardware" dialog: four check boxes switch VDD, VPP, CLOCK and DATA OUT
// by hand, and a fifth shows the DATA IN level, read every 50 ms. The output lines are off
// when the dialog opens and again when it closes. Not themed: fixed grey colours.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QPushButton;
class QTimer;

namespace ui {

class Form98 final : public QDialog {
  public:
    // Loading switches the output lines off, shows the pins and starts the DATA IN poll.
    Form98();

    void showpins();

    // Closing in any way stops the poll and switches the output lines off.
    void done(int result) override;

  private:
    void Check_Click(int row);
    void Check5_Click();
    void Timer1_Timer();

    std::array<QCheckBox*, 5> checks_{};
    QPushButton* Command1 = nullptr;
    QTimer* Timer1 = nullptr;
    bool closed_ = false;
};

} // namespace ui
