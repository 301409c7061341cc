// Form5, the model selection dialog: every model of the device database as a clickable
// entry, two to a row, with its memory sizes as tool tip and the current choice
// highlighted. "Select" stores and applies a changed choice; "Cancel", and closing the
// window by its close control, keep the model chosen at opening. A database of more than
// seventy models scrolls inside the list.
#pragma once

#include "devices/device_table.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QPushButton;
class QScrollArea;

namespace ui {

class click_label;

class Form5 final : public QDialog {
  public:
    explicit Form5(const devices::device_table& table);

    void settheme();
    void showselection();

    void opcija_Click(int index); // 1-based model number
    void opcija_DblClick(int index);
    void Command1_Click(); // Select
    void Command2_Click(); // Cancel

    // For tests: the entry of model `index` (1-based), the buttons, the list area.
    click_label* entry(int index) const;
    QPushButton* select_button() const { return Command1; }
    QPushButton* cancel_button() const { return Command2; }
    QScrollArea* list_area() const { return list_; }
    std::int32_t model_at_open() const { return model_at_open_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    const devices::device_table& table_;
    std::vector<click_label*> opcija; // opcija[i - 1] shows model i
    QScrollArea* list_;
    QPushButton* Command1;
    QPushButton* Command2;
    std::int32_t model_at_open_ = 1;
    int bottom_margin_ = 0;
};

} // namespace ui
