// The "Select Parallel Port" dialog: every port the kernel lists, one clickable row each
// (device, base address, modes, whether this user can use it), drawn in the colours of
// the model dialog with the current port highlighted. Under the list, what stands in the
// way of the clicked port and the fix; with no port listed, why and the fix. "Select"
// (or a double click) stores the port's base address as the stored port address and
// reopens the port; "Cancel", Escape and the close control change nothing.
#pragma once

#include "hardware/port_list.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;

namespace ui {

class click_label;
class message_text_view;

class port_dialog final : public QDialog {
  public:
    // `none_listed` says why the list is empty (used only then).
    explicit port_dialog(std::vector<hardware::parport_info> ports,
                         hardware::access_verdict none_listed = {});

    void settheme();
    void showselection();

    void row_Click(int index); // 0-based row
    void row_DblClick(int index);
    void Command1_Click(); // Select
    void Command2_Click(); // Cancel

    // For tests: a row, its column labels, the text under the list, the buttons.
    click_label* row(int index) const;
    std::vector<QLabel*> cells(int index) const;
    message_text_view* details() const { return details_; }
    QPushButton* select_button() const { return Command1; }
    QPushButton* cancel_button() const { return Command2; }

  private:
    std::vector<hardware::parport_info> ports_;
    hardware::access_verdict none_listed_;
    QLabel* heading_;
    std::vector<click_label*> rows_;
    message_text_view* details_;
    QPushButton* Command1;
    QPushButton* Command2;
    int selected_ = -1;
    int details_top_ = 0;
};

// The text under the list for one port: that it can be used, or each reason and fix.
QString port_details(const hardware::parport_info& port);

} // namespace ui
