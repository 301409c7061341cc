// The "Adapter Preset" dialog (Hardware > Adapter Preset...): the adapter presets in a
// list, each with its kind and status, and the chosen one's lines, nominal voltages,
// status, extra lines, notes and sources beside it. "Apply" stores exactly the preset's
// lines as the stored wiring of its kind (the Hardware Settings dialog then shows them),
// remembers the preset as "Adapter Preset", and offers to store its nominal VDD and VPP as
// the adapter's voltages. A preset that cannot be driven with five lines shows why, and
// "Apply" stays disabled for it. "Close" changes nothing more.
#pragma once

#include "hardware/adapter_presets.h"

#include <QDialog>

#include <vector>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class preset_dialog final : public QDialog {
  public:
    explicit preset_dialog(std::vector<hardware::adapter_preset> presets);

    void choose(int index); // 0-based row, as a click on it
    void Apply_Click();

    // For tests.
    QListWidget* list() const { return list_; }
    QPlainTextEdit* details() const { return details_; }
    QPushButton* apply_button() const { return apply_; }
    // Whether the wiring of the adapter in use changed, so that the adapter must be opened
    // again to drive it.
    bool adapter_wiring_changed() const { return reopen_; }

  private:
    std::vector<hardware::adapter_preset> presets_;
    QListWidget* list_;
    QPlainTextEdit* details_;
    QPushButton* apply_;
    QPushButton* close_;
    bool reopen_ = false;
};

// The text beside the list for one preset.
QString preset_details(const hardware::adapter_preset& preset);

} // namespace ui
