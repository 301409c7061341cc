// The model selection dialog (Form5): its list and layout, Select, Cancel, double click,
// closing by the window's control, a model that cannot be chosen, and a database of more
// than seventy models.
#include "window_fixture.h"

#include "core/host_hooks.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"
#include "ui/color_theme.h"
#include "ui/form5.h"
#include "ui/table_widgets.h"
#include "ui/window_scale.h"

#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {

class ModelDialog : public test_ui::SettingsFolder {
  protected:
    void SetUp() override {
        SettingsFolder::SetUp();
        ASSERT_TRUE(
            devices::parse_device_table(test_ui::test_database_text(), "test", table_).ok());
        ui::loadtheme(); // the stored theme of the fresh store: "Original Lite"
        devices::selected_model().number = 1;
        devices::select_model(table_, 1, devices::selected_model().values);
    }
    devices::device_table table_;
};

TEST_F(ModelDialog, FiveModelsMakeThreeRowsAndAShortWindow) {
    table_.models[2].vdd = "1.80-3.60";
    table_.models[2].vpp = "7.80-9.00";
    ui::Form5 dialog(table_);
    const ui::twips_scale& scale = ui::window_scale();
    ASSERT_NE(dialog.entry(5), nullptr);
    EXPECT_EQ(dialog.entry(6), nullptr);
    EXPECT_EQ(dialog.entry(3)->text(), "PIC18F4420");
    // Left to right, then down.
    EXPECT_EQ(dialog.entry(1)->y(), dialog.entry(2)->y());
    EXPECT_LT(dialog.entry(1)->x(), dialog.entry(2)->x());
    EXPECT_EQ(dialog.entry(5)->x(), dialog.entry(1)->x());
    EXPECT_EQ(dialog.entry(5)->y(), scale.length(120 + 2 * 240));
    EXPECT_EQ(dialog.select_button()->y(), scale.length(120 + 2 * 240 + 360));
    EXPECT_EQ(dialog.cancel_button()->y(), dialog.select_button()->y());
    EXPECT_LT(dialog.cancel_button()->x(), dialog.select_button()->x());
    EXPECT_EQ(dialog.height(), dialog.select_button()->y() + scale.length(9075 - 8640));
    EXPECT_LT(dialog.height(), scale.length(9075));
    EXPECT_EQ(dialog.windowTitle(), "Select Microcontroller");
    EXPECT_EQ(dialog.entry(1)->fixed_tip(), "FLASH: 32768, EEPROM: 256");
    EXPECT_EQ(dialog.entry(5)->fixed_tip(), "FLASH: 64, EEPROM: 0");
    EXPECT_EQ(dialog.entry(2)->fixed_tip(),
              "FLASH: 32768, EEPROM: 256\nVDD 1.80-3.60 V, VPP 7.80-9.00 V");
}

TEST_F(ModelDialog, ClickThenCancelChangesNothing) {
    settings::write_setting_text("Microcontroller Model", "1");
    ui::Form5 dialog(table_);
    QTest::mouseClick(dialog.entry(3), Qt::LeftButton);
    EXPECT_EQ(devices::selected_model().number, 3);
    // The clicked entry is painted as the selection, the others as fields.
    const auto background = [&](int i) {
        return dialog.entry(i)->palette().color(QPalette::Window);
    };
    EXPECT_NE(background(3), background(1));
    EXPECT_EQ(background(1), background(2));
    dialog.cancel_button()->click();
    EXPECT_EQ(devices::selected_model().number, 1);
    EXPECT_EQ(settings::read_setting_text("Microcontroller Model", "?"), "1");
    EXPECT_EQ(devices::selected_model().values.name, "PIC18F4520");
}

