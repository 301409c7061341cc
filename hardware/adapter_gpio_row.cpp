// The GPIO row of the adapter table, over the GPIO backend: the chip's check, the opening
// with the stored GPIO wiring, and the chips as `ports` lists them.
#include "hardware/adapter_gpio_row.h"

#include "hardware/gpio_chip_access.h"
#include "hardware/gpio_line_driver.h"

namespace hardware {

namespace {

std::string chip_description(const gpio_chip_listing& chip) {
    if (!chip.access.usable())
        return chip.info.name + " (label unknown)";
    return chip.info.name + " \"" + chip.info.label + "\", " + std::to_string(chip.info.lines) +
           " lines";
}

} // namespace

std::string check_gpio_spec(const std::string& spec) {
    if (spec.find('/') != std::string::npos && spec.front() != '/')
        return "bad GPIO chip \"gpio:" + spec +
               "\": give its device as an absolute path (gpio:/dev/gpiochip0) or its label "
               "(gpio:pinctrl-bcm2711)";
    return {};
}

std::unique_ptr<line_driver> open_gpio_adapter(const std::string& spec,
                                               const settings::gpio_wiring& wiring) {
    auto connect = [spec](std::unique_ptr<gpio_transport>& transport) {
        gpio_chip_opening opening = open_gpio_chip(spec);
        transport = std::move(opening.transport);
        return opening.status;
    };
    auto driver =
        std::make_unique<gpio_line_driver>(std::move(connect), wiring, "GPIO adapter gpio:" + spec);
    driver->open();
    return driver;
}

adapter_opening open_gpio_row(const adapter_spec& adapter, const adapter_environment&) {
    adapter_opening opening;
    std::unique_ptr<line_driver> driver =
        open_gpio_adapter(adapter.spec, settings::read_stored_gpio_wiring());
    opening.status = driver->status();
    if (opening.status.ok())
        install_line_driver(std::move(driver));
    return opening;
}

adapter_enumeration enumerate_gpio_row(const adapter_environment&) {
    adapter_enumeration found;
    for (const gpio_chip_listing& chip : list_gpio_chips()) {
        adapter_listing listing;
        listing.spec = "gpio:" + chip.info.path;
        listing.description = chip_description(chip);
        listing.usable = chip.access.usable();
        listing.reason = chip.access.reason;
        listing.fix = chip.access.fix;
        found.adapters.push_back(std::move(listing));
    }
    if (found.adapters.empty())
        found.none_found = "no GPIO chip (/dev/gpiochip*): this machine has none, or its "
                           "kernel lacks the GPIO character device (CONFIG_GPIO_CDEV)";
    return found;
}

std::string gpio_access(const adapter_spec&, const adapter_environment&) {
    std::string text;
    for (const gpio_chip_listing& chip : list_gpio_chips())
        text += (text.empty() ? "" : "\r\n") +
                verdict_line("gpio:" + chip.info.path + " (" + chip_description(chip) + ")",
                             chip.access);
    return text.empty() ? enumerate_gpio_row({}).none_found + "." : text;
}

} // namespace hardware
