// Terminal rendering of operation progress.
#include "cli/progress_display.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace cli {

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

progress_display::progress_display(std::ostream& err, bool terminal, bool quiet)
    : err_(err), terminal_(terminal), quiet_(quiet) {}

void progress_display::finish_line() {
    if (bar_open_) {
        err_ << '\n';
        bar_open_ = false;
    }
    err_.flush();
}

void progress_display::caption(const std::string& text) {
    if (quiet_)
        return;
    std::string region;
    long done = 0;
    long total = 0;
    const auto now = std::chrono::steady_clock::now();
    if (!parse_progress(text, region, done, total)) {
        // Configuration bytes and start captions: one line each on a new region only.
        const std::string kind = text.rfind("CONF", 0) == 0 ? "CONF" : text;
        if (kind == region_)
            return;
        region_ = kind;
        last_tenth_ = -1;
        finish_line();
        if (kind == "CONF")
            err_ << "configuration bytes\n";
        return;
    }
    const long percent = done >= total ? 100 : done * 100 / total;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const char* name = region == "F" ? "FLASH " : "EEPROM";
    if (region != region_) {
        finish_line();
        region_ = region;
        last_tenth_ = -1;
    }
    if (terminal_) {
        if (now - last_draw_ < std::chrono::milliseconds(100) && done < total)
            return;
        last_draw_ = now;
        const int width = 30;
        const int filled = static_cast<int>(percent * width / 100);
        std::ostringstream line;
        line << '\r' << name << " [" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(width - filled), '.') << "] " << std::setw(3)
             << percent << "% " << done << '/' << total << ' ' << std::fixed << std::setprecision(1)
             << seconds << " s";
        err_ << line.str() << std::flush;
        bar_open_ = true;
        return;
    }
    const int tenth = static_cast<int>(percent / 10);
    if (tenth == last_tenth_)
        return;
    last_tenth_ = tenth;
    err_ << name << ' ' << percent << "% (" << done << '/' << total << ")\n";
}

} // namespace cli
