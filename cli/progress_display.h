// Progress of a chip operation on the terminal: the status captions of the interpreter
// ("F:123/32768", "E:5/256", "CONF1L:") drawn as one line per phase (FLASH, EEPROM,
// configuration) that updates in place, with a bar fitted to the terminal width, the
// percentage, the bytes done, the time elapsed and an estimate of the time left, when
// standard error is a terminal; as plain lines (at most one per tenth of a region) when it
// is not. A caption names the byte being started, so a phase is drawn at 100 % once it has
// ended: when the next phase begins, or when the operation completed.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <set>
#include <string>

namespace cli {

// The terminal's width in columns: TIOCGWINSZ on standard error, else $COLUMNS, else 80.
int terminal_columns();

class progress_display {
  public:
    // `now_us` gives the time in microseconds (by default the installed clock, so a
    // simulated run shows the times a real port would take); `columns` the terminal width.
    progress_display(std::ostream& err, bool terminal, bool quiet,
                     std::function<std::int64_t()> now_us = {},
                     std::function<int()> columns = terminal_columns);

    // A new status caption.
    void caption(const std::string& text);
    // Ends an unfinished bar line before other output.
    void finish_line();
    // The operation ended; `completed` when it ran to its end (its last phase is then done).
    void operation_ended(bool completed);

  private:
    void begin_phase(const std::string& region, long total);
    void end_phase(bool completed);
    void show(long done, bool force);
    void draw_bar(long done);

    std::ostream& err_;
    bool terminal_;
    bool quiet_;
    std::function<std::int64_t()> now_us_;
    std::function<int()> columns_;
    bool bar_open_ = false;
    std::string region_; // "F", "E", "CONF" or empty between phases
    long total_ = 0;
    long shown_ = -1; // bytes of the phase last shown
    std::set<std::string> config_seen_;
    int last_tenth_ = -1;
    std::int64_t started_us_ = 0;
    std::int64_t last_draw_us_ = 0;
};

// Parses "F:a/b" or "E:a/b"; false for any other caption.
bool parse_progress(const std::string& caption, std::string& region, long& done, long& total);

// "4.2 s" below a minute, else "m:ss" (or "h:mm:ss").
std::string duration_text(std::int64_t microseconds);

} // namespace cli
