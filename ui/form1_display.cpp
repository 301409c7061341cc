// The main window's display of the program image: the two tables, the configuration grid
// and the ID locations (form1_grid.cpp), the model lines, the scroll bars, and the rules
// that decide which table the wheel and the arrow keys act on. The tables never keep the
// keyboard focus: it goes on to the table's scroll bar, whose focus makes it the wheel's
// table.
#include "devices/device_table.h"
#include "interpreter/algorithm_run.h"
#include "ui/cell_editing.h"
#include "ui/form1.h"
#include "ui/memory_tables.h"
#include "ui/table_widgets.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace ui {

namespace {

QStringList to_lines(const std::vector<std::string>& lines) {
    QStringList shown;
    for (const std::string& line : lines)
        shown.push_back(QString::fromStdString(line));
    return shown;
}

} // namespace

void Form1::connect_display() {
    // Any change of a bar's value, by the user or by code, rebuilds both tables; with
    // tracking on this includes every position of a dragged thumb.
    for (table_scroll_bar* bar : {scrl1, scrl2})
        connect(bar, &QScrollBar::valueChanged, this, [this] { updatedisplay(); });
    connect(scrl1, &QScrollBar::valueChanged, this, [this] { close_scrolled_edit(edit_flash); });
    connect(scrl2, &QScrollBar::valueChanged, this, [this] { close_scrolled_edit(edit_eeprom); });
    scrl1->on_focus = [this] { scrl_GotFocus(1); };
    scrl2->on_focus = [this] { scrl_GotFocus(2); };
    tabla_flash->on_focus = [this] { tabla_GotFocus(1); };
    tabla_eeprom->on_focus = [this] { tabla_GotFocus(2); };
    tabla_flash->on_pointer_move = [this] { tabla_MouseMove(1); };
    tabla_eeprom->on_pointer_move = [this] { tabla_MouseMove(2); };
    connect(id_pager, &QScrollBar::valueChanged, this, [this] {
        close_scrolled_edit(edit_id);
        show_id_locations();
    });
}

// The whole display is rebuilt from the image and the model in one go; it is painted by
// the next pass of the event loop, so it never shows half-built tables.
void Form1::updatedisplay() {
    const devices::model_values& model = devices::selected_model().values;
    const image::memory_buffer& buffer = image::program_image();
    label_ime->setText(QString::fromStdString(model.name));
    label_info->setText(
        QString::fromStdString(memory_sizes_caption(model.flash_size, model.eeprom_size)));
    show_model_tip(devices::voltage_ranges_text(model.vdd_range, model.vpp_range));
    tabla_flash->set_lines(to_lines(table_lines(flash_format, buffer.flash_image,
                                                devices::image_flash_size(model), scrl1->value())));
    tabla_eeprom->set_lines(to_lines(
        table_lines(eeprom_format, buffer.eeprom_image, model.eeprom_size, scrl2->value())));
    arrange_grid();
    show_config_grid();
    show_id_locations();
}

void Form1::MouseWheel(std::int32_t&, std::int32_t& rotation, std::int32_t&, std::int32_t&) {
    table_scroll_bar* bar = wheel_target == 1 ? scrl1 : wheel_target == 2 ? scrl2 : nullptr;
    if (bar == nullptr)
        return;
    // setValue redraws only when the value really changes.
    bar->setValue(wheel_value(bar->value(), rotation, bar->minimum(), bar->maximum()));
}

void Form1::scrl_GotFocus(int table) {
    wheel_target = table;
}

void Form1::tabla_GotFocus(int table) {
    (table == 1 ? scrl1 : scrl2)->setFocus(Qt::OtherFocusReason);
    show_pending_edit();
}

void Form1::tabla_MouseMove(int table) {
    if (table == 1 && wheel_target == 2)
        scrl1->setFocus(Qt::MouseFocusReason);
    else if (table == 2 && wheel_target == 1)
        scrl2->setFocus(Qt::MouseFocusReason);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == background_ && event->type() == QEvent::MouseButtonPress) {
        // A click on the window's background.
        scrl1->setFocus(Qt::MouseFocusReason);
        return false;
    }
    if (watched == unosbox) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape) {
                unosbox_Escape();
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                unosbox_Enter();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            unosbox_LostFocus();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace ui
