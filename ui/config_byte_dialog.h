// The editor of one configuration byte by its settings, opened by a click on a cell of the
// configuration grid when pinwrightconfig.txt names the byte's settings for the model: the
// byte's hexadecimal value and one drop-down per setting, kept in step both ways. A choice
// changes only the bits of its setting, so bits outside every setting stay as they are.
// What `pinwright-cli config` warns about (read protection, a write-protected
// configuration, values the part does not define) is asked about before the value is
// taken.
#pragma once

#include "devices/config_names.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ui {

// The byte `value` with `option` chosen for `setting`: the setting's bits replaced, every
// other bit kept.
std::uint8_t with_option(std::uint8_t value, const devices::config_setting& setting,
                         const devices::config_option& option);

class config_byte_dialog final : public QDialog {
  public:
    // Byte `index` (0 = the first) of `model`, named CONFIG`name`, at HEX address `address`,
    // now `value`; `model` lists the byte (model.byte(index) is not null) and outlives the
    // dialog.
    config_byte_dialog(const devices::model_config_names& model, int index, const std::string& name,
                       std::int64_t address, std::uint8_t value, QWidget* parent = nullptr);

    // The value as the entry and the drop-downs now give it.
    std::uint8_t value() const { return value_; }

    // OK: the value is taken once any warning about it has been answered Yes.
    void accept() override;

    // For tests.
    QLineEdit* hex_entry() const { return hex_; }
    const std::vector<QComboBox*>& setting_boxes() const { return boxes_; }
    QPushButton* ok_button() const { return ok_; }

  private:
    void show_value(); // the drop-downs and the entry from value_
    void hex_edited();
    void option_chosen(std::size_t setting, int row);

    const devices::model_config_names& model_;
    const devices::config_byte_settings& byte_;
    int index_;
    std::uint8_t value_;
    std::uint8_t original_;
    QLineEdit* hex_;
    std::vector<QComboBox*> boxes_;
    QPushButton* ok_;
};

// The value to store for byte `index` of `model`, asked for modally over `parent`;
// nothing when the user cancelled.
std::optional<std::uint8_t> edit_config_byte(QWidget* parent,
                                             const devices::model_config_names& model, int index,
                                             const std::string& name, std::int64_t address,
                                             std::uint8_t value);

} // namespace ui
