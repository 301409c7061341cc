// The mouse-wheel hook, with a small window standing in for the main window: it installs
// the hook when it becomes active and removes it when it stops being active.
#include "dialog_test_support.h"

#include "settings/settings_store.h"
#include "ui/mouse_wheel.h"

#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

namespace {

// Counts the wheel events that reach it, to show that the hook passes them on.
class child_widget final : public QWidget {
  public:
    using QWidget::QWidget;
    int wheel_events = 0;

  protected:
    void wheelEvent(QWheelEvent* event) override {
        ++wheel_events;
        event->accept();
    }
};

class test_main_window final : public QWidget, public ui::wheel_target {
  public:
    test_main_window() {
        resize(300, 200);
        child = new child_widget(this);
        child->setGeometry(0, 0, 300, 200);
    }
    void MouseWheel(std::int32_t& key_state, std::int32_t& rotation, std::int32_t&,
                    std::int32_t&) override {
        rotations.push_back(rotation);
        key_states.push_back(key_state);
    }

    std::vector<std::int32_t> rotations, key_states;
    child_widget* child = nullptr;

  protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange) {
            if (isActiveWindow())
                ui::installwheel(this, this);
            else
                ui::removewheel();
        }
        QWidget::changeEvent(event);
    }
};

struct wheel_input {
    QPoint angle, pixels;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    bool inverted = false;
    Qt::ScrollPhase phase = Qt::NoScrollPhase;
};

class WheelHook : public ui_test::dialog_fixture {
  protected:
    void TearDown() override {
        ui::removewheel();
        dialog_fixture::TearDown();
    }
    void activate(QWidget& window) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // A wheel event as the window system delivers it: to the window, which hands it on to
    // the widget under the pointer.
    void turn(const wheel_input& input, Qt::MouseButtons buttons = Qt::NoButton) {
        const QPointF at(40, 30);
        QWheelEvent event(at, main.mapToGlobal(at), input.pixels, input.angle, buttons,
                          input.modifiers, input.phase, input.inverted);
        QCoreApplication::sendEvent(main.windowHandle(), &event);
    }
    void notch() { turn({QPoint(0, -120), {}}); }

    test_main_window main;
};

TEST_F(WheelHook, EnabledUnlessTheSettingIsZeroReadAtEachActivation) {
    activate(main);
    notch();
    EXPECT_EQ(main.rotations.size(), 1u);
    EXPECT_EQ(settings::read_setting_number("Mouse Wheel Enabled", 99), 1) << "created as 1";
    // Deactivated, then activated again with the setting at 0, then at 5.
    ui::removewheel();
    settings::write_setting_number("Mouse Wheel Enabled", 0);
    ui::installwheel(&main, &main);
    notch();
    EXPECT_EQ(main.rotations.size(), 1u) << "switched off";
    ui::removewheel();
    settings::write_setting_number("Mouse Wheel Enabled", 5);
    ui::installwheel(&main, &main);
    notch();
    EXPECT_EQ(main.rotations.size(), 2u);
    EXPECT_EQ(main.child->wheel_events, 3) << "the window still gets every wheel event";
}

TEST_F(WheelHook, OnlyWhileTheMainWindowIsActiveAndOneHookAfterTwoActivations) {
    activate(main);
    ui::installwheel(&main, &main); // a second activation without a deactivation
    notch();
    EXPECT_EQ(main.rotations.size(), 1u) << "one hook";
    QWidget dialog;
    dialog.resize(100, 80);
    activate(dialog);
    ASSERT_FALSE(main.isActiveWindow());
    notch();
    EXPECT_EQ(main.rotations.size(), 1u) << "no notification while another window is active";
    dialog.hide();
    activate(main);
    notch();
    EXPECT_EQ(main.rotations.size(), 2u) << "back on after reactivation";
    ui::removewheel();
    notch();
    EXPECT_EQ(main.rotations.size(), 2u) << "one removal takes the hook away completely";
}

TEST_F(WheelHook, EveryKindOfWheelGivesWholeNotches) {
    struct sequence_case {
        const char* what;
        std::vector<wheel_input> events;
        std::vector<std::int32_t> rotations;
    };
    const wheel_input begin{{}, {}, Qt::NoModifier, false, Qt::ScrollBegin};
    const sequence_case cases[] = {
        {"away", {{QPoint(0, 120), {}}}, {120}},
        {"towards", {{QPoint(0, -120), {}}}, {-120}},
        {"two notches at once", {{QPoint(0, -240), {}}}, {-120, -120}},
        {"reversed by the platform", {{QPoint(0, 120), {}, Qt::NoModifier, true}}, {-120}},
        {"high resolution", {{QPoint(0, 40), {}}, {QPoint(0, 40), {}}, {QPoint(0, 40), {}}}, {120}},
        {"part of a notch", {{QPoint(0, -60), {}}, {QPoint(0, -50), {}}}, {}},
        {"reversal starts afresh", {{QPoint(0, 100), {}}, {QPoint(0, -120), {}}}, {-120}},
        {"touchpad pixels", {{{}, QPoint(0, -30)}, {{}, QPoint(0, -30)}}, {-120}},
        {"long swipe", {{{}, QPoint(0, 100)}}, {120, 120}},
        {"new gesture drops the rest", {{QPoint(0, 100), {}}, begin, {QPoint(0, 100), {}}}, {}},
        {"horizontal", {{QPoint(120, 0), {}}}, {}},
        {"Alt turns the wheel sideways", {{QPoint(-120, 0), {}, Qt::AltModifier}}, {-120}},
        {"control held", {{QPoint(0, -120), {}, Qt::ControlModifier}}, {-120}},
    };
    activate(main);
    for (const sequence_case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::installwheel(&main, &main); // a fresh activation carries no rest over
        main.rotations.clear();
        for (const wheel_input& input : c.events)
            turn(input);
        EXPECT_EQ(main.rotations, c.rotations);
    }
    main.key_states.clear();
    turn({QPoint(0, -120), {}, Qt::ControlModifier | Qt::ShiftModifier}, Qt::LeftButton);
    EXPECT_EQ(main.key_states, std::vector<std::int32_t>{0x0008 | 0x0004 | 0x0001});
}

} // namespace
