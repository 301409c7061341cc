// ppdev backend: finding, claiming and driving /dev/parportN.
#include "hardware/ppdev_port.h"

#include "hardware/connector_pins.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace hardware {

namespace {

// The N of a directory entry named "parportN", or -1.
int parport_number(const char* name) {
    const std::string text = name;
    const std::string prefix = "parport";
    if (text.size() <= prefix.size() || text.compare(0, prefix.size(), prefix) != 0)
        return -1;
    int number = 0;
    for (std::size_t i = prefix.size(); i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9' || number > 9999)
            return -1;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

std::string system_reason(int error) {
    return std::strerror(error);
}

} // namespace

std::vector<parport_entry> read_parport_entries(const std::string& proc_parport) {
    std::vector<parport_entry> entries;
    DIR* dir = ::opendir(proc_parport.c_str());
    if (dir == nullptr)
        return entries;
    while (const dirent* entry = ::readdir(dir)) {
        const int number = parport_number(entry->d_name);
        if (number < 0)
            continue;
        std::ifstream file(proc_parport + "/" + entry->d_name + "/base-addr");
        long first = -1;
        if (file >> first && first >= 0 && first <= std::numeric_limits<std::int32_t>::max())
            entries.push_back({number, static_cast<std::int32_t>(first)});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const parport_entry& a, const parport_entry& b) { return a.number < b.number; });
    return entries;
}

int find_parport_number(const std::string& proc_parport, std::int32_t base) {
    for (const parport_entry& entry : read_parport_entries(proc_parport))
        if (entry.base == base)
            return entry.number;
    return -1;
}

port_error device_open_error(int error) {
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return port_error::no_device_node;
    case EACCES:
    case EPERM:
        return port_error::permission_denied;
    case EBUSY:
        return port_error::port_busy;
    default:
        return port_error::io_failure;
    }
}

ppdev_port::ppdev_port(std::int32_t base, ppdev_roots roots)
    : base_(base), roots_(std::move(roots)) {}

ppdev_port::~ppdev_port() {
    close_device();
}

void ppdev_port::close_device() {
    if (fd_ >= 0) {
        if (claimed_)
            ::ioctl(fd_, PPRELEASE);
        ::close(fd_);
    }
    fd_ = -1;
    claimed_ = false;
}

port_status ppdev_port::open() {
    close_device();
    status_ = {};
    const int number = find_parport_number(roots_.proc_parport, base_);
    if (number < 0) {
        device_.clear();
        status_.code = port_error::no_such_port;
        status_.path = "parallel port " + address_text(base_);
        status_.reason = "no " + roots_.proc_parport + "/parport*/base-addr names " +
                         address_text(base_) + "; is the parport_pc module loaded?";
        return status_;
    }
    device_ = roots_.dev + "/parport" + std::to_string(number);
    status_.path = device_;

    fd_ = ::open(device_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        status_.code = device_open_error(error);
        if (status_.code == port_error::no_device_node)
            status_.reason = system_reason(error) + "; is the ppdev module loaded?";
        else if (status_.code == port_error::permission_denied)
            status_.reason =
                "the user needs access to " + device_ + ", for example through the lp group";
        else
            status_.reason = system_reason(error);
        return status_;
    }
    if (::ioctl(fd_, PPCLAIM) != 0) {
        const int error = errno;
        close_device();
        status_.code = port_error::port_busy;
        status_.reason = "cannot claim the port: " + system_reason(error);
        return status_;
    }
    claimed_ = true;
    // The data lines are outputs on this adapter.
    int reverse = 0;
    ::ioctl(fd_, PPDATADIR, &reverse);
    status_.code = port_error::none;
    return status_;
}

std::string ppdev_port::description() const {
    const std::string where = device_.empty() ? std::string("ppdev") : device_;
    return where + " (" + address_text(base_) + ")";
}

void ppdev_port::fail_in_use(const char* request, int error) {
    close_device();
    status_.code = port_error::port_lost;
    status_.reason = std::string(request) + " failed: " + system_reason(error);
}

void ppdev_port::out32(std::uint16_t address, std::uint8_t value) {
    if (fd_ < 0 || !claimed_)
        return;
    unsigned char byte = value;
    if (address == static_cast<std::uint16_t>(base_ + data_offset)) {
        if (::ioctl(fd_, PPWDATA, &byte) != 0)
            fail_in_use("PPWDATA", errno);
    } else if (address == static_cast<std::uint16_t>(base_ + control_offset)) {
        if (::ioctl(fd_, PPWCONTROL, &byte) != 0)
            fail_in_use("PPWCONTROL", errno);
    }
    // The status register cannot be written; other addresses are not this port's.
}

std::uint8_t ppdev_port::inp32(std::uint16_t address) {
    if (fd_ < 0 || !claimed_)
        return 0xFF;
    unsigned char byte = 0xFF;
    unsigned long request = 0;
    const char* name = "";
    if (address == static_cast<std::uint16_t>(base_ + data_offset)) {
        request = PPRDATA;
        name = "PPRDATA";
    } else if (address == static_cast<std::uint16_t>(base_ + status_offset)) {
        request = PPRSTATUS;
        name = "PPRSTATUS";
    } else if (address == static_cast<std::uint16_t>(base_ + control_offset)) {
        request = PPRCONTROL;
        name = "PPRCONTROL";
    } else {
        return 0xFF;
    }
    if (::ioctl(fd_, request, &byte) != 0) {
        fail_in_use(name, errno);
        return 0xFF;
    }
    return byte;
}

} // namespace hardware
