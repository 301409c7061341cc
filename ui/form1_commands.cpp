// The main window's commands: clearing the image, opening and saving HEX files, choosing
// the model, and the five chip operations, each after the voltage check. The clickable
// labels lead here too; like the menus and buttons they do nothing while the commands are
// locked.
#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "image/hex_fit.h"
#include "image/hex_load.h"
#include "image/hex_writer.h"
#include "interpreter/algorithm_run.h"
#include "interpreter/chip_operations.h"
#include "interpreter/code_protection.h"
#include "interpreter/voltage_check.h"
#include "settings/program_values.h"
#include "settings/setting_names.h"
#include "ui/form1.h"
#include "ui/form5.h"
#include "ui/memory_tables.h"
#include "ui/message_boxes.h"
#include "ui/port_session.h"
#include "ui/socket_identity.h"
#include "ui/table_widgets.h"

#include <QFileInfo>

#include <algorithm>

namespace ui {

namespace {

const QString hex_filter = QStringLiteral("Intel HEX files (*.hex *.HEX);;All files (*)");

file_request hex_request(const char* title) {
    return {QString::fromLatin1(title), hex_filter,
            QString::fromStdString(settings::program().last_path)};
}

// Splits the chosen path, keeps its folder as "Last Path" and returns the file name.
std::string remember_folder(const QString& chosen) {
    std::string folder;
    std::string name;
    settings::split_path(chosen.toStdString(), folder, name);
    settings::program().last_path = folder;
    settings::last_path_setting.write(folder);
    return name;
}

// The save dialog offers HEX files: a name typed without an extension gets ".hex".
QString with_hex_extension(const QString& chosen) {
    const QString name = QFileInfo(chosen).fileName();
    return name.isEmpty() || name.contains(QLatin1Char('.')) ? chosen
                                                             : chosen + QStringLiteral(".hex");
}

} // namespace

void Form1::menuclear_Click() {
    disable();
    image::erase_image(image::program_image(), devices::selected_model().values);
    updatedisplay();
    label_hex->clear();
    label_status->clear();
    note_loaded_file({});
    enable();
    scrl1->setMaximum(0);
    scrl2->setMaximum(0);
    // A memory shorter than the view gives a negative maximum; the bar then stays at 0
    // (a maximum below the minimum would move the minimum down with it).
    const devices::model_values& model = devices::selected_model().values;
    // With the configuration in FLASH its words show in the configuration grid, not here.
    if (const std::int32_t flash = devices::image_flash_size(model); flash > 0)
        scrl1->setMaximum(std::max(0, scroll_maximum(flash, flash_format.bytes_per_line)));
    if (model.eeprom_size > 0)
        scrl2->setMaximum(
            std::max(0, scroll_maximum(model.eeprom_size, eeprom_format.bytes_per_line)));
    scrl2->setFocus(Qt::OtherFocusReason);
    scrl1->setFocus(Qt::OtherFocusReason);
}

void Form1::menuopen_Click() {
    if (!commands_enabled_)
        return;
    const QString chosen = dialogs.open(hex_request("Select HEX File To Open"));
    if (chosen.isEmpty())
        return;
    load_hex_file(remember_folder(chosen));
}

void Form1::load_hex_file(const std::string& name) {
    disable();
    const std::string path = settings::program().last_path + name;
    const devices::model_values& model = devices::selected_model().values;
    // The file is read into an image of its own first, so that a file the user declines
    // leaves the current image and labels as they are.
    image::memory_buffer loaded;
    const image::hex_load_outcome outcome = image::load_hex_file(path, loaded, model);
    if (outcome.accepted() && !outcome.facts.end_of_file &&
        core::mymsgbox(path + " ends without an end-of-file record: it may be cut short (an "
                              "interrupted copy or download).\r\nLoad it all the same?",
                       core::msg_yes_no | core::msg_default_no,
                       core::app_title) != core::result_yes) {
        enable();
        return;
    }
    image::program_image() = std::move(loaded);
    if (outcome.accepted() && !outcome.warning.ok())
        core::mymsgbox(
            image::failure_text(outcome.warning) +
                image::dropped_data_text(devices::device_database(), model, outcome.facts),
            core::msg_information, core::app_title);
    else
        show_hex_read(outcome);
    updatedisplay();
    show_hex_path(outcome.label_hex.empty() ? std::string() : settings::program().last_path + name);
    note_loaded_file(outcome.label_hex.empty() ? std::string()
                                               : settings::program().last_path + name);
    label_status->setText(QString::fromStdString(outcome.status));
    enable();
}

void Form1::show_hex_path(const std::string& path) {
    label_hex->set_shortened(QString::fromStdString(image::short_path(path)),
                             QString::fromStdString(path));
}

void Form1::menusave_Click() {
    if (!commands_enabled_)
        return;
    const QString chosen = dialogs.save(hex_request("Save Buffer As"));
    if (chosen.isEmpty())
        return;
    const std::string name = remember_folder(with_hex_extension(chosen));
    const std::string path = settings::program().last_path + name;
    if (QFileInfo::exists(QString::fromStdString(path)) &&
        core::mymsgbox("Do you want to overwrite file " + path + "?", core::msg_yes_no,
                       core::app_title) == core::result_no)
        return;
    // The writer replaces an existing file only once the new one is complete, so a failed
    // save leaves the old file, and the labels, as they were.
    disable();
    const QString previous_label = label_hex->text();
    const QString previous_path = label_hex->whole_text();
    show_hex_path(path);
    const image::hex_failure failure =
        image::save_hex_file(path, image::program_image(), devices::selected_model().values);
    if (!failure.ok()) {
        label_hex->set_shortened(previous_label, previous_path);
        enable();
        core::mymsgbox(image::failure_text(failure), core::msg_error, core::app_title);
        label_status->setText(QStringLiteral("HEX file not saved!"));
        return;
    }
    // The buffer is now that file's content: a model change loads it again.
    note_loaded_file(path);
    enable();
    label_status->setText(QStringLiteral("HEX file saved."));
}

void Form1::menumodel_Click() {
    if (!commands_enabled_)
        return;
    const devices::model_selection previous = devices::selected_model();
    {
        Form5 dialog(devices::device_database());
        if (dialog.exec() == QDialog::Accepted)
            voltages_confirmed_ = false;
    }
    // With a file loaded, the buffer is that file for the selected model: it stays when the
    // model stays, and is loaded again for another one (after a question when it was
    // edited). Without one the buffer is cleared.
    const bool changed = devices::selected_model().number != previous.number;
    if (!loaded_file_.empty() && (!changed || !edits_may_be_replaced(previous)))
        return;
    // A simulated chip follows the model unless the user fixed the part.
    follow_selected_model();
    reload_for_selected_model();
}

void Form1::run_chip_operation(Module1::operation_result (*operation)(bool), const char* name) {
    if (!commands_enabled_)
        return;
    if (operation == &Module1::program_all && !erased_buffer_may_be_programmed())
        return;
    if (!voltages_allow_powering())
        return;
    running_command_ = name;
    const Module1::operation_result result = operation(true);
    save_simulated_chip();
    if (result.outcome != Module1::operation_outcome::wrong_chip || !result.identity ||
        close_after_operation_) {
        finish_command();
        return;
    }
    tell_powered_beyond_limits(*result.identity, true);
    const wrong_chip_answer answer =
        ask_about_wrong_chip(*result.identity, name, buffer_after_model_change());
    if (answer.select_model != 0) {
        select_detected_model(answer.select_model);
        const std::string selected = devices::selected_model().values.name;
        const std::string question =
            "The " + selected + " is selected" +
            (loaded_file_.empty() ? "; the buffer is cleared."
                                  : " and " + loaded_file_ + " is loaded for it.") +
            "\r\n\r\nRun " + name + " on the " + selected + " now?";
        if (core::mymsgbox(question, core::msg_yes_no | core::msg_default_no, "") ==
            core::result_yes) {
            run_chip_operation(operation, name);
            return;
        }
    } else if (answer.continue_anyway) {
        operation(false);
        save_simulated_chip();
    }
    finish_command();
}

bool Form1::voltages_allow_powering() {
    using Module1::voltage_verdict_kind;
    const Module1::adapter_voltages adapter = Module1::stored_voltages_with_preset();
    hardware::set_simulated_supply(Module1::applied_volts(adapter));
    const Module1::voltage_verdict verdict =
        Module1::judge_voltages(devices::selected_model().values, adapter);
    switch (verdict.kind) {
    case voltage_verdict_kind::ok:
        return true;
    case voltage_verdict_kind::warn:
        core::mymsgbox(verdict.message, core::msg_information, "");
        return true;
    case voltage_verdict_kind::above_programming_range:
        if (voltages_confirmed_)
            return true;
        voltages_confirmed_ =
            core::mymsgbox(verdict.message + "\r\n\r\nPower the chip all the same? This is "
                                             "asked once for this model.",
                           core::msg_yes_no | core::msg_default_no, "") == core::result_yes;
        return voltages_confirmed_;
    case voltage_verdict_kind::needs_confirmation:
        if (voltages_confirmed_)
            return true;
        voltages_confirmed_ =
            core::mymsgbox(verdict.message +
                               "\r\n\r\nPower the chip all the same? Answer Yes only when your "
                               "adapter keeps within these ranges. Hardware > Adapter Voltages... "
                               "states what it gives, and this question is then not asked.",
                           core::msg_yes_no | core::msg_default_no, "") == core::result_yes;
        return voltages_confirmed_;
    case voltage_verdict_kind::refuse:
        core::mymsgbox(verdict.message, core::msg_error, "");
        return false;
    }
    return false;
}

bool Form1::voltages_allow_unnamed_chip() {
    using Module1::voltage_verdict_kind;
    const Module1::adapter_voltages adapter = Module1::stored_voltages_with_preset();
    hardware::set_simulated_supply(Module1::applied_volts(adapter));
    const Module1::voltage_verdict verdict =
        Module1::judge_voltages_for_any_model(devices::device_database(), adapter, "Identify Chip");
    switch (verdict.kind) {
    case voltage_verdict_kind::ok:
    case voltage_verdict_kind::warn:
    case voltage_verdict_kind::above_programming_range:
        return true;
    case voltage_verdict_kind::needs_confirmation:
        if (unnamed_chip_confirmed_ == verdict.message)
            return true;
        if (core::mymsgbox(verdict.message +
                               "\r\n\r\nPower the chip all the same? Answer Yes only when it "
                               "is none of these parts, or your adapter keeps within their "
                               "limits. Hardware > Adapter Voltages... states what it gives, and "
                               "this question is then not asked.",
                           core::msg_yes_no | core::msg_default_no, "") != core::result_yes)
            return false;
        unnamed_chip_confirmed_ = verdict.message;
        return true;
    case voltage_verdict_kind::refuse:
        core::mymsgbox(verdict.message, core::msg_error, "");
        return false;
    }
    return false;
}

void Form1::select_detected_model(int number) {
    voltages_confirmed_ = false;
    settings::model_setting.write(number);
    devices::select_program_model(devices::device_database(), number);
    follow_selected_model();
    reload_for_selected_model();
}

namespace {

// An image with code protection on: says what programming it does to reading the chip
// back and asks before Program All (default Yes: protection is usually meant).
bool protection_accepted() {
    const std::string warning = Module1::protection_warning();
    return warning.empty() ||
           core::mymsgbox(warning +
                              "\r\n\r\nProgram All does not verify: a Verify afterwards names "
                              "the protected blocks instead of checking them. To check code and "
                              "data before the protection is written, use pinwright-cli program "
                              "--verify.\r\n\r\nProgram the chip with this protection?",
                          core::msg_yes_no, "") == core::result_yes;
}

} // namespace

void Form1::Command1_Click() {
    if (commands_enabled_ && !protection_accepted())
        return;
    run_chip_operation(&Module1::program_all, "Program All");
}

void Form1::Command2_Click() {
    run_chip_operation(&Module1::read_all, "Read All");
}

void Form1::Command3_Click() {
    run_chip_operation(&Module1::erase_all, "Erase All");
}

void Form1::Command4_Click() {
    run_chip_operation(&Module1::blank_check, "Blank Check");
}

void Form1::Command5_Click() {
    run_chip_operation(&Module1::verify_all, "Verify");
}

void Form1::menuidentify_Click() {
    if (!commands_enabled_ || !voltages_allow_unnamed_chip())
        return;
    running_command_ = "Identify Chip";
    if (const int detected = identify_chip_in_socket(buffer_after_model_change());
        detected != 0 && !close_after_operation_)
        select_detected_model(detected);
    finish_command();
}

} // namespace ui
