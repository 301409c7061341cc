// What the main window's buffer holds, so that no command writes something the user did not
// mean: the file loaded into it and whether it was edited since, the reload of that file
// when another model is selected, and the question before Program All writes a buffer that
// holds only erased values.
#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "image/hex_load.h"
#include "image/memory_buffer.h"
#include "settings/setting_names.h"
#include "ui/form1.h"
#include "ui/message_boxes.h"
#include "ui/table_widgets.h"

namespace ui {

namespace {

constexpr int question_default_no = core::msg_yes_no | core::msg_default_no;

const std::string& model_name() {
    return devices::selected_model().values.name;
}

bool buffer_is_erased() {
    const image::memory_buffer& buffer = image::program_image();
    image::memory_buffer erased;
    image::erase_image(erased, devices::selected_model().values);
    return buffer.flash_image == erased.flash_image && buffer.eeprom_image == erased.eeprom_image &&
           buffer.config_image == erased.config_image && buffer.id_image == erased.id_image;
}

// "Operation completed. Total 2048 (2K) program bytes loaded." as the tail of another
// caption: "total 2048 (2K) program bytes loaded."
std::string load_summary(std::string status) {
    const std::string lead = "Operation completed. ";
    if (status.rfind(lead, 0) == 0)
        status.erase(0, lead.size());
    if (!status.empty() && status[0] == 'T')
        status[0] = 't';
    return status;
}

} // namespace

void Form1::note_loaded_file(const std::string& path) {
    loaded_file_ = path;
    image_edited_ = false;
}

void Form1::image_replaced() {
    note_loaded_file({});
}

void Form1::reload_for_selected_model() {
    const std::string path = loaded_file_;
    // The reset sizes the image and the scroll ranges for the model and forgets the file.
    menuclear_Click();
    if (path.empty())
        return;
    disable();
    const image::hex_load_outcome outcome =
        image::load_hex_file(path, image::program_image(), devices::selected_model().values);
    show_hex_read(outcome);
    updatedisplay();
    const bool loaded = !outcome.label_hex.empty();
    show_hex_path(loaded ? path : std::string());
    note_loaded_file(loaded ? path : std::string());
    show_status(
        loaded ? "HEX file reloaded for the " + model_name() + ": " + load_summary(outcome.status)
               : "HEX file not reloaded for the " + model_name() + ": the buffer is cleared.");
    enable();
}

std::string Form1::buffer_after_model_change() const {
    if (loaded_file_.empty())
        return "The buffer is cleared, as with every model change.";
    return loaded_file_ + " is loaded again for it" +
           (image_edited_ ? ", and your edits to the buffer are lost." : ".");
}

bool Form1::edits_may_be_replaced(const devices::model_selection& previous) {
    if (!image_edited_ || loaded_file_.empty())
        return true;
    const std::string question =
        "The buffer was edited since " + loaded_file_ + " was loaded. Selecting the " +
        model_name() +
        " loads that file again for it, and your edits are lost.\r\n\r\nSelect the " +
        model_name() + " and reload the file? No keeps the " + previous.values.name +
        " and the edited buffer (File > Save Buffer As keeps the edits in a file).";
    if (core::mymsgbox(question, question_default_no, "") == core::result_yes)
        return true;
    devices::selected_model() = previous;
    settings::model_setting.write(previous.number);
    show_status("Model not changed: the " + previous.values.name + " and the edited buffer stay.");
    return false;
}

bool Form1::erased_buffer_may_be_programmed() {
    if (!buffer_is_erased())
        return true;
    const std::string lead = loaded_file_.empty()
                                 ? "No HEX file is loaded and the buffer holds only erased values"
                                 : "The buffer holds only erased values (" + loaded_file_ +
                                       " has no data for the " + model_name() + ")";
    const std::string question =
        lead + ": Program All would leave the " + model_name() +
        " erased.\r\n\r\nProgram the erased buffer all the same? File > Open HEX File loads a "
        "program; Erase All erases a chip.";
    if (core::mymsgbox(question, question_default_no, "") == core::result_yes)
        return true;
    show_status("Program All not started: the buffer holds only erased values.");
    return false;
}

} // namespace ui
