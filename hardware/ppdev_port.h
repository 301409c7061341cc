// Port backend over the Linux ppdev driver: the /dev/parportN whose base address matches
// the configured one is claimed, and the three registers are reached through the driver's
// data, control and status requests. No special privileges beyond access to the device
// file are needed.
#pragma once

#include "hardware/port_backend.h"

#include <string>
#include <vector>

namespace hardware {

// Where the driver shows itself; tests point these at a temporary tree.
struct ppdev_roots {
    std::string proc_parport = "/proc/sys/dev/parport"; // holds parportN/base-addr
    std::string dev = "/dev";                           // holds parportN
};

// One parportN directory under `proc_parport`: its N and its base address, the first
// (decimal) number of its base-addr file ("53264\t53248" is base 0xD010).
struct parport_entry {
    int number;
    std::int32_t base;
};

// Every parportN under `proc_parport` whose base-addr file can be read, by N.
std::vector<parport_entry> read_parport_entries(const std::string& proc_parport);

// Number N of the parportN under `proc_parport` whose base-addr file starts with `base`
// (decimal), or -1 when none does; the lowest N when several do.
int find_parport_number(const std::string& proc_parport, std::int32_t base);

// What an open() of a parport device file failing with `error` (errno) means: no device
// node (or no driver behind it), no permission, the port busy, or another I/O failure.
port_error device_open_error(int error);

class ppdev_port final : public port_backend {
  public:
    explicit ppdev_port(std::int32_t base, ppdev_roots roots = {});
    ~ppdev_port() override;
    ppdev_port(const ppdev_port&) = delete;
    ppdev_port& operator=(const ppdev_port&) = delete;

    port_status open() override;
    port_status status() const override { return status_; }
    std::string description() const override;
    void out32(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t inp32(std::uint16_t address) override;

  private:
    void close_device();
    void fail_in_use(const char* request, int error);

    std::int32_t base_;
    ppdev_roots roots_;
    std::string device_;
    int fd_ = -1;
    bool claimed_ = false;
    port_status status_;
};

} // namespace hardware
