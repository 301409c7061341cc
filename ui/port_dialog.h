// The "Select Parallel Port" dialog, which selects any adapter: every port the kernel lists,
// one clickable row each (device, base address, modes, whether this user can use it),
// then the adapters the other rows of the adapter table find (an FTDI board: its --port
// spec, its description, whether this user can open it), drawn in the colours of the
// model dialog with the current adapter highlighted. Under the list, what stands in the
// way of the clicked adapter and the fix; with no port listed, why and the fix. "Select"
// (or a double click) stores the adapter (a port by its base address as the stored port
// address) and reopens it; "Cancel", Escape and the close control change nothing.
#pragma once

#include "hardware/adapter_table.h"
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
                         hardware::access_verdict none_listed = {},
                         std::vector<hardware::adapter_listing> adapters = {});

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
    std::vector<hardware::adapter_listing> adapters_; // rows after the ports
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
// The same for another adapter.
QString adapter_details(const hardware::adapter_listing& adapter);

} // namespace ui
