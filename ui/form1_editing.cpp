// The byte editor of the main window: a right click on a byte of a table, or a click on an
// ID location or on a configuration cell whose settings have no names, opens the one edit
// box over it; Enter stores a valid entry, Escape, the loss of the focus and a scroll of
// the box's table drop it. A configuration byte with named settings opens its editor by
// setting names instead. While the commands are locked (a chip operation or a file load
// runs), no edit is opened, so the image cannot change under an operation.
#include "devices/config_names.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "ui/cell_editing.h"
#include "ui/config_byte_dialog.h"
#include "ui/form1.h"
#include "ui/form1_layout.h"
#include "ui/table_widgets.h"
#include "ui/window_scale.h"

#include <QApplication>
#include <QLineEdit>

namespace ui {

void Form1::connect_editing() {
    tabla_flash->on_release = [this](Qt::MouseButton button, QPoint where) {
        tabla_MouseUp(1, button, where);
    };
    tabla_eeprom->on_release = [this](Qt::MouseButton button, QPoint where) {
        tabla_MouseUp(2, button, where);
    };
    for (std::size_t k = 0; k < label_conf.size(); ++k)
        label_conf[k]->on_click = [this, k] { label_conf_Click(static_cast<int>(k)); };
    for (std::size_t k = 0; k < label_id.size(); ++k)
        label_id[k]->on_click = [this, k] { label_id_Click(static_cast<int>(k)); };
    unosbox->installEventFilter(this);
}

void Form1::tabla_MouseUp(int table, Qt::MouseButton button, QPoint where) {
    if (button != Qt::RightButton || !commands_enabled_)
        return;
    const bool flash = table == 1;
    const hex_table_view* view = flash ? tabla_flash : tabla_eeprom;
    const devices::model_values& model = devices::selected_model().values;
    const std::optional<table_hit> hit =
        hit_table(flash ? flash_format : eeprom_format, view->geometry_of_cells(), where.x(),
                  where.y(), (flash ? scrl1 : scrl2)->value(),
                  flash ? devices::image_flash_size(model) : model.eeprom_size);
    if (!hit)
        return;
    edit_address = hit->address;
    const int line_height = view->geometry_of_cells().line_height;
    unosbox->setGeometry(view->x() + hit->box_left,
                         view->y() + hit->box_top - (unosbox->height() - line_height) / 2,
                         hit->box_width, unosbox->height());
    unosbox->clear();
    edit_pending = true;
    edit_kind = flash ? edit_flash : edit_eeprom;
    // The press has already handed the focus from the table to its scroll bar, so the box
    // is shown here rather than by a later focus change of the table.
    show_pending_edit();
}

void Form1::show_pending_edit() {
    if (!edit_pending)
        return;
    edit_pending = false;
    unosbox->show();
    unosbox->raise();
    unosbox->setFocus(Qt::MouseFocusReason);
}

// A configuration byte whose settings the shipped file names opens the editor by setting
// names; any other takes a hex value in the box over its cell.
void Form1::label_conf_Click(int index) {
    const devices::model_values& model = devices::selected_model().values;
    if (!commands_enabled_ || index < 0 || index >= static_cast<int>(label_conf.size()) ||
        index >= model.layout.config_size)
        return;
    const devices::model_config_names* named =
        devices::shipped_config_names(settings::program().app_folder).find(model.name);
    if (named != nullptr && named->byte(index) != nullptr &&
        !named->byte(index)->settings.empty()) {
        const std::int32_t now =
            image::program_image().config_image[static_cast<std::size_t>(index)];
        const std::optional<std::uint8_t> chosen = edit_config_byte(
            this, *named, index, devices::config_byte_name(model.layout, index),
            model.layout.config_address + index, static_cast<std::uint8_t>(now & 0xFF));
        edit_kind = edit_config;
        focus_edit_bar();
        if (chosen)
            store_edit(edit_config, index + 1, *chosen);
        return;
    }
    open_box_over(label_conf[static_cast<std::size_t>(index)], edit_config, index + 1);
}

// Cell `index` of the ID rows, which shows the ID byte that many after the first shown.
void Form1::label_id_Click(int index) {
    if (!commands_enabled_ || index < 0 || index >= static_cast<int>(label_id.size()) ||
        label_id[static_cast<std::size_t>(index)]->isHidden())
        return;
    const int id = first_id_shown() + index;
    if (id >= static_cast<int>(image::program_image().id_image.size()))
        return;
    open_box_over(label_id[static_cast<std::size_t>(index)], edit_id, id);
}

void Form1::open_box_over(QWidget* cell, std::int32_t kind, std::int32_t address) {
    edit_address = address;
    const QRect at = cell->geometry();
    unosbox->setGeometry(at.x(), at.y() + (at.height() - unosbox->height()) / 2, at.width(),
                         unosbox->height());
    unosbox->clear();
    unosbox->show();
    unosbox->raise();
    unosbox->setFocus(Qt::MouseFocusReason);
    edit_kind = kind;
}

void Form1::focus_edit_bar() {
    (edit_kind == edit_eeprom ? scrl2 : scrl1)->setFocus(Qt::OtherFocusReason);
}

void Form1::unosbox_Escape() {
    focus_edit_bar();
    unosbox->hide();
}

void Form1::unosbox_Enter() {
    const std::int32_t value = entry_value(unosbox->text().toStdString());
    focus_edit_bar();
    if (value >= 0)
        store_edit(edit_kind, edit_address, value);
    unosbox->hide();
}

void Form1::store_edit(std::int32_t kind, std::int32_t address, std::int32_t value) {
    image::memory_buffer& buffer = image::program_image();
    const auto at = static_cast<std::size_t>(address);
    switch (kind) {
    case edit_flash:
        if (at < buffer.flash_image.size())
            buffer.flash_image[at] = value;
        break;
    case edit_eeprom:
        if (at < buffer.eeprom_image.size())
            buffer.eeprom_image[at] = value;
        break;
    case edit_config:
        if (address >= 1 && address <= devices::selected_model().values.layout.config_size)
            buffer.config_image[at - 1] = value;
        break;
    case edit_id:
        if (at < buffer.id_image.size())
            buffer.id_image[at] = value;
        break;
    default:
        break;
    }
    updatedisplay();
    label_hex->clear();
    image_edited_ = true;
}

// The box stands over one byte of its table: when that table scrolls, the box closes
// without storing rather than stand over another byte.
void Form1::close_scrolled_edit(std::int32_t kind) {
    if (edit_kind != kind)
        return;
    edit_pending = false;
    if (!unosbox->isHidden())
        unosbox_Escape();
}

// Losing the focus closes the box without storing. When the focus went to another control
// of this window (the other table's scroll bar, say), it stays there.
void Form1::unosbox_LostFocus() {
    unosbox->hide();
    QWidget* now = QApplication::focusWidget();
    if (now == nullptr || now == unosbox || now->window() != this)
        focus_edit_bar();
}

} // namespace ui
