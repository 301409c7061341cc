// Terminal rendering of operation progress: the bar line drawn in place on a terminal,
// the plain lines on a pipe or file.
#include "cli/progress_display.h"

#include "core/host_hooks.h"
#include "devices/model_select.h"
#include "devices/selected_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <sys/ioctl.h>
#include <unistd.h>

namespace cli {

namespace {

constexpr std::int64_t redraw_interval_us = 100'000;
constexpr std::size_t min_bar_width = 10;
constexpr std::size_t max_bar_width = 50;

const char* phase_name(const std::string& region) {
    return region == "F" ? "FLASH" : region == "E" ? "EEPROM" : "configuration";
}

} // namespace

int terminal_columns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        const long value = std::strtol(columns, nullptr, 10);
        if (value > 0 && value < 10000)
            return static_cast<int>(value);
    }
    return 80;
}

std::string duration_text(std::int64_t microseconds) {
    const std::int64_t tenths = std::max<std::int64_t>(microseconds, 0) / 100'000;
    char text[32];
    if (tenths < 600)
        std::snprintf(text, sizeof text, "%lld.%lld s", static_cast<long long>(tenths / 10),
                      static_cast<long long>(tenths % 10));
    else if (tenths < 36'000)
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(tenths / 600),
                      static_cast<long long>(tenths / 10 % 60));
    else
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(tenths / 36'000),
            static_cast<long long>(tenths / 600 % 60), static_cast<long long>(tenths / 10 % 60));
    return text;
}

bool parse_progress(const std::string& caption, std::string& region, long& done, long& total) {
    if (caption.size() < 5 || (caption[0] != 'F' && caption[0] != 'E') || caption[1] != ':')
        return false;
    const auto slash = caption.find('/');
    if (slash == std::string::npos)
        return false;
    char* end = nullptr;
    done = std::strtol(caption.c_str() + 2, &end, 10);
    if (end != caption.c_str() + slash)
        return false;
    total = std::strtol(caption.c_str() + slash + 1, &end, 10);
    if (*end != '\0' || total <= 0)
        return false;
    region = caption.substr(0, 1);
    return true;
}

progress_display::progress_display(std::ostream& err, bool terminal, bool quiet,
                                   std::function<std::int64_t()> now_us,
                                   std::function<int()> columns)
    : err_(err), terminal_(terminal), quiet_(quiet), now_us_(std::move(now_us)),
      columns_(std::move(columns)) {
    if (!now_us_)
        now_us_ = [] { return core::monotonic_us(); };
}

void progress_display::finish_line() {
    if (bar_open_) {
        err_ << '\n';
        bar_open_ = false;
    }
    err_.flush();
}

void progress_display::operation_ended(bool completed) {
    if (quiet_)
        return;
    end_phase(completed);
    finish_line();
}

void progress_display::begin_phase(const std::string& region, long total) {
    region_ = region;
    total_ = total;
    shown_ = -1;
    last_tenth_ = -1;
    config_seen_.clear();
    started_us_ = now_us_();
    if (region == "CONF" && !terminal_)
        err_ << "configuration bytes\n";
}

void progress_display::end_phase(bool completed) {
    if (region_.empty())
        return;
    if (completed && shown_ < total_)
        show(total_, true);
    if (terminal_)
        finish_line();
    region_.clear();
}

void progress_display::caption(const std::string& text) {
    if (quiet_)
        return;
    std::string region;
    long done = 0;
    long total = 0;
    if (parse_progress(text, region, done, total)) {
        if (region != region_ || total != total_) {
            end_phase(true); // a phase ends when the next begins
            begin_phase(region, total);
        }
        show(done, false);
        return;
    }
    if (text.rfind("CONF", 0) != 0)
        return; // start and finish texts: the command prints its own
    if (region_ != "CONF") {
        end_phase(true);
        begin_phase("CONF", static_cast<long>(devices::selected_model().values.layout.config_size));
    }
    config_seen_.insert(text);
    show(std::min(static_cast<long>(config_seen_.size()), total_), false);
}

void progress_display::show(long done, bool force) {
    done = std::min(done, total_);
    if (terminal_) {
        const std::int64_t now = now_us_();
        if (!force && bar_open_ && done < total_ && now - last_draw_us_ < redraw_interval_us)
            return;
        last_draw_us_ = now;
        shown_ = done;
        draw_bar(done);
        return;
    }
    if (region_ == "CONF")
        return; // one line for the whole phase
    const long percent = done >= total_ ? 100 : done * 100 / total_;
    const int tenth = static_cast<int>(percent / 10);
    if (tenth == last_tenth_)
        return;
    last_tenth_ = tenth;
    shown_ = done;
    err_ << (region_ == "F" ? "FLASH " : "EEPROM") << ' ' << percent << "% (" << done << '/'
         << total_ << ")\n";
}

void progress_display::draw_bar(long done) {
    const long percent = done >= total_ ? 100 : done * 100 / total_;
    const std::int64_t elapsed = now_us_() - started_us_;
    std::string head = phase_name(region_);
    head.resize(13, ' ');
    std::ostringstream stats;
    // Fixed widths keep the bar from moving while the numbers change.
    stats << std::setw(3) << percent << "% "
          << std::setw(static_cast<int>(std::to_string(total_).size())) << done << '/' << total_
          << " B";
    std::string times = duration_text(elapsed);
    if (done < total_)
        times += done > 0 && elapsed > 0
                     ? ", " + duration_text(elapsed * (total_ - done) / done) + " left"
                     : ", ? left";
    times.resize(std::max<std::size_t>(times.size(), 19), ' ');

    const int columns = columns_ ? columns_() : 80;
    const std::size_t limit = static_cast<std::size_t>(std::max(columns - 1, 1));
    std::string line;
    for (const std::string& tail : {stats.str() + "  " + times, stats.str()}) {
        const std::size_t fixed = head.size() + 4 + tail.size();
        if (fixed + min_bar_width > limit)
            continue;
        const std::size_t width = std::min(limit - fixed, max_bar_width);
        const auto filled = static_cast<std::size_t>(percent) * width / 100;
        line =
            head + " [" + std::string(filled, '#') + std::string(width - filled, '.') + "] " + tail;
        break;
    }
    if (line.empty())
        line = (head + ' ' + stats.str()).substr(0, limit);
    line.erase(line.find_last_not_of(' ') + 1); // the padding only keeps the bar still
    err_ << '\r' << line << "\x1b[K" << std::flush;
    bar_open_ = true;
}

} // namespace cli
