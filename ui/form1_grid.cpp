// The main window's configuration grid and ID rows: placed for the selected model's number
// of configuration and ID bytes (the window grows for a model with more than the classic
// parts' fourteen and eight), filled from the image with each cell's name, value and tip,
// and the pager that brings every ID byte of a large ID area into the rows.
#include "core/hex_text.h"
#include "devices/config_names.h"
#include "image/memory_buffer.h"
#include "settings/program_values.h"
#include "ui/form1.h"
#include "ui/table_widgets.h"
#include "ui/window_scale.h"

#include <QScrollBar>

#include <algorithm>

namespace ui {

namespace L = form1_layout;

namespace {

// "Click to edit!", then the settings of `value` and what to notice about them, one a line.
QString config_cell_tip(const devices::model_config_names* model, int index, std::int32_t value) {
    QString tip = QStringLiteral("Click to edit!");
    if (model == nullptr)
        return tip;
    const auto decoded =
        devices::decode_config_byte(*model, index, static_cast<std::uint8_t>(value & 0xFF));
    if (!decoded.settings.empty())
        tip += QLatin1Char('\n') + QString::fromStdString(devices::settings_text(decoded));
    for (const std::string& notice : decoded.notices)
        tip += QStringLiteral("\nWarning: ") + QString::fromStdString(notice);
    return tip;
}

QString hex_address(std::int64_t address) {
    return QString::fromStdString(core::hex6h(static_cast<std::int32_t>(address)));
}

} // namespace

void Form1::arrange_grid() {
    const devices::image_layout& layout = devices::selected_model().values.layout;
    const L::grid_shape shape = L::shape_for(layout.config_size, layout.id_size);
    if (grid_placed_ && shape == shape_)
        return;
    grid_placed_ = true;
    shape_ = shape;
    const twips_scale& scale = window_scale();
    auto place = [&](QWidget* widget, const L::place& at, int drop) {
        scale.place(widget, at.left, at.top + drop, at.width, at.height);
    };

    for (std::size_t k = 0; k < lfix.size(); ++k) {
        const int column = L::grid_columns[k % 7];
        const int top = L::grid_top + static_cast<int>(k / 7) * L::grid_row_pitch;
        place(lfix[k], {column, top, L::grid_cell_width, L::grid_cell_height}, 0);
        place(label_conf[k], {column, top, L::grid_cell_width, L::grid_cell_height},
              L::grid_value_drop);
    }

    // Everything under the grid moves down by the rows it gained.
    const int id_drop = (shape.config_rows - L::grid_least_rows) * L::grid_row_pitch;
    place(id_caption, L::id_caption.at, id_drop);
    place(id_pager, L::id_pager, id_drop);
    for (int k = 0; k < L::id_cells; ++k)
        place(label_id[static_cast<std::size_t>(k)],
              {L::id_cell_left + k % L::id_cells_per_row * L::id_cell_pitch,
               L::id_cell_top + k / L::id_cells_per_row * L::id_row_pitch, L::id_cell_width,
               L::grid_cell_height},
              id_drop);
    id_pager->setRange(0, shape.id_pages);
    id_pager->setPageStep(shape.id_rows);
    id_pager->setValue(0);
    id_pager->setVisible(shape.id_pages > 0);
    place(Label5, L::Label5.at, shape.grown);
    place(label_status, L::label_status, shape.grown);
    background_->setFixedSize(scale.length(L::client_width),
                              scale.length(L::client_height + shape.grown));
}

int Form1::first_id_shown() const {
    return id_pager->value() * L::id_cells_per_row;
}

void Form1::show_config_grid() {
    const devices::model_values& model = devices::selected_model().values;
    const image::memory_buffer& buffer = image::program_image();
    const devices::model_config_names* named =
        devices::shipped_config_names(settings::program().app_folder).find(model.name);
    const devices::image_layout& layout = model.layout;
    // A part with its configuration in FLASH has eight bytes, CONFIG1L..CONFIG4H.
    config_caption->set_fixed_tip(
        layout.config_in_flash
            ? QString::fromStdString("The last " + std::to_string(layout.config_size) +
                                     " bytes of FLASH, ") +
                  hex_address(layout.config_address) + QStringLiteral(" on")
            : QString());
    for (std::size_t k = 0; k < label_conf.size(); ++k) {
        const int index = static_cast<int>(k);
        const bool exists = index < layout.config_size;
        lfix[k]->setVisible(exists);
        label_conf[k]->setVisible(exists);
        if (!exists)
            continue;
        lfix[k]->setText(QString::fromStdString(devices::config_byte_name(layout, index)));
        lfix[k]->set_fixed_tip(QStringLiteral("CONFIG") + lfix[k]->text() + QStringLiteral(" (") +
                               hex_address(layout.config_address + index) + QLatin1Char(')'));
        label_conf[k]->setText(QString::fromStdString(core::hex2(buffer.config_image[k])));
        label_conf[k]->set_fixed_tip(config_cell_tip(named, index, buffer.config_image[k]));
    }
}

void Form1::show_id_locations() {
    const devices::image_layout& layout = devices::selected_model().values.layout;
    const std::vector<std::int32_t>& ids = image::program_image().id_image;
    const int count = std::min(layout.id_size, static_cast<int>(ids.size()));
    const int first = first_id_shown();
    const int last = std::min(count, first + shape_.id_rows * L::id_cells_per_row) - 1;
    if (count <= 0)
        id_caption->setText(QStringLiteral("No ID locations"));
    else if (shape_.id_pages == 0)
        id_caption->setText(QStringLiteral("ID locations (") + hex_address(layout.id_address) +
                            QLatin1Char(')'));
    else
        id_caption->setText(QStringLiteral("ID ") + hex_address(layout.id_address + first) +
                            QLatin1Char('-') + hex_address(layout.id_address + last));
    const QString whole =
        QString::fromStdString("The model's " + std::to_string(count) + " ID bytes, ") +
        hex_address(layout.id_address) + QStringLiteral(" to ") +
        hex_address(layout.id_address + count - 1);
    id_caption->set_fixed_tip(shape_.id_pages > 0
                                  ? whole + QStringLiteral(": the bar beside pages through them.")
                                  : QString());
    id_pager->setToolTip(shape_.id_pages > 0 ? whole : QString());
    for (int k = 0; k < L::id_cells; ++k) {
        click_label* cell = label_id[static_cast<std::size_t>(k)];
        const int id = first + k;
        const bool shown = k < shape_.id_rows * L::id_cells_per_row && id < count;
        cell->setVisible(shown);
        if (!shown)
            continue;
        cell->setText(QString::fromStdString(core::hex2(ids[static_cast<std::size_t>(id)])));
        cell->set_fixed_tip(QStringLiteral("Click to edit!\nID location ") +
                            hex_address(layout.id_address + id));
    }
}

} // namespace ui
