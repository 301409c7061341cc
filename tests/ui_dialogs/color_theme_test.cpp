// Colour themes: the table, loadtheme's handling of stored names, the theme dialog with
// its live preview, Select, Cancel, Enter, Escape and close box, and the main window's
// menu bar, readable under every theme.
#include "dialog_test_support.h"

#include "settings/settings_store.h"
#include "ui/color_theme.h"
#include "ui/dialog_commands.h"
#include "ui/form1.h"
#include "ui/form34.h"
#include "ui/theme_table.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

using ui_test::stored_text;

std::vector<std::uint32_t*> roles() {
    return {&ui::color_window,
            &ui::color_panel,
            &ui::color_panel_text,
            &ui::color_selected,
            &ui::color_selected_text,
            &ui::color_heading,
            &ui::color_heading_text,
            &ui::color_field,
            &ui::color_field_text,
            &ui::color_memory_title,
            &ui::color_memory_title_text,
            &ui::color_model,
            &ui::color_model_text,
            &ui::color_info,
            &ui::color_info_text};
}

std::vector<std::uint32_t> current_roles() {
    std::vector<std::uint32_t> values;
    for (const std::uint32_t* role : roles())
        values.push_back(*role);
    return values;
}

// The fifteen roles of a theme: the table's fourteen with the black heading text.
std::vector<std::uint32_t> roles_of(const char* theme) {
    const auto& c = ui::find_theme_row(theme)->colors;
    std::vector<std::uint32_t> values(c.begin(), c.end());
    values.insert(values.begin() + ui::column_heading + 1, 0x000000);
    return values;
}

class ColorThemeLoading : public ui_test::dialog_fixture {
  protected:
    void SetUp() override {
        dialog_fixture::SetUp();
        for (std::uint32_t* role : roles())
            *role = 0; // as at start-up
    }
    void load(const char* stored) {
        settings::write_setting_text("Color Theme", stored);
        ui::loadtheme();
    }
};

TEST_F(ColorThemeLoading, TableHoldsTheDialogsFortySixThemes) {
    const auto& names = ui::theme_names();
    ASSERT_EQ(names.size(), 46u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 46u);
    EXPECT_EQ(ui::theme_table().size(), 46u);
    for (const std::string& name : names)
        EXPECT_NE(ui::find_theme_row(name), nullptr) << name;
    EXPECT_EQ(names[34] + "|" + names[35], "Original Dark|Original Lite") << "row 18";
    EXPECT_EQ(names[1] + "|" + names[45], "Arctica|Winamp Old");
    // The two blueberry themes differ exactly in the roles up to the heading.
    const auto& plain = ui::find_theme_row("Blueberry")->colors;
    const auto& cream = ui::find_theme_row("Blueberry And Cream")->colors;
    for (std::size_t column = 0; column < plain.size(); ++column)
        EXPECT_EQ(plain[column] == cream[column], column > ui::column_heading) << column;
}

TEST_F(ColorThemeLoading, StoredNamesGiveTheirThemeOrTheDefault) {
    struct name_case {
        const char* before; // theme applied first; nullptr: none (all roles black)
        const char* stored; // nullptr: no value stored
        const char* colours_of;
    };
    const name_case cases[] = {
        {nullptr, nullptr, "Original Lite"},
        {nullptr, "Original Dark", "Original Dark"},
        {"Toxic", "Jeans", "Jeans"},
        {"Toxic", "amethyst", "Original Lite"},
        {nullptr, "JEANS", "Original Lite"},
        {nullptr, "Jeans ", "Original Lite"},
        {"Jeans", "No Such Theme", "Original Lite"},
        {"Toxic", "", "Toxic"}, // an empty name keeps the colours in use
        // ...but black on black at start-up would hide every label: default colours then.
        {nullptr, "", "Original Lite"},
    };
    for (const name_case& c : cases) {
        SCOPED_TRACE(std::string(c.before ? c.before : "start-up") + ", stored " +
                     (c.stored ? "'" + std::string(c.stored) + "'" : "nothing"));
        ui_test::clear_settings();
        for (std::uint32_t* role : roles())
            *role = 0;
        if (c.before != nullptr)
            load(c.before);
        ui_test::clear_settings();
        if (c.stored != nullptr)
            settings::write_setting_text("Color Theme", c.stored);
        ui::loadtheme();
        const std::string name = c.stored ? c.stored : "Original Lite";
        EXPECT_EQ(ui::theme_name, name);
        EXPECT_EQ(stored_text("Color Theme"), name) << "a missing name is stored";
        EXPECT_EQ(current_roles(), roles_of(c.colours_of));
    }
    EXPECT_EQ(ui::color_window, 0xD7E6CAu) << "the default theme's window background";
}

class Form34ThemeDialog : public ColorThemeLoading {
  protected:
    void open_under(const char* theme) {
        load(theme);
        repaints.clear();
        dialog = std::make_unique<ui::Form34>(
            [this] { repaints.push_back(stored_text("Color Theme") + "/" + ui::theme_name); });
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    QLabel* entry(const std::string& name) {
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (label->text().toStdString() == name)
                return label;
        return nullptr;
    }
    void click(const char* name) { QTest::mouseClick(entry(name), Qt::LeftButton); }
    QPushButton* button(const char* name) { return dialog->findChild<QPushButton*>(name); }
    // The entries painted in the selected colours; every other must be in the field colours.
    std::vector<std::string> highlighted() {
        std::vector<std::string> names;
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            const std::uint32_t shown = ui_test::painted_background(label);
            const QRgb text = label->palette().color(QPalette::WindowText).rgb() & 0xFFFFFFu;
            if (shown == ui::color_selected && text == ui::color_selected_text)
                names.push_back(label->text().toStdString());
            else
                EXPECT_TRUE(shown == ui::color_field && text == ui::color_field_text)
                    << label->text().toStdString();
        }
        return names;
    }

