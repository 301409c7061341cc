// Progress of a chip operation on the terminal: the status captions of the interpreter
// ("F:123/32768", "E:5/256", "CONF1L:", finish texts) drawn as a progress bar with
// percentage and elapsed time when standard error is a terminal, or as plain lines (at
// most one per tenth of a region) when it is not.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

namespace cli {

class progress_display {
  public:
    progress_display(std::ostream& err, bool terminal, bool quiet);

    // A new status caption.
    void caption(const std::string& text);
    // Ends an unfinished bar line before other output.
    void finish_line();

  private:
    std::ostream& err_;
    bool terminal_;
    bool quiet_;
    bool bar_open_ = false;
    std::string region_; // "F", "E" or "CONF"
    int last_tenth_ = -1;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_draw_{};
};

// Parses "F:a/b" or "E:a/b"; false for any other caption.
bool parse_progress(const std::string& caption, std::string& region, long& done, long& total);

} // namespace cli