TEST_F(ModelDialog, SelectStoresAndAppliesAChangedModelOnly) {
    ui::Form5 dialog(table_);
    QTest::mouseClick(dialog.entry(3), Qt::LeftButton);
    dialog.select_button()->click();
    EXPECT_EQ(settings::read_setting_text("Microcontroller Model", "?"), "3");
    EXPECT_EQ(devices::selected_model().values.name, "PIC18F4420");
    EXPECT_EQ(devices::selected_model().values.flash_size, 16384);

    // Choosing the model that was already selected stores nothing and selects nothing.
    settings::write_setting_text("Microcontroller Model", "3.0");
    devices::selected_model().values.name = "untouched";
    ui::Form5 again(table_);
    EXPECT_EQ(again.model_at_open(), 3);
    QTest::mouseClick(again.entry(3), Qt::LeftButton);
    again.select_button()->click();
    EXPECT_EQ(settings::read_setting_text("Microcontroller Model", "?"), "3.0");
    EXPECT_EQ(devices::selected_model().values.name, "untouched");
}

TEST_F(ModelDialog, DoubleClickSelectsAndCloses) {
    ui::Form5 dialog(table_);
    bool closed = false;
    QObject::connect(&dialog, &QDialog::finished, [&] { closed = true; });
    dialog.show();
    QTest::mouseDClick(dialog.entry(4), Qt::LeftButton);
    EXPECT_TRUE(closed);
    EXPECT_EQ(settings::read_setting_text("Microcontroller Model", "?"), "4");
    EXPECT_EQ(devices::selected_model().values.name, "PIC18F2420");
}

TEST_F(ModelDialog, ClosingByTheWindowControlIsCancelAndEscapeDoesNothing) {
    ui::Form5 dialog(table_);
    dialog.show();
    QTest::mouseClick(dialog.entry(2), Qt::LeftButton);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(devices::selected_model().number, 2);
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(devices::selected_model().number, 1);
    EXPECT_EQ(settings::read_setting_text("Microcontroller Model", "1"), "1");
}

TEST_F(ModelDialog, ModelBeyondAnyPic18IsListedButCannotBeChosen) {
    devices::device_table table;
    ASSERT_TRUE(devices::parse_device_table("model: PIC18FHUGE\r\nflash: 268435456\r\neeprom: "
                                            "0\r\nmodel: PIC18FX\r\nflash: 64\r\neeprom: 0\r\n",
                                            "t", table)
                    .ok());
    const core::host_hooks saved = core::hooks();
    std::vector<std::string> shown;
    core::host_hooks hooks = saved;
    hooks.message_box = [&](const std::string& text, int, const std::string&) {
        shown.push_back(text);
        return int{core::result_ok};
    };
    core::install_hooks(hooks);
    ui::Form5 dialog(table);
    EXPECT_EQ(dialog.entry(1)->fixed_tip(), "Cannot be selected: its FLASH size \"268435456\" is "
                                            "more than the 2097152 bytes a PIC18 can have.");
    QTest::mouseClick(dialog.entry(2), Qt::LeftButton);
    QTest::mouseClick(dialog.entry(1), Qt::LeftButton);
    EXPECT_EQ(devices::selected_model().number, 2);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("PIC18FHUGE cannot be selected: its FLASH size", 0), 0u) << shown[0];
    dialog.cancel_button()->click();
    core::install_hooks(saved);
}

TEST_F(ModelDialog, MoreThanSeventyModelsScrollAndEveryOneCanBeChosen) {
    std::string text;
    for (int i = 1; i <= 101; ++i)
        text += "model: PIC18FX" + std::to_string(i) +
                "\r\nflash: 1024\r\neeprom: 0\r\nconfigerased: "
                "00,00,00,00,00,00,00,00,00,00,00,00,00,00\r\n";
    devices::device_table big;
    ASSERT_TRUE(devices::parse_device_table(text, "big", big).ok());
    ASSERT_EQ(big.model_count(), 101);
    ui::Form5 dialog(big);
    const ui::twips_scale& scale = ui::window_scale();
    EXPECT_TRUE(dialog.list_area()->verticalScrollBar()->maximum() > 0);
    EXPECT_EQ(dialog.select_button()->y(), scale.length(8640)); // 35 rows in view
    ASSERT_NE(dialog.entry(101), nullptr);
    dialog.show();
    dialog.list_area()->ensureWidgetVisible(dialog.entry(101));
    QTest::mouseClick(dialog.entry(101), Qt::LeftButton);
    dialog.select_button()->click();
    EXPECT_EQ(settings::read_setting_text("Microcontroller Model", "?"), "101");
    EXPECT_EQ(devices::selected_model().values.name, "PIC18FX101");
}

} // namespace
