// The configuration byte editor by setting names.
#include "ui/config_byte_dialog.h"

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "devices/model_select.h"
#include "ui/cell_editing.h"
#include "ui/color_theme.h"
#include "ui/theme_paint.h"
#include "ui/window_icon.h"
#include "ui/window_scale.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ui {

std::uint8_t with_option(std::uint8_t value, const devices::config_setting& setting,
                         const devices::config_option& option) {
    return static_cast<std::uint8_t>((value & ~setting.bits) | (option.value & setting.bits));
}

config_byte_dialog::config_byte_dialog(const devices::model_config_names& model, int index,
                                       const std::string& name, std::int64_t address,
                                       std::uint8_t value, QWidget* parent)
    : QDialog(parent), model_(model), byte_(*model.byte(index)), index_(index), value_(value),
      original_(value) {
    setWindowTitle(QString::fromStdString("CONFIG" + name + " (" +
                                          core::hex6h(static_cast<std::int32_t>(address)) + ")"));
    setWindowIcon(program_icon());
    setFont(window_font());
    theme_paint::set_background(this, color_window);

    auto* form = new QFormLayout;
    hex_ = new QLineEdit(this);
    hex_->setFont(table_font());
    hex_->setMaxLength(2);
    hex_->setMaximumWidth(window_scale().length(600));
    form->addRow(QStringLiteral("Value (hex)"), hex_);
    for (std::size_t k = 0; k < byte_.settings.size(); ++k) {
        const devices::config_setting& setting = byte_.settings[k];
        auto* box = new QComboBox(this);
        for (const devices::config_option& option : setting.options)
            box->addItem(QString::fromStdString(option.name));
        form->addRow(QString::fromStdString(setting.name), box);
        connect(box, &QComboBox::activated, this, [this, k](int row) { option_chosen(k, row); });
        boxes_.push_back(box);
    }
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &config_byte_dialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(windowTitle() + QStringLiteral(": type the byte in hexadecimal or "
                                                           "choose its settings; bits outside "
                                                           "every setting keep their value."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(window_scale().length(4200));

    connect(hex_, &QLineEdit::textEdited, this, [this] { hex_edited(); });
    hex_->setText(QString::fromStdString(core::hex2(value_)));
    show_value();
}

void config_byte_dialog::show_value() {
    for (std::size_t k = 0; k < boxes_.size(); ++k) {
        const devices::config_setting& setting = byte_.settings[k];
        const auto bits = static_cast<std::uint8_t>(value_ & setting.bits);
        int row = -1;
        for (std::size_t o = 0; o < setting.options.size(); ++o)
            if (setting.options[o].value == bits)
                row = static_cast<int>(o);
        // A value the part does not define shows as its bits until an option is chosen.
        boxes_[k]->setPlaceholderText(QString::fromStdString(core::hex2(bits) + " (undefined)"));
        boxes_[k]->setCurrentIndex(row);
    }
}

void config_byte_dialog::hex_edited() {
    const std::int32_t entry = entry_value(hex_->text().toStdString());
    ok_->setEnabled(entry >= 0);
    if (entry < 0)
        return;
    value_ = static_cast<std::uint8_t>(entry);
    show_value();
}

void config_byte_dialog::option_chosen(std::size_t setting, int row) {
    const devices::config_setting& chosen = byte_.settings[setting];
    if (row < 0 || row >= static_cast<int>(chosen.options.size()))
        return;
    value_ = with_option(value_, chosen, chosen.options[static_cast<std::size_t>(row)]);
    hex_->setText(QString::fromStdString(core::hex2(value_)));
    ok_->setEnabled(true);
    show_value();
}

void config_byte_dialog::accept() {
    if (value_ != original_) {
        const devices::decoded_config_byte decoded =
            devices::decode_config_byte(model_, index_, value_);
        if (!decoded.notices.empty()) {
            std::string question = windowTitle().toStdString() + " = " + core::hex2h(value_) + ":";
            for (const std::string& notice : decoded.notices)
                question += "\r\n" + notice;
            question += "\r\n\r\nStore this value all the same?";
            if (core::mymsgbox(question, core::msg_yes_no | core::msg_default_no, "") !=
                core::result_yes)
                return;
        }
    }
    QDialog::accept();
}

std::optional<std::uint8_t> edit_config_byte(QWidget* parent,
                                             const devices::model_config_names& model, int index,
                                             const std::string& name, std::int64_t address,
                                             std::uint8_t value) {
    config_byte_dialog dialog(model, index, name, address, value, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.value();
}

} // namespace ui
