// The current line driver; the parallel-port driver over the program's own records until
// another is installed.
#include "hardware/line_driver.h"

#include "hardware/parallel_line_driver.h"

namespace hardware {

namespace {

std::unique_ptr<line_driver>& installed() {
    static std::unique_ptr<line_driver> driver = std::make_unique<parallel_line_driver>();
    return driver;
}

} // namespace

std::unique_ptr<line_driver> install_line_driver(std::unique_ptr<line_driver> driver) {
    if (!driver)
        driver = std::make_unique<parallel_line_driver>();
    std::unique_ptr<line_driver> previous = std::move(installed());
    installed() = std::move(driver);
    return previous;
}

line_driver& current_line_driver() {
    return *installed();
}

bool port_ready() {
    return current_line_driver().is_ready();
}

} // namespace hardware
