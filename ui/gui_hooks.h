// The host hooks of the window program: the core's captions, messages and questions go to
// the main window and the program's own message and input boxes, its notifications grey
// and restore the commands around an operation and redraw the tables after a read,
// and its yields run the event loop, throttled so that a chip operation spends almost no
// time on it while the window still repaints its progress.
#pragma once

#include <cstdint>

namespace ui {

class Form1;

// At most one pass of the event loop per this much wall time.
inline constexpr std::int64_t yield_interval_us = 15'000;

// Runs pending events when the last pass was at least yield_interval_us ago.
void gui_yield();

// Blocks for the given time. Waits of 20 ms and more are cut into slices with event-loop
// passes between them, so the window stays responsive through the power-up steps; the
// wait never ends early.
void gui_sleep_us(std::int64_t microseconds);

// Hooks that need no main window (the message and input boxes, the yield): for start-up
// messages before the window exists.
void install_window_less_hooks();

// All hooks, with the status line, and the notifications that lock the commands of
// `window` and redraw its tables.
void install_gui_hooks(Form1& window);

} // namespace ui
