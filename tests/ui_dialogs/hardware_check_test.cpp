// The hardware check dialog: the four switches, the DATA IN poll and closing.
#include "dialog_test_support.h"

#include "ui/dialog_commands.h"
#include "ui/form98.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class Form98HardwareCheck : public ui_test::shown_dialog_fixture<ui::Form98> {
  protected:
    // Waits for the DATA IN box to show `state`; counts the status reads (one per tick).
    bool data_in_shows(bool state) {
        clear_trace();
        return QTest::qWaitFor([&] { return check(5)->isChecked() == state; }, 5000);
    }
};

TEST_F(Form98HardwareCheck, OpensWithCaptionsTheOutputsOffAndThePollRunning) {
    Module94::port_settings.invert_datain = 0; // the idle adapter then reads DATA IN as 1
    Module94::vdd_on();
    clear_trace();
    open();
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Check Hardware");
    const char* captions[] = {"Enable VDD line (D2)", "Enable VPP line (D3)",
                              "Enable CLOCK line (D1)", "Enable DATA OUT line (D0)",
                              "Status of DATA IN line (S6)"};
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(check(n)->text().toStdString(), captions[n - 1]);
        EXPECT_FALSE(check(n)->isChecked()) << "Check" << n << ": nothing read before a tick";
    }
    EXPECT_EQ(count_in_trace("W 0378"), 4u) << "VDD, VPP, CLOCK and DATA OUT off";
    EXPECT_FALSE(pin_high(4));
    EXPECT_EQ(ui_test::painted_background(dialog.get()), 0xC0C0C0u);
    EXPECT_EQ(ui_test::painted_background(check(5)), 0xE0E0E0u);
    auto* timer = dialog->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 50);
    ASSERT_TRUE(data_in_shows(true));
    EXPECT_EQ(count_in_trace("R 0379"), 1u) << "the first tick shows the first reading";
}

TEST_F(Form98HardwareCheck, OutputBoxesSwitchTheirLinesBothWays) {
    using record = Module94::port_settings_record;
    const std::pair<std::int32_t record::*, int> lines[] = {{&record::invert_vdd, 4},
                                                            {&record::invert_vpp, 5},
                                                            {&record::invert_clock, 3},
                                                            {&record::invert_dataout, 2}};
    for (int n = 1; n <= 4; ++n) {
        for (int inverted : {0, 1}) {
            SCOPED_TRACE("Check" + std::to_string(n) + " inverted " + std::to_string(inverted));
            const auto [field, pin] = lines[n - 1];
            Module94::port_settings = {};
            Module94::port_settings.*field = inverted;
            open();
            EXPECT_EQ(pin_high(pin), inverted == 1) << "off after opening";
            QTest::mouseClick(check(n), Qt::LeftButton);
            EXPECT_EQ(pin_high(pin), inverted == 0) << "checked: on";
            const bool idle_high[] = {false, false, true, true}; // default inversions
            for (int other = 1; other <= 4; ++other) // no power order: only this line moves
                if (other != n) {
                    EXPECT_EQ(pin_high(lines[other - 1].second), idle_high[other - 1]) << other;
                }
            QTest::mouseClick(check(n), Qt::LeftButton);
            EXPECT_EQ(pin_high(pin), inverted == 1) << "unchecked: off";
        }
    }
}

TEST_F(Form98HardwareCheck, PollFollowsDataInWithinTwoTicksAndClicksReadAgain) {
    // With an empty socket the simulated adapter's DATA IN sees DATA OUT.
    open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    for (bool level : {true, false, true}) {
        SCOPED_TRACE(level ? "DATA OUT on" : "DATA OUT off");
        QTest::mouseClick(check(4), Qt::LeftButton);
        ASSERT_TRUE(data_in_shows(level));
        EXPECT_LE(count_in_trace("R 0379"), 2u) << "ticks taken to show the change";
        // A click cannot change the box: it reads the line again and hands on the focus.
        clear_trace();
        QTest::mouseClick(check(5), Qt::LeftButton);
        EXPECT_EQ(check(5)->isChecked(), level);
        EXPECT_GE(count_in_trace("R 0379"), 1u);
        EXPECT_EQ(QApplication::focusWidget(), dialog->findChild<QPushButton*>("Command1"));
    }
}

TEST_F(Form98HardwareCheck, ClosingInAnyWaySwitchesEverythingOffAndStopsThePoll) {
    for (const char* way : {"button", "close box", "escape", "menu command"}) {
        SCOPED_TRACE(way);
        if (std::string(way) == "menu command") {
            QTimer::singleShot(0, [] {
                auto* shown = dynamic_cast<ui::Form98*>(QApplication::activeModalWidget());
                ASSERT_NE(shown, nullptr);
                for (int n = 1; n <= 4; ++n)
                    shown->findChild<QCheckBox*>(QString("Check%1").arg(n))->click();
                shown->close();
            });
            ui::show_hardware_check();
        } else {
            open();
            for (int n = 1; n <= 4; ++n)
                QTest::mouseClick(check(n), Qt::LeftButton);
            ASSERT_TRUE(pin_high(4) && pin_high(5));
            close_by(way);
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_FALSE(dialog->findChild<QTimer*>("Timer1")->isActive());
        }
        EXPECT_FALSE(pin_high(4) || pin_high(5)) << "VDD and VPP off";
        EXPECT_TRUE(pin_high(3) && pin_high(2)) << "CLOCK and DATA OUT at 0 (inverted lines)";
    }
}

} // namespace
