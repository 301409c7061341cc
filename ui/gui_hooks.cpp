// Widget-backed host hooks.
#include "ui/gui_hooks.h"

#include "core/host_hooks.h"
#include "ui/form1.h"
#include "ui/message_boxes.h"
#include "ui/table_widgets.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

namespace ui {

namespace {

std::int64_t now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t last_pass_us = 0;

constexpr std::int64_t slice_us = 10'000;
constexpr std::int64_t sliced_from_us = 20'000;

} // namespace

void gui_yield() {
    if (now_us() - last_pass_us < yield_interval_us)
        return;
    QCoreApplication::processEvents();
    last_pass_us = now_us();
}

void gui_sleep_us(std::int64_t microseconds) {
    if (microseconds <= 0)
        return;
    if (microseconds < core::spin_below_us) {
        core::spin_wait_us(microseconds);
        return;
    }
    if (microseconds < sliced_from_us) {
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
        return;
    }
    const std::int64_t deadline = now_us() + microseconds;
    for (std::int64_t left = microseconds; left > 0; left = deadline - now_us()) {
        std::this_thread::sleep_for(std::chrono::microseconds(std::min(left, slice_us)));
        gui_yield();
    }
}

void install_window_less_hooks() {
    core::host_hooks hooks = core::default_hooks();
    hooks.yield = [] { gui_yield(); };
    hooks.sleep_us = [](std::int64_t microseconds) { gui_sleep_us(microseconds); };
    hooks.message_box = [](const std::string& text, int kind, const std::string& title) {
        return mymsgbox_window(text, kind, title);
    };
    hooks.input_box = [](const std::string& prompt, const std::string& title,
                         const std::string& default_text) -> std::optional<std::string> {
        return myinputbox_window(prompt, title, default_text);
    };
    hooks.terminate = [](int exit_code) { QCoreApplication::exit(exit_code); };
    core::install_hooks(std::move(hooks));
}

void install_gui_hooks(Form1& window) {
    install_window_less_hooks();
    core::host_hooks hooks = core::hooks();
    hooks.set_status = [&window](const std::string& caption) { window.show_status(caption); };
    // The commands are greyed, and Stop shown, while a chip operation drives the port; the
    // tables follow the image, which after a read no longer holds the loaded file.
    hooks.notify = [&window](core::host_event event) {
        switch (event) {
        case core::host_event::operation_started:
            window.operation_started();
            break;
        case core::host_event::operation_ended:
            window.operation_ended();
            break;
        case core::host_event::image_changed:
            window.image_replaced();
            window.updatedisplay();
            break;
        }
    };
    core::install_hooks(std::move(hooks));
}

} // namespace ui
