// The mouse-wheel hook of the main window. An event filter sits on the window's native
// window (and on up to three extra widgets) from activation to deactivation; it sees each
// wheel event once, before the window dispatches it to the widget under the pointer, turns
// the reported deltas into whole notches and calls the target's MouseWheel once per notch
// with +120 (wheel turned away from the user) or -120 (towards the user). The event then
// goes on to the window as usual.
#include "ui/mouse_wheel.h"

#include "settings/setting_names.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <array>

namespace ui {

namespace {

constexpr int notch = 120; // one wheel notch in eighths of a degree
// Pixel scrolling (touchpads that report no angle): one notch per this many pixels,
// about three table lines, which is what one notch scrolls.
constexpr int pixels_per_notch = 48;

// Key state flags of a wheel notification.
constexpr std::int32_t key_left_button = 0x0001;
constexpr std::int32_t key_right_button = 0x0002;
constexpr std::int32_t key_shift = 0x0004;
constexpr std::int32_t key_control = 0x0008;
constexpr std::int32_t key_middle_button = 0x0010;
constexpr std::int32_t key_back_button = 0x0020;
constexpr std::int32_t key_forward_button = 0x0040;

bool wheelproc(QObject* hooked, QEvent* event);

class wheel_filter final : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override { return wheelproc(watched, event); }
};

struct wheel_hook_record {
    bool installed = false;
    wheel_target* target = nullptr;
    QPointer<QObject> main_handle;
    std::array<QPointer<QObject>, 3> extra_handles;
    int angle_rest = 0; // turned since the last whole notch, in eighths of a degree
    int pixel_rest = 0; // scrolled since the last whole notch, in pixels
};

wheel_hook_record wheel_hook;

wheel_filter& filter() {
    static wheel_filter instance;
    return instance;
}

// What to hook for a widget: its native window, which receives the wheel events for the
// whole window before any child widget does; the widget itself while it has none.
QObject* hook_object(QWidget* widget) {
    if (widget == nullptr)
        return nullptr;
    if (widget->isWindow() && widget->windowHandle() != nullptr)
        return widget->windowHandle();
    return widget;
}

std::int32_t key_state_of(const QWheelEvent& wheel) {
    std::int32_t state = 0;
    const Qt::MouseButtons buttons = wheel.buttons();
    const Qt::KeyboardModifiers modifiers = wheel.modifiers();
    if (buttons & Qt::LeftButton)
        state |= key_left_button;
    if (buttons & Qt::RightButton)
        state |= key_right_button;
    if (modifiers & Qt::ShiftModifier)
        state |= key_shift;
    if (modifiers & Qt::ControlModifier)
        state |= key_control;
    if (buttons & Qt::MiddleButton)
        state |= key_middle_button;
    if (buttons & Qt::BackButton)
        state |= key_back_button;
    if (buttons & Qt::ForwardButton)
        state |= key_forward_button;
    return state;
}

// Adds `delta` to `rest` and takes whole notches out of it. A turn in the other direction
// starts afresh, so reversing the wheel answers at once.
int whole_notches(int& rest, int delta, int per_notch) {
    if ((delta > 0 && rest < 0) || (delta < 0 && rest > 0))
        rest = 0;
    rest += delta;
    const int notches = rest / per_notch;
    rest -= notches * per_notch;
    return notches;
}

// Notches away from the user (positive) or towards (negative) in one wheel event.
int notches_of(const QWheelEvent& wheel) {
    if (wheel.phase() == Qt::ScrollBegin) {
        wheel_hook.angle_rest = 0;
        wheel_hook.pixel_rest = 0;
    }
    // The platform may report the deltas reversed ("natural" scrolling); undo that so the
    // sign follows the physical wheel.
    const int sign = wheel.inverted() ? -1 : 1;
    int angle = wheel.angleDelta().y();
    // With Alt held some platforms report a vertical wheel as horizontal.
    if (angle == 0 && (wheel.modifiers() & Qt::AltModifier))
        angle = wheel.angleDelta().x();
    if (angle != 0)
        return whole_notches(wheel_hook.angle_rest, sign * angle, notch);
    const int pixels = wheel.pixelDelta().y();
    if (pixels != 0)
        return whole_notches(wheel_hook.pixel_rest, sign * pixels, pixels_per_notch);
    return 0;
}

bool is_hooked(QObject* object) {
    if (object == nullptr)
        return false;
    if (wheel_hook.main_handle == object)
        return true;
    for (const QPointer<QObject>& extra : wheel_hook.extra_handles)
        if (extra == object)
            return true;
    return false;
}

// Every event of a hooked object passes here; wheel events also reach MouseWheel. The
// event always goes on to the object afterwards.
bool wheelproc(QObject* hooked, QEvent* event) {
    if (event->type() != QEvent::Wheel || !wheel_hook.installed || !is_hooked(hooked) ||
        wheel_hook.main_handle.isNull())
        return false;
    const auto& wheel = *static_cast<QWheelEvent*>(event);
    const int notches = notches_of(wheel);
    const QPoint where = wheel.globalPosition().toPoint();
    for (int n = 0; n < (notches < 0 ? -notches : notches); ++n) {
        // MouseWheel may switch the hook off (by opening a dialog, for example).
        if (!wheel_hook.installed || wheel_hook.target == nullptr ||
            wheel_hook.main_handle.isNull())
            break;
        std::int32_t key_state = key_state_of(wheel);
        std::int32_t rotation = notches > 0 ? notch : -notch;
        std::int32_t x = where.x();
        std::int32_t y = where.y();
        wheel_hook.target->MouseWheel(key_state, rotation, x, y);
    }
    return false;
}

} // namespace

void installwheel(QWidget* window, wheel_target* target, QWidget* extra1, QWidget* extra2,
                  QWidget* extra3) {
    if (settings::mouse_wheel_setting.read() == 0)
        return;
    if (wheel_hook.installed)
        removewheel();
    wheel_hook.installed = true;
    wheel_hook.target = target;
    wheel_hook.angle_rest = 0;
    wheel_hook.pixel_rest = 0;
    wheel_hook.main_handle = hook_object(window);
    if (!wheel_hook.main_handle.isNull())
        wheel_hook.main_handle->installEventFilter(&filter());
    const std::array<QWidget*, 3> extras{extra1, extra2, extra3};
    for (std::size_t k = 0; k < extras.size(); ++k) {
        // A widget inside the hooked window needs no hook of its own: its wheel events
        // pass the window's hook already, and a second hook would count them twice.
        if (extras[k] != nullptr && window != nullptr && extras[k]->window() == window->window())
            continue;
        wheel_hook.extra_handles[k] = hook_object(extras[k]);
        if (!wheel_hook.extra_handles[k].isNull())
            wheel_hook.extra_handles[k]->installEventFilter(&filter());
    }
}

void removewheel() {
    if (!wheel_hook.installed)
        return;
    wheel_hook.installed = false;
    wheel_hook.target = nullptr;
    if (!wheel_hook.main_handle.isNull())
        wheel_hook.main_handle->removeEventFilter(&filter());
    wheel_hook.main_handle = nullptr;
    for (QPointer<QObject>& extra : wheel_hook.extra_handles) {
        if (!extra.isNull())
            extra->removeEventFilter(&filter());
        extra = nullptr;
    }
}

} // namespace ui
