// Host hooks: the one seam through which the headless core reaches its host.
// The GUI installs widget-backed hooks, the CLI terminal ones, tests recorders and a
// virtual clock. Core code never talks to a window or a terminal directly.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace core {

// What the core tells its host without asking anything back; each front end decides what
// to do with it (the window greys its commands during an operation and redraws its tables
// when the image changed; the CLI ignores them).
enum class host_event {
    operation_started, // a chip operation begins to drive the port
    operation_ended,   // it has ended, whatever the outcome
    image_changed,     // the program image changed under the front end (Read All)
};

// Message box kinds and results, as the message box understands them.
enum message_kind : int { msg_plain = 0, msg_yes_no = 4, msg_error = 16, msg_information = 64 };
// Added to msg_yes_no: Enter answers No (for a question whose safe answer is No).
inline constexpr int msg_default_no = 256;
enum message_result : int { result_ok = 1, result_yes = 6, result_no = 7 };

inline constexpr const char* app_title = "Tarvellic Pinwright";

struct host_hooks {
    // Let pending user-interface events run (a throttled processEvents in the GUI).
    std::function<void()> yield;
    // Caption of the main window's status line.
    std::function<void(const std::string&)> set_status;
    // Show a message; returns result_ok, result_yes or result_no. The title is never empty.
    std::function<int(const std::string& text, int kind, const std::string& title)> message_box;
    // Ask for one line of text; nothing when the user cancelled (an emptied field answers
    // the empty text). The title is never empty.
    std::function<std::optional<std::string>(const std::string& prompt, const std::string& title,
                                             const std::string& default_text)>
        input_box;
    // Block for the given number of microseconds (below spin_below_us on the monotonic
    // clock, not the system sleep).
    std::function<void(std::int64_t microseconds)> sleep_us;
    // Monotonic clock in microseconds (any origin).
    std::function<std::int64_t()> monotonic_us;
    // A notification from the core (see host_event).
    std::function<void(host_event)> notify;
    // End the program after a fatal error (the GUI quits; tests record it and return,
    // and the caller then stops the operation).
    std::function<void(int exit_code)> terminate;
};

// The system's sleep overshoots by tens of microseconds: a wait below this (a discharge
// hold, an adapter's settling delay) watches the monotonic clock instead, in every host.
inline constexpr std::int64_t spin_below_us = 1000;
void spin_wait_us(std::int64_t microseconds);

// Hooks for a process without a user interface: no yield, no status, messages on
// standard error (a yes/no question answers No), input boxes cancelled, real time.
host_hooks default_hooks();

// The installed hooks. Missing members are filled from default_hooks().
host_hooks& hooks();
void install_hooks(host_hooks replacement);

// Convenience calls through the installed hooks.
int mymsgbox(const std::string& text, int kind, const std::string& title);
// The answer, or the empty text when the user cancelled: for the prompts where an empty
// answer means cancelled.
std::string myinputbox(const std::string& prompt, const std::string& title,
                       const std::string& default_text);
// The answer, or nothing when the user cancelled: for a prompt where an emptied field is
// an answer of its own.
std::optional<std::string> myinputbox_answer(const std::string& prompt, const std::string& title,
                                             const std::string& default_text);
void host_yield();
void set_status(const std::string& caption);
void sleep_ms(std::int64_t milliseconds);
std::int64_t monotonic_us();
void notify(host_event event);
void terminate_program(int exit_code);

} // namespace core
