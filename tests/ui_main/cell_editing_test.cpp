// The byte editor in the window: a right click on a table byte or a click on a
// configuration cell opens the box over it; Enter stores valid entries; Escape, invalid
// entries and the loss of the focus store nothing; a configuration byte with named
// settings is edited by them; the ID row edits the ID bytes. The click points are worked
// out from the table font's own character cell, and the test runs with two font sizes.
#include "window_fixture.h"

#include "devices/selected_model.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "ui/config_byte_dialog.h"
#include "ui/table_widgets.h"
#include "ui/window_scale.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>

namespace {

class CellEditing : public test_ui::WindowTest {
  protected:
    // Centre of the first digit of byte `column` on `line` of a table, measured with the
    // font's metrics independently of the view's own geometry.
    static QPoint byte_point(const ui::hex_table_view* table, int first_char, int column,
                             int line) {
        const QFontMetricsF metrics(table->font());
        const int cw = static_cast<int>(std::lround(metrics.horizontalAdvance(QLatin1Char('0'))));
        const int lh = ui::table_line_height(table->font());
        const QRect inside = table->contentsRect();
        return {inside.left() + 3 + (first_char + 3 * column) * cw + cw / 2,
                inside.top() + 1 + line * lh + lh / 2};
    }

    void right_click(ui::hex_table_view* table, QPoint where) {
        QTest::mouseClick(table, Qt::RightButton, {}, where);
    }

