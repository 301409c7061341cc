// The mouse wheel for the main window: while the main window is active, every wheel
// notch reaches its MouseWheel method as a rotation of +120 (away from the user) or -120
// (towards the user). Realised with a Qt event filter that is installed on activation
// and removed on deactivation; "Mouse Wheel Enabled" = 0 switches it off.
#pragma once

#include <cstdint>

class QWidget;

namespace ui {

// A window that takes wheel notifications.
class wheel_target {
  public:
    virtual ~wheel_target() = default;
    virtual void MouseWheel(std::int32_t& key_state, std::int32_t& rotation, std::int32_t& x,
                            std::int32_t& y) = 0;
};

// Hooks `window` (which must also be the wheel_target) and up to three extra widgets
// (null for none).
void installwheel(QWidget* window, wheel_target* target, QWidget* extra1 = nullptr,
                  QWidget* extra2 = nullptr, QWidget* extra3 = nullptr);
void removewheel();

} // namespace ui
