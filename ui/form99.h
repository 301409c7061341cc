// Form99, the "Hardware Settings" dialog: maps each of the five programmer lines to a
// connector pin and sets its inversion; when an FTDI board is the selected adapter, to
// one of its bit-bang pins D0-D7 (VDD and VPP also to none) in the stored FTDI wiring; when
// a GPIO chip is, to a line offset of the chip (VDD and VPP also to none) in the stored GPIO
// wiring, with a sixth check box for DATA IN's pull-up. Every
// accepted change is stored at once and the output lines are driven to their off levels, so the
// adapter shows the new wiring idle. Not themed: fixed grey window, light grey check boxes, light
// green pin labels.
#pragma once

#include "settings/stored_wiring.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QPushButton;

namespace ui {

class click_label;

class Form99 final : public QDialog {
  public:
    // Loading the dialog switches the output lines off and shows the current wiring.
    Form99();

    // Switches VDD, VPP, CLOCK and DATA OUT off (four port writes).
    static void linesoff();
    // Captions of the five check boxes with each line's current pin.
    void showpins();

    // Closing in any way switches the output lines off once more.
    void done(int result) override;

    // Whether the dialog shows the FTDI wiring, and whether it stored a change to it (which
    // the open FTDI driver takes only when the adapter is opened again).
    bool ftdi() const { return ftdi_; }
    bool ftdi_wiring_changed() const { return ftdi_changed_; }
    // The same for the GPIO wiring.
    bool gpio() const { return gpio_; }
    bool gpio_wiring_changed() const { return gpio_changed_; }

  private:
    void Check_Click(int row);
    void Label_Click(int row);
    void ftdi_pin_entry(int row);
    void store_ftdi_wiring();
    void gpio_line_entry(int row);
    void store_gpio_wiring();

    std::array<QCheckBox*, 5> checks_{};
    std::array<click_label*, 5> labels_{};
    QPushButton* Command1 = nullptr;
    bool closed_ = false;
    bool ftdi_ = false;
    bool ftdi_changed_ = false;
    settings::ftdi_wiring ftdi_wiring_;
    bool gpio_ = false;
    bool gpio_changed_ = false;
    settings::gpio_wiring gpio_wiring_;
    QCheckBox* pull_up_ = nullptr; // GPIO only
};

} // namespace ui