    std::unique_ptr<ui::Form34> dialog;
    std::vector<std::string> repaints; // "stored/theme_name" at each main-window repaint
};

TEST_F(Form34ThemeDialog, OpensWithTheCurrentThemeHighlighted) {
    open_under("Jeans");
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Change Color Theme");
    EXPECT_EQ(dialog->findChildren<QLabel*>().size(), 46);
    EXPECT_EQ(ui_test::painted_background(dialog.get()), 0x27324Bu);
    EXPECT_EQ(highlighted(), std::vector<std::string>{"Jeans"});
    EXPECT_EQ(button("Command1")->text() + "|" + button("Command2")->text(), "Select|Cancel");
    EXPECT_LT(button("Command2")->x(), button("Command1")->x()) << "Cancel on the left";
    EXPECT_EQ(button("Command1")->palette().color(QPalette::Button),
              QApplication::palette().color(QPalette::Button))
        << "buttons are not themed";
    EXPECT_EQ(entry("Amethyst")->y(), entry("Arctica")->y()) << "names read row by row";
    EXPECT_LT(entry("Amethyst")->x(), entry("Arctica")->x());
    EXPECT_TRUE(repaints.empty());
    dialog.reset();
    open_under("amethyst");
    EXPECT_TRUE(highlighted().empty()) << "a wrong-case name matches no entry";
}

TEST_F(Form34ThemeDialog, ToxicThenBloodsThenCancelUnderJeans) {
    open_under("Jeans");
    click("Toxic");
    EXPECT_EQ(stored_text("Color Theme"), "Toxic");
    EXPECT_EQ(current_roles(), roles_of("Toxic"));
    EXPECT_EQ(highlighted(), std::vector<std::string>{"Toxic"});
    EXPECT_EQ(ui_test::painted_background(dialog.get()), 0x6B7755u) << "live preview";
    click("Bloods");
    EXPECT_EQ(stored_text("Color Theme"), "Bloods");
    EXPECT_EQ(highlighted(), std::vector<std::string>{"Bloods"});
    QTest::mouseClick(button("Command2"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ui::theme_name, "Jeans");
    EXPECT_EQ(current_roles(), roles_of("Jeans"));
    EXPECT_EQ(repaints, (std::vector<std::string>{"Toxic/Toxic", "Bloods/Bloods", "Jeans/Jeans"}));
}

TEST_F(Form34ThemeDialog, EveryWayOfClosing) {
    struct ending {
        const char* way;
        const char* theme_after;
        std::size_t repaints; // the click's and, unless the close box was used, the ending's
    };
    for (const ending& e :
         {ending{"Select", "Grapes", 2}, ending{"Enter", "Grapes", 2}, ending{"Escape", "Jeans", 2},
          ending{"close box", "Grapes", 1}, ending{"menu command", "Grapes", 2}}) {
        SCOPED_TRACE(e.way);
        const std::string way = e.way;
        if (way == "menu command") {
            load("Jeans");
            repaints.clear();
            QTimer::singleShot(0, [] {
                auto* shown = dynamic_cast<ui::Form34*>(QApplication::activeModalWidget());
                ASSERT_NE(shown, nullptr);
                shown->opcija_Click(23); // Grapes
                shown->Command1_Click();
            });
            ui::show_color_themes([this] { repaints.push_back(ui::theme_name); });
        } else {
            open_under("Jeans");
            dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
            click("Grapes");
            button("Command2")->setFocus(); // the keys act whichever button has the focus
            if (way == "Select")
                QTest::mouseClick(button("Command1"), Qt::LeftButton);
            else if (way == "close box")
                dialog->close();
            else
                QTest::keyClick(QApplication::focusWidget(),
                                way == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
            EXPECT_FALSE(dialog->isVisible());
        }
        EXPECT_EQ(stored_text("Color Theme"), e.theme_after);
        EXPECT_EQ(current_roles(), roles_of(e.theme_after));
        EXPECT_EQ(repaints.size(), e.repaints);
    }
}

// WCAG relative luminance of a colour.
double luminance(QRgb rgb) {
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

// The menu bar as drawn: its most common pixel is the bar, the pixel furthest from it in
// luminance is the captions' ink; their contrast ratio must let the captions be read.
TEST_F(ColorThemeLoading, MenuBarCaptionsCanBeReadInEveryTheme) {
    ui::Form1 window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const std::string& name : ui::theme_names()) {
        load(name.c_str());
        window.settheme();
        const QImage bar = window.menuBar()->grab().toImage();
        std::map<QRgb, int> counts;
        for (int y = 0; y < bar.height(); ++y)
            for (int x = 0; x < bar.width(); ++x)
                ++counts[bar.pixel(x, y)];
        const QRgb ground =
            std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                return a.second < b.second;
            })->first;
        double ink = luminance(ground);
        for (const auto& [colour, count] : counts)
            if (std::abs(luminance(colour) - luminance(ground)) > std::abs(ink - luminance(ground)))
                ink = luminance(colour);
        const double ratio =
            (std::max(ink, luminance(ground)) + 0.05) / (std::min(ink, luminance(ground)) + 0.05);
        EXPECT_GE(ratio, 4.5) << name;
    }
}

} // namespace
