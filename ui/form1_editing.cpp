// The byte editor of the main window: a right click on a byte of a table, or a click on a
// configuration cell, opens the one edit box over it; Enter stores a valid entry, Escape,
// the loss of the focus and a scroll of the box's table drop it. While the commands are
// locked (a chip operation or a file load runs), no edit is opened, so the image cannot
// change under an operation.
#include "interpreter/algorithm_run.h"
#include "ui/cell_editing.h"
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
    unosbox->installEventFilter(this);
}

void Form1::tabla_MouseUp(int table, Qt::MouseButton button, QPoint where) {
    if (button != Qt::RightButton || !commands_enabled_)
        return;
    const bool flash = table == 1;
    const hex_table_view* view = flash ? tabla_flash : tabla_eeprom;
    const devices::model_values& model = devices::selected_model().values;
    const std::optional<table_hit> hit = hit_table(
        flash ? flash_format : eeprom_format, view->geometry_of_cells(), where.x(), where.y(),
        (flash ? scrl1 : scrl2)->value(), flash ? model.flash_size : model.eeprom_size);
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

void Form1::label_conf_Click(int index) {
    if (!commands_enabled_ || index < 0 || index >= static_cast<int>(label_conf.size()))
        return;
    edit_address = index + 1;
    const QRect cell = label_conf[static_cast<std::size_t>(index)]->geometry();
    unosbox->setGeometry(cell.x(), cell.y() + (cell.height() - unosbox->height()) / 2, cell.width(),
                         unosbox->height());
    unosbox->clear();
    unosbox->show();
    unosbox->raise();
    unosbox->setFocus(Qt::MouseFocusReason);
    edit_kind = edit_config;
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
    if (value >= 0) {
        image::memory_buffer& buffer = image::program_image();
        focus_edit_bar();
        const auto at = static_cast<std::size_t>(edit_address);
        switch (edit_kind) {
        case edit_flash:
            if (at < buffer.flash_image.size())
                buffer.flash_image[at] = value;
            break;
        case edit_eeprom:
            if (at < buffer.eeprom_image.size())
                buffer.eeprom_image[at] = value;
            break;
        case edit_config:
            if (edit_address >= 1 && edit_address <= 14)
                buffer.config_image[at - 1] = value;
            break;
        default:
            break;
        }
        updatedisplay();
        label_hex->clear();
        image_edited_ = true;
    } else {
        focus_edit_bar();
    }
    unosbox->hide();
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
