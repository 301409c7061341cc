// A Linux GPIO chip emulated in-process under umockdev, for running the real libgpiod
// (v1, over the kernel's v1 character-device interface) against it, with a programming
// adapter whose lines drive a chip in the adapter's socket (hardware::gpio_pin_board).
//
// Constructing one adds the chip to a fresh umockdev testbed: a sysfs device of subsystem
// gpio with its "dev" attribute, so that libgpiod takes /dev/gpiochipN for a GPIO chip,
// and the node's ioctls: chip info, line info and line handle requests. A line handle is
// a second emulated node, opened by the emulator while it answers the request, whose file
// descriptor the request returns; it answers the set and get calls. The process must run
// with umockdev's preload library (umockdev-wrapper; the constructor throws otherwise);
// umockdev serves the calls on a thread of its own, so every accessor here locks. One
// emulator at a time.
//
// Kernel behaviour modelled: flags and initial values apply at request time; active-low
// inverts set, get and initial values; a line already requested is busy (EBUSY); a
// request for a bias fails with EINVAL on a kernel before 5.5 (bias_supported false);
// closing a handle releases its lines, which then float. The chip can vanish after a
// number of set and get calls: its lines float and every later call fails with ENODEV.
// The test executable's `ioctl` comes before the preload library's (see
// handle_calls_in_process) and passes every other call on to it.
#pragma once

#include "hardware/gpio_pin_board.h"
#include "settings/stored_wiring.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace test_support {

struct gpio_chip_setup {
    int number = 0; // /dev/gpiochipN
    std::string label = "pinctrl-bcm2835";
    std::uint32_t lines = 54;
    settings::gpio_wiring wiring{}; // how the adapter is wired to the chip's lines
    bool bias_supported = true;
    // Set and get calls on line handles answered in the calling thread instead of through
    // umockdev's socket: the same answers at about 1 us a call instead of about 60 us, for
    // tests that read whole chips (a Read All makes about 50 calls a byte). The chip node
    // itself (chip and line info, requests, the handles' descriptors) stays with umockdev.
    bool handle_calls_in_process = false;
};

class gpio_emulator {
  public:
    explicit gpio_emulator(gpio_chip_setup setup = {});
    ~gpio_emulator();
    gpio_emulator(const gpio_emulator&) = delete;
    gpio_emulator& operator=(const gpio_emulator&) = delete;

    static bool in_mock_environment();
    const gpio_chip_setup& setup() const { return setup_; }
    std::string path() const { return "/dev/gpiochip" + std::to_string(setup_.number); }

    void insert_chip(std::unique_ptr<hardware::target_chip> chip);
    hardware::gpio_pin_board::chip_levels levels() const;

    // The chip disappears after `calls` more set and get calls (0: now).
    void vanish_after(std::int64_t calls);

    // A line handle request as the kernel saw it.
    struct request_record {
        std::vector<std::uint32_t> offsets;
        std::uint32_t flags = 0; // GPIOHANDLE_REQUEST_*
        std::vector<int> initial;
        std::string consumer;
        bool granted = false;
        bool released = false;
    };
    std::vector<request_record> requests() const;
    // Whether every granted request has been released (its handle closed).
    bool all_released() const;
    std::int64_t set_calls() const;

    struct impl;

  private:
    gpio_chip_setup setup_;
    std::unique_ptr<impl> impl_;
};

} // namespace test_support
