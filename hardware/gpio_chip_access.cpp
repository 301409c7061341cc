// libgpiod v1: chip lookup and listing, and bulk line requests. The v1 kernel interface
// takes one set of flags per request, so the driver asks for its outputs in at most two
// requests (active-low and not); each request is one handle, set in one call.
#include "hardware/gpio_chip_access.h"

#include <gpiod.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace hardware {

namespace {

constexpr const char* list_hint = "`pinwright-cli ports` lists the chips";

// "gpiochip12" -> 12; -1 for another name.
int chip_number(const std::string& name) {
    const std::string prefix = "gpiochip";
    if (name.rfind(prefix, 0) != 0 || name.size() == prefix.size() ||
        !std::all_of(name.begin() + prefix.size(), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(name.substr(prefix.size()));
}

// "reason: fix".
std::string access_text(const access_verdict& verdict) {
    return verdict.reason + (verdict.fix.empty() ? "" : ": " + verdict.fix);
}

// Name, label and line count of an opened chip.
gpio_chip_info info_of(gpiod_chip* chip, const std::string& path) {
    return {path, gpiod_chip_name(chip), gpiod_chip_label(chip),
            static_cast<std::int32_t>(gpiod_chip_num_lines(chip))};
}

std::string offsets_text(std::span<const std::uint32_t> offsets) {
    std::string text = offsets.size() == 1 ? "line " : "lines ";
    for (std::size_t k = 0; k < offsets.size(); ++k)
        text += (k == 0 ? "" : ", ") + std::to_string(offsets[k]);
    return text;
}

// What an errno of a request, set or get means here.
std::string error_text(int error) {
    switch (error) {
    case ENODEV:
        return "the GPIO chip is gone (ENODEV)";
    case EBUSY:
        return "another program or a kernel driver holds it (EBUSY): `gpioinfo` names the "
               "consumer; free it or choose another line in Hardware Settings";
    default:
        return std::strerror(error);
    }
}

class libgpiod_transport final : public gpio_transport {
  public:
    libgpiod_transport(gpiod_chip* chip, gpio_chip_info info)
        : chip_(chip), info_(std::move(info)) {}
    ~libgpiod_transport() override {
        release();
        gpiod_chip_close(chip_);
    }

    const gpio_chip_info& chip() const override { return info_; }

    std::string request(std::span<const gpio_output_request> outputs,
                        const gpio_input_request& input, const std::string& consumer) override {
        release();
        for (const gpio_output_request& wanted : outputs) {
            held_.emplace_back();
            gpiod_line_bulk& bulk = held_.back().bulk;
            gpiod_line_bulk_init(&bulk);
            for (const std::uint32_t offset : wanted.offsets)
                if (gpiod_line* line = gpiod_chip_get_line(chip_, offset))
                    gpiod_line_bulk_add(&bulk, line);
            const int flags = wanted.active_low ? GPIOD_LINE_REQUEST_FLAG_ACTIVE_LOW : 0;
            if (bulk.num_lines != wanted.offsets.size() ||
                gpiod_line_request_bulk_output_flags(&bulk, consumer.c_str(), flags,
                                                     wanted.initial.data()) < 0) {
                held_.pop_back();
                return give_up("requesting " + offsets_text(wanted.offsets) + " as outputs");
            }
        }
        held_.emplace_back();
        gpiod_line_bulk& bulk = held_.back().bulk;
        gpiod_line_bulk_init(&bulk);
        gpiod_line* line = gpiod_chip_get_line(chip_, input.offset);
        const int flags = (input.active_low ? GPIOD_LINE_REQUEST_FLAG_ACTIVE_LOW : 0) |
                          (input.pull_up ? GPIOD_LINE_REQUEST_FLAG_BIAS_PULL_UP : 0);
        if (line != nullptr)
            gpiod_line_bulk_add(&bulk, line);
        if (line == nullptr || gpiod_line_request_input_flags(line, consumer.c_str(), flags) < 0) {
            const int error = errno;
            held_.pop_back();
            const std::string what =
                "requesting line " + std::to_string(input.offset) + " as the input DATA IN";
            if (input.pull_up && error == EINVAL) {
                release();
                failure_ = what + " with a pull-up: the kernel refused the pull-up (line bias "
                                  "needs Linux 5.5 or later); switch \"DATA IN pull-up\" off "
                                  "in Hardware Settings and fit a resistor to the adapter";
                return failure_;
            }
            errno = error;
            return give_up(what);
        }
        return {};
    }

    bool set(std::size_t index, std::span<const int> values) override {
        if (index + 1 >= held_.size() || values.size() != held_[index].bulk.num_lines)
            return fail("setting lines", EINVAL);
        if (gpiod_line_set_value_bulk(&held_[index].bulk, values.data()) < 0)
            return fail("setting " + offsets_of(held_[index].bulk), errno);
        return true;
    }

    bool get(bool& value) override {
        if (held_.empty())
            return fail("reading DATA IN", EINVAL);
        gpiod_line_bulk& bulk = held_.back().bulk;
        const int level = gpiod_line_get_value(bulk.lines[0]);
        if (level < 0)
            return fail("reading DATA IN on " + offsets_of(bulk), errno);
        value = level != 0;
        return true;
    }

    void release() override {
        for (held& request : held_)
            gpiod_line_release_bulk(&request.bulk);
        held_.clear();
    }

    std::string failure() const override { return failure_; }

  private:
    struct held {
        gpiod_line_bulk bulk;
    };

    static std::string offsets_of(const gpiod_line_bulk& bulk) {
        std::vector<std::uint32_t> offsets;
        for (unsigned k = 0; k < bulk.num_lines; ++k)
            offsets.push_back(gpiod_line_offset(bulk.lines[k]));
        return offsets_text(offsets);
    }

    bool fail(const std::string& what, int error) {
        failure_ = what + ": " + error_text(error);
        return false;
    }

    // Releases what was requested so far; the failure names `what` and errno.
    std::string give_up(const std::string& what) {
        const int error = errno;
        release();
        fail(what, error);
        return failure_;
    }

    gpiod_chip* chip_;
    gpio_chip_info info_;
    std::vector<held> held_; // the output requests, then DATA IN's
    std::string failure_;
};

// The chip device `path` opened, or the failure.
gpio_chip_opening open_path(const std::string& path) {
    gpio_chip_opening opening;
    if (::access(path.c_str(), R_OK | W_OK) != 0) {
        const int error = errno;
        opening.status = port_failure(
            error == ENOENT ? port_error::no_such_port : port_error::permission_denied, path,
            error == ENOENT ? std::string("no such GPIO chip; ") + list_hint
                            : access_text(gpio_access_verdict(path, error)));
        return opening;
    }
    gpiod_chip* chip = gpiod_chip_open(path.c_str());
    if (chip == nullptr) {
        const int error = errno;
        opening.status = port_failure(
            error == ENOTTY || error == ENODEV ? port_error::no_such_port : port_error::io_failure,
            path,
            error == ENOTTY || error == ENODEV
                ? std::string("not a GPIO chip the kernel lists; ") + list_hint
                : std::string("libgpiod cannot open it: ") + std::strerror(error));
        return opening;
    }
    gpio_chip_info info = info_of(chip, path);
    opening.status.code = port_error::none;
    opening.status.path = path + " (" + info.label + ")";
    opening.transport = std::make_unique<libgpiod_transport>(chip, std::move(info));
    return opening;
}

} // namespace

access_verdict gpio_access_verdict(const std::string& node, int error) {
    access_verdict verdict;
    verdict.code = port_error::none;
    if (error == 0)
        return verdict;
    verdict.code = error == ENOENT ? port_error::no_device_node : port_error::permission_denied;
    if (error == EACCES || error == EPERM) {
        verdict.reason = "no read and write access to " + node + " (" + std::strerror(error) + ")";
        verdict.fix =
            "join the gpio group (sudo groupadd -f gpio; sudo adduser $USER gpio) and install the "
            "package's udev rule (60-pinwright-gpio.rules), which gives the group the "
            "GPIO chips; then log out and in";
    } else {
        verdict.reason = "cannot open " + node + ": " + std::strerror(error);
    }
    return verdict;
}

std::vector<gpio_chip_listing> list_gpio_chips() {
    namespace fs = std::filesystem;
    std::vector<std::pair<int, std::string>> nodes;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev", error)) {
        const std::string name = entry.path().filename().string();
        if (const int number = chip_number(name); number >= 0)
            nodes.emplace_back(number, entry.path().string());
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<gpio_chip_listing> chips;
    for (const auto& [number, path] : nodes) {
        gpio_chip_listing listing;
        listing.info.path = path;
        listing.info.name = fs::path(path).filename().string();
        if (::access(path.c_str(), R_OK | W_OK) != 0) {
            listing.access = gpio_access_verdict(path, errno);
        } else if (gpiod_chip* chip = gpiod_chip_open(path.c_str())) {
            listing.info = info_of(chip, path);
            listing.access.code = port_error::none;
            gpiod_chip_close(chip);
        } else {
            listing.access = {port_error::not_supported,
                              path + " is not a GPIO chip libgpiod can open (" +
                                  std::strerror(errno) + ")",
                              {}};
        }
        chips.push_back(std::move(listing));
    }
    return chips;
}

gpio_chip_opening open_gpio_chip(const std::string& spec) {
    if (spec.find('/') != std::string::npos)
        return open_path(spec);
    bool unreadable = false; // a chip whose label could not be read
    const std::vector<gpio_chip_listing> chips = list_gpio_chips();
    for (const gpio_chip_listing& chip : chips) {
        unreadable = unreadable || !chip.access.usable();
        if (chip.access.usable() && (chip.info.label == spec || chip.info.name == spec))
            return open_path(chip.info.path);
    }
    gpio_chip_opening opening;
    std::string reason = "no GPIO chip has the label \"" + spec + "\"";
    if (chips.empty())
        reason += ": this system has no /dev/gpiochip* devices";
    else
        reason += std::string("; ") + list_hint;
    opening.status = port_failure(
        unreadable ? port_error::permission_denied : port_error::no_such_port, "gpio:" + spec,
        unreadable ? reason +
                         "; some chips could not be asked for their "
                         "label: " +
                         access_text(gpio_access_verdict("them", EACCES))
                   : reason);
    return opening;
}

} // namespace hardware