    void type_and_enter(const QString& text) {
        QTest::keyClicks(form_->unosbox, text);
        QTest::keyClick(form_->unosbox, Qt::Key_Return);
    }
};

TEST_F(CellEditing, RightClickOpensTheBoxOverTheByteAndEnterStoresIt) {
    for (const double points : {9.75, 14.0}) {
        SCOPED_TRACE("table font " + std::to_string(points) + " pt");
        QFont font = ui::table_font();
        font.setPointSizeF(points);
        form_->tabla_flash->set_table_font(font);
        form_->menuclear_Click();
        form_->label_hex->setText("loaded.hex");
        form_->scrl1->setValue(0x20);
        const QPoint at = byte_point(form_->tabla_flash, 8, 2, 1);
        right_click(form_->tabla_flash, at);
        ASSERT_TRUE(form_->unosbox->isVisible());
        EXPECT_TRUE(form_->unosbox->hasFocus());
        EXPECT_EQ(form_->edit_kind, 1);
        EXPECT_EQ(form_->edit_address, 0x212);
        // The box lies over the clicked byte.
        const QRect box = form_->unosbox->geometry();
        EXPECT_TRUE(box.contains(form_->tabla_flash->mapTo(form_->centralWidget(), at)));
        type_and_enter("7f");
        EXPECT_FALSE(form_->unosbox->isVisible());
        EXPECT_EQ(image::program_image().flash_image[0x212], 0x7F);
        EXPECT_EQ(form_->tabla_flash->lines()[1].mid(8 + 3 * 2, 2), "7F");
        EXPECT_TRUE(form_->label_hex->text().isEmpty());
        EXPECT_TRUE(form_->scrl1->hasFocus());
    }
}

TEST_F(CellEditing, InvalidEntriesAndEscapeChangeNothing) {
    const QPoint at = byte_point(form_->tabla_flash, 8, 0, 0);
    for (const char* entry : {"G1", " 5", "1FF", ""}) {
        form_->label_hex->setText("loaded.hex");
        right_click(form_->tabla_flash, at);
        ASSERT_TRUE(form_->unosbox->isVisible()) << entry;
        type_and_enter(entry);
        EXPECT_FALSE(form_->unosbox->isVisible()) << entry;
        EXPECT_EQ(image::program_image().flash_image[0], 255) << entry;
        EXPECT_EQ(form_->label_hex->text(), "loaded.hex") << entry;
    }
    right_click(form_->tabla_flash, at);
    QTest::keyClicks(form_->unosbox, "12");
    QTest::keyClick(form_->unosbox, Qt::Key_Escape);
    EXPECT_FALSE(form_->unosbox->isVisible());
    EXPECT_EQ(image::program_image().flash_image[0], 255);
    EXPECT_EQ(form_->label_hex->text(), "loaded.hex");
    EXPECT_EQ(form_->wheel_target, 1);

    // One digit is a value too.
    right_click(form_->tabla_flash, at);
    type_and_enter("A");
    EXPECT_EQ(image::program_image().flash_image[0], 0x0A);
}

TEST_F(CellEditing, EepromByteAndEscapeReturnsTheWheelToThatTable) {
    form_->scrl2->setValue(2);
    const QPoint at = byte_point(form_->tabla_eeprom, 6, 7, 3);
    right_click(form_->tabla_eeprom, at);
    ASSERT_TRUE(form_->unosbox->isVisible());
    EXPECT_EQ(form_->edit_kind, 2);
    EXPECT_EQ(form_->edit_address, (2 + 3) * 8 + 7);
    type_and_enter("c3");
    EXPECT_EQ(image::program_image().eeprom_image[47], 0xC3);
    EXPECT_EQ(form_->tabla_eeprom->lines()[3].right(2), "C3");
    EXPECT_EQ(form_->wheel_target, 2);

    right_click(form_->tabla_eeprom, at);
    QTest::keyClick(form_->unosbox, Qt::Key_Escape);
    EXPECT_TRUE(form_->scrl2->hasFocus());
    EXPECT_EQ(form_->wheel_target, 2);
}

TEST_F(CellEditing, ClicksBesideTheBytesOpenNothing) {
    const QRect inside = form_->tabla_flash->contentsRect();
    right_click(form_->tabla_flash, QPoint(inside.left() + 10, inside.top() + 5)); // address
    EXPECT_FALSE(form_->unosbox->isVisible());
    QTest::mouseClick(form_->tabla_flash, Qt::LeftButton, {},
                      byte_point(form_->tabla_flash, 8, 3, 3));
    EXPECT_FALSE(form_->unosbox->isVisible());

    // Below the last line of a memory smaller than the view (64 bytes: four lines).
    devices::selected_model().values.flash_size = 64;
    form_->menuclear_Click();
    right_click(form_->tabla_flash, byte_point(form_->tabla_flash, 8, 0, 5));
    EXPECT_FALSE(form_->unosbox->isVisible());
    right_click(form_->tabla_flash, byte_point(form_->tabla_flash, 8, 15, 3));
    EXPECT_TRUE(form_->unosbox->isVisible());
    EXPECT_EQ(form_->edit_address, 63);
}

TEST_F(CellEditing, ConfigurationCellUnder3H) {
    form_->label_hex->setText("loaded.hex");
    QTest::mouseClick(form_->label_conf[5], Qt::LeftButton);
    ASSERT_TRUE(form_->unosbox->isVisible());
    EXPECT_EQ(form_->edit_kind, 3);
    EXPECT_EQ(form_->edit_address, 6);
    EXPECT_EQ(form_->unosbox->x(), form_->label_conf[5]->x());
    EXPECT_EQ(form_->unosbox->width(), form_->label_conf[5]->width());
    type_and_enter("0F");
    EXPECT_EQ(image::program_image().config_image[5], 0x0F);
    EXPECT_EQ(form_->label_conf[5]->text(), "0F");
    EXPECT_TRUE(form_->label_hex->text().isEmpty());
    EXPECT_TRUE(form_->scrl1->hasFocus());
}

// A configuration byte whose settings the file beside the program names opens its editor
// by names: a choice recomputes the byte and the entry (bits outside every setting kept),
// the entry moves the choices, the cell's tip follows, and a read-protection setting is
// stored only after a Yes to its warning.
TEST_F(CellEditing, ConfigurationByteBySettingNames) {
    // A program folder the window has not read yet.
    const std::string program_folder = folder() + "program/";
    std::filesystem::create_directory(program_folder);
    test_ui::write_file(program_folder + "pinwrightconfig.txt",
                        "model: " + devices::selected_model().values.name +
                            "\nbyte: 3H 87 83\nsetting: CCP2MX 01 PORTBE=00 PORTC=01\n"
                            "byte: 5L 0F 0F\nsetting: CP0 01 ON=00 OFF=01\n");
    settings::program().app_folder = program_folder;
    auto& config = image::program_image().config_image;
    config[5] = 0x80;
    config[8] = 0x0F;
    form_->label_hex->setText("loaded.hex");

    auto dialog_of = [](QWidget* modal) {
        auto* dialog = dynamic_cast<ui::config_byte_dialog*>(modal);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    };
    auto edited = test_ui::on_next_modal([&](QWidget* modal) {
        auto* dialog = dialog_of(modal);
        ASSERT_NE(dialog, nullptr);
        QComboBox* ccp2mx = dialog->setting_boxes().at(0);
        EXPECT_EQ(dialog->hex_entry()->text(), "80");
        EXPECT_EQ(ccp2mx->currentText(), "PORTBE");
        emit ccp2mx->activated(1);
        EXPECT_EQ(dialog->hex_entry()->text(), "81") << "bit 7 kept";
        dialog->hex_entry()->setText("");
        QTest::keyClicks(dialog->hex_entry(), "C0");
        EXPECT_EQ(ccp2mx->currentText(), "PORTBE");
        emit ccp2mx->activated(1);
        dialog->ok_button()->click();
    });
    QTest::mouseClick(form_->label_conf[5], Qt::LeftButton);
    EXPECT_TRUE(*edited);
    EXPECT_FALSE(form_->unosbox->isVisible());
    EXPECT_EQ(config[5], 0xC1);
    EXPECT_EQ(form_->label_conf[5]->fixed_tip(), "Click to edit!\nCCP2MX = PORTC");
    EXPECT_EQ(form_->label_conf[0]->fixed_tip(), "Click to edit!");
    EXPECT_TRUE(form_->label_hex->text().isEmpty());

    // CP0 = ON: No keeps the dialog open and the byte as it was; Yes stores it.
    std::shared_ptr<test_ui::seen_box> no, yes;
    test_ui::on_next_modal([&](QWidget* modal) {
        auto* dialog = dialog_of(modal);
        ASSERT_NE(dialog, nullptr);
        emit dialog->setting_boxes().at(0)->activated(0);
        no = test_ui::answer_next_box(Qt::Key_N);
        dialog->ok_button()->click();
        EXPECT_TRUE(dialog->isVisible());
        yes = test_ui::answer_next_box(Qt::Key_Y);
        dialog->ok_button()->click();
    });
    QTest::mouseClick(form_->label_conf[8], Qt::LeftButton);
    ASSERT_TRUE(no && yes);
    EXPECT_TRUE(no->answered);
    EXPECT_TRUE(no->text.contains("CONFIG5L (300008h) = 0Eh:\nCP0 = ON: read protection"))
        << no->text.toStdString();
    EXPECT_TRUE(yes->answered);
    EXPECT_EQ(config[8], 0x0E);
}

// The ID row shows the image's ID bytes under a title with the model's address and edits
// them like a configuration byte; a model without ID locations shows no cells.
TEST_F(CellEditing, IdLocationRow) {
    EXPECT_EQ(form_->id_caption->text(), "ID locations (200000h)");
    image::program_image().id_image[2] = 0x12;
    form_->updatedisplay();
    for (std::size_t k = 0; k < form_->label_id.size(); ++k) {
        EXPECT_EQ(form_->label_id[k]->isVisible(), k < 8) << k;
        if (k >= 8)
            continue;
        EXPECT_EQ(form_->label_id[k]->text(), k == 2 ? "12" : "FF") << k;
    }
    form_->label_hex->setText("loaded.hex");
    QTest::mouseClick(form_->label_id[1], Qt::LeftButton);
    ASSERT_TRUE(form_->unosbox->isVisible());
    EXPECT_EQ(form_->unosbox->x(), form_->label_id[1]->x());
    type_and_enter("5a");
    EXPECT_EQ(image::program_image().id_image[1], 0x5A);
    EXPECT_EQ(form_->label_id[1]->text(), "5A");
    EXPECT_TRUE(form_->label_hex->text().isEmpty());

    devices::selected_model().values.layout.id_size = 0;
    form_->menuclear_Click();
    EXPECT_EQ(form_->id_caption->text(), "No ID locations");
    for (const ui::click_label* cell : form_->label_id)
        EXPECT_FALSE(cell->isVisible());
    QTest::mouseClick(form_->label_id[0], Qt::LeftButton);
    EXPECT_FALSE(form_->unosbox->isVisible());
}

// The grid and the ID rows follow the model: a classic part keeps its fourteen cells in
// their places; 35 numbered bytes (Q83/Q84) take five rows of the grown window, each cell
// editable; 256 ID bytes (Q10) page through two rows, every byte reachable.
TEST_F(CellEditing, GridAndIdRowsFollowTheModel) {
    const QRect classic_7h = ui::window_scale().rect(6600, 5160, 375, 255);
    const int classic_height = form_->centralWidget()->height();
    EXPECT_EQ(form_->label_conf[13]->geometry(), classic_7h);
    EXPECT_EQ(form_->lfix[13]->text(), "7H");
    EXPECT_FALSE(form_->label_conf[14]->isVisible());
    EXPECT_FALSE(form_->id_pager->isVisible());
    EXPECT_FALSE(form_->label_id[8]->isVisible());

    auto& layout = devices::selected_model().values.layout;
    layout.config_size = 35;
    layout.numbered_config_names = true;
    layout.id_size = 256;
    form_->menuclear_Click();
    for (std::size_t k = 0; k < 35; ++k) {
        EXPECT_TRUE(form_->label_conf[k]->isVisible()) << k;
        EXPECT_EQ(form_->lfix[k]->text(), QString::number(k + 1)) << k;
    }
    EXPECT_EQ(form_->label_conf[34]->y(),
              form_->label_conf[0]->y() + 4 * (classic_7h.y() - form_->label_conf[0]->y()));
    EXPECT_GT(form_->label_status->y(), form_->label_id[15]->y());
    EXPECT_GT(form_->centralWidget()->height(), classic_height);
    QTest::mouseClick(form_->label_conf[34], Qt::LeftButton);
    ASSERT_TRUE(form_->unosbox->isVisible());
    type_and_enter("3c");
    EXPECT_EQ(image::program_image().config_image[34], 0x3C);

    EXPECT_EQ(form_->id_caption->text(), "ID 200000h-20000Fh");
    ASSERT_TRUE(form_->id_pager->isVisible());
    EXPECT_TRUE(form_->label_id[15]->isVisible());
    form_->id_pager->setValue(form_->id_pager->maximum());
    EXPECT_EQ(form_->id_caption->text(), "ID 2000F0h-2000FFh");
    QTest::mouseClick(form_->label_id[15], Qt::LeftButton);
    ASSERT_TRUE(form_->unosbox->isVisible());
    type_and_enter("a5");
    EXPECT_EQ(image::program_image().id_image[255], 0xA5);
    EXPECT_EQ(form_->label_id[15]->text(), "A5");
}

TEST_F(CellEditing, PointerOverTheOtherTableClosesTheBoxWithoutStoring) {
    right_click(form_->tabla_flash, byte_point(form_->tabla_flash, 8, 1, 1));
    ASSERT_TRUE(form_->unosbox->isVisible());
    QTest::keyClicks(form_->unosbox, "55");
    test_ui::move_pointer(form_->tabla_eeprom, QPoint(30, 30));
    EXPECT_FALSE(form_->unosbox->isVisible());
    EXPECT_EQ(image::program_image().flash_image[0x11], 255);
    EXPECT_TRUE(form_->scrl2->hasFocus());
    EXPECT_EQ(form_->wheel_target, 2);
}

TEST_F(CellEditing, ScrollingTheBoxsTableClosesItWithoutStoring) {
    right_click(form_->tabla_flash, byte_point(form_->tabla_flash, 8, 1, 1));
    ASSERT_TRUE(form_->unosbox->isVisible());
    QTest::keyClicks(form_->unosbox, "55");
    form_->scrl2->setValue(1); // the other table: the box stays
    EXPECT_TRUE(form_->unosbox->isVisible());
    form_->scrl1->setValue(1);
    EXPECT_FALSE(form_->unosbox->isVisible());
    EXPECT_EQ(image::program_image().flash_image[0x11], 255);
    EXPECT_EQ(image::program_image().flash_image[0x21], 255);
    EXPECT_TRUE(form_->scrl1->hasFocus());
}

TEST_F(CellEditing, NoEditorWhileTheCommandsAreLocked) {
    form_->disable();
    right_click(form_->tabla_flash, byte_point(form_->tabla_flash, 8, 0, 0));
    EXPECT_FALSE(form_->unosbox->isVisible());
    QTest::mouseClick(form_->label_conf[0], Qt::LeftButton);
    EXPECT_FALSE(form_->unosbox->isVisible());
    EXPECT_TRUE(form_->tabla_flash->toolTip().isEmpty()) << "no invitation to edit";
    form_->enable();
    EXPECT_FALSE(form_->tabla_flash->toolTip().isEmpty());
}

} // namespace
