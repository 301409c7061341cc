// Installed host hooks and the defaults for a process without a user interface.
#include "core/host_hooks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace core {

namespace {

host_hooks& installed() {
    static host_hooks current = default_hooks();
    return current;
}

} // namespace

void spin_wait_us(std::int64_t microseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    while (std::chrono::steady_clock::now() < until) {
    }
}

host_hooks default_hooks() {
    host_hooks h;
    h.yield = [] {};
    h.set_status = [](const std::string&) {};
    h.message_box = [](const std::string& text, int kind, const std::string&) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return (kind & ~msg_default_no) == msg_yes_no ? int{result_no} : int{result_ok};
    };
    h.input_box = [](const std::string&, const std::string&,
                     const std::string&) -> std::optional<std::string> { return std::nullopt; };
    h.sleep_us = [](std::int64_t microseconds) {
        if (microseconds <= 0)
            return;
        if (microseconds < spin_below_us) {
            spin_wait_us(microseconds);
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    };
    h.monotonic_us = [] {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    h.notify = [](host_event) {};
    h.terminate = [](int exit_code) { std::exit(exit_code); };
    return h;
}

host_hooks& hooks() {
    return installed();
}

void install_hooks(host_hooks replacement) {
    host_hooks fallback = default_hooks();
    auto fill = [](auto& member, auto& default_member) {
        if (!member)
            member = std::move(default_member);
    };
    fill(replacement.yield, fallback.yield);
    fill(replacement.set_status, fallback.set_status);
    fill(replacement.message_box, fallback.message_box);
    fill(replacement.input_box, fallback.input_box);
    fill(replacement.sleep_us, fallback.sleep_us);
    fill(replacement.monotonic_us, fallback.monotonic_us);
    fill(replacement.notify, fallback.notify);
    fill(replacement.terminate, fallback.terminate);
    installed() = std::move(replacement);
}

int mymsgbox(const std::string& text, int kind, const std::string& title) {
    return installed().message_box(text, kind, title.empty() ? std::string(app_title) : title);
}

std::string myinputbox(const std::string& prompt, const std::string& title,
                       const std::string& default_text) {
    return myinputbox_answer(prompt, title, default_text).value_or(std::string());
}

std::optional<std::string> myinputbox_answer(const std::string& prompt, const std::string& title,
                                             const std::string& default_text) {
    return installed().input_box(prompt, title.empty() ? std::string(app_title) : title,
                                 default_text);
}

void host_yield() {
    installed().yield();
}

void set_status(const std::string& caption) {
    installed().set_status(caption);
}

void sleep_ms(std::int64_t milliseconds) {
    installed().sleep_us(milliseconds * 1000);
}

std::int64_t monotonic_us() {
    return installed().monotonic_us();
}

void notify(host_event event) {
    installed().notify(event);
}

void terminate_program(int exit_code) {
    installed().terminate(exit_code);
}

} // namespace core
