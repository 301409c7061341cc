// The adapter preset dialog.
#include "ui/preset_dialog.h"

#include "core/host_hooks.h"
#include "devices/voltage_range.h"
#include "hardware/preset_wiring.h"
#include "settings/setting_names.h"
#include "settings/stored_wiring.h"
#include "ui/color_theme.h"
#include "ui/form99.h"
#include "ui/theme_paint.h"
#include "ui/window_icon.h"
#include "ui/window_scale.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

namespace {

std::string volts_or_unknown(const std::optional<double>& volts) {
    return volts ? devices::volts_text(*volts) + " V" : "unknown";
}

// "Tait classic (7407 + PNP) - parallel, works with care"
QString row_text(const hardware::adapter_preset& preset) {
    const char* status = preset.status == hardware::preset_status::works       ? "works"
                         : preset.status == hardware::preset_status::with_care ? "works with care"
                                                                               : "cannot be driven";
    return QString::fromStdString(preset.name + " - " + hardware::preset_kind_name(preset.kind) +
                                  ", " + status);
}

} // namespace

QString preset_details(const hardware::adapter_preset& preset) {
    std::string text = preset.name + " (" + hardware::preset_kind_name(preset.kind) + ")\n\n";
    for (std::size_t k = 0; k < hardware::preset_line_count; ++k)
        text += std::string(settings::wiring_lines[k].name) + ": " +
                hardware::preset_line_text(preset.kind, preset.lines[k]) + "\n";
    text += "\nNominal VDD " + volts_or_unknown(preset.nominal_vdd) + ", VPP " +
            volts_or_unknown(preset.nominal_vpp) +
            "; low-voltage (key) entry: " + preset.key_entry +
            "\n\nStatus: " + hardware::preset_status_text(preset) + "\n";
    for (const std::string& extra : preset.extra)
        text += "\nExtra line: " + extra;
    for (const std::string& note : preset.notes)
        text += "\nNote: " + note;
    text += "\n\nSources: " + preset.sources +
            "\n\nA preset cannot see the board: check the "
            "wiring with Hardware > Check before programming.";
    return QString::fromStdString(text);
}

preset_dialog::preset_dialog(std::vector<hardware::adapter_preset> presets)
    : presets_(std::move(presets)) {
    setWindowTitle(QStringLiteral("Adapter Preset"));
    setWindowIcon(program_icon());
    setFont(window_font());
    const twips_scale& scale = window_scale();

    list_ = new QListWidget(this);
    for (const hardware::adapter_preset& preset : presets_)
        list_->addItem(row_text(preset));
    list_->setMinimumWidth(scale.length(5600));
    details_ = new QPlainTextEdit(this);
    details_->setReadOnly(true);
    details_->setMinimumWidth(scale.length(5400));
    apply_ = new QPushButton(QStringLiteral("Apply"), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    apply_->setDefault(true);
    close_->setAutoDefault(false);

    auto* panes = new QHBoxLayout;
    panes->addWidget(list_);
    panes->addWidget(details_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panes);
    layout->addLayout(buttons);
    resize(scale.length(11600), scale.length(5400));

    theme_paint::set_background(this, color_window);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { choose(row); });
    connect(apply_, &QPushButton::clicked, this, [this] { Apply_Click(); });
    connect(close_, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    // The preset in use for the stored adapter, else the first.
    const hardware::adapter_kind kind = hardware::stored_adapter().kind;
    int first = presets_.empty() ? -1 : 0;
    if (const hardware::adapter_preset* in_use = hardware::stored_preset_in_use(presets_, kind))
        first = static_cast<int>(in_use - presets_.data());
    list_->setCurrentRow(first);
    choose(first);
}

void preset_dialog::choose(int index) {
    if (index < 0 || index >= static_cast<int>(presets_.size())) {
        details_->setPlainText(QStringLiteral("No adapter preset could be read."));
        apply_->setEnabled(false);
        return;
    }
    if (list_->currentRow() != index)
        list_->setCurrentRow(index);
    const hardware::adapter_preset& preset = presets_[static_cast<std::size_t>(index)];
    details_->setPlainText(preset_details(preset));
    apply_->setEnabled(preset.status != hardware::preset_status::cannot_drive);
}

void preset_dialog::Apply_Click() {
    const int index = list_->currentRow();
    if (index < 0 || index >= static_cast<int>(presets_.size()))
        return;
    const hardware::adapter_preset& preset = presets_[static_cast<std::size_t>(index)];
    if (preset.status == hardware::preset_status::cannot_drive)
        return;
    hardware::store_preset(preset);
    const bool in_use = hardware::preset_kind_of(hardware::stored_adapter().kind) == preset.kind;
    if (in_use && preset.kind == hardware::preset_kind::parallel)
        Form99::linesoff(); // the new wiring idle at once
    reopen_ = reopen_ || (in_use && preset.kind != hardware::preset_kind::parallel);

    std::string said = "The wiring of \"" + preset.name + "\" is stored for " +
                       hardware::preset_kind_name(preset.kind) + " adapters" +
                       (in_use ? "" : " (the adapter in use is of another kind)") + ".";
    if (!preset.nominal_vdd && !preset.nominal_vpp) {
        core::mymsgbox(said + "\r\nIts voltages are not known: state what your adapter gives "
                              "with Hardware > Adapter Voltages...",
                       core::msg_information, core::app_title);
        return;
    }
    const std::string question =
        said +
        "\r\n\r\nStore its nominal voltages as the adapter's (Hardware > Adapter "
        "Voltages...)? VDD " +
        (preset.nominal_vdd ? devices::volts_text(*preset.nominal_vdd) + " V"
                            : std::string("unknown: left as it is")) +
        ", VPP " +
        (preset.nominal_vpp ? devices::volts_text(*preset.nominal_vpp) + " V"
                            : std::string("unknown: left as it is")) +
        ". Answer Yes only when your board gives these; a measured value is better.";
    if (core::mymsgbox(question, core::msg_yes_no, core::app_title) != core::result_yes)
        return;
    if (preset.nominal_vdd)
        settings::adapter_vdd_setting.write(devices::volts_text(*preset.nominal_vdd));
    if (preset.nominal_vpp)
        settings::adapter_vpp_setting.write(devices::volts_text(*preset.nominal_vpp));
}

} // namespace ui
