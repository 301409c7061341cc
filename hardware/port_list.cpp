// The kernel's port list and the access verdicts. A device file is judged by opening it
// (and closing it again at once): that is the only test that sees what the later open
// will see, file modes, groups, capabilities and a missing driver alike.
#include "hardware/port_list.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hardware {

namespace {

const char* const ppdev_fix = "load the ppdev driver: sudo modprobe ppdev";
const char* const parport_fix = "load the parport_pc driver: sudo modprobe parport_pc";

std::string first_line(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// Whether this process's user is a member of `gid`: in the group database, and in the
// groups this process runs with (which change only at the next login).
struct membership {
    bool listed = false;
    bool active = false;
};

membership group_membership(gid_t gid) {
    membership m;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> active(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0 && ::getgroups(count, active.data()) == count)
        m.active = std::find(active.begin(), active.end(), gid) != active.end();
    m.active = m.active || ::getegid() == gid;
    if (const passwd* user = ::getpwuid(::geteuid())) {
        int listed_count = 64;
        std::vector<gid_t> listed(static_cast<std::size_t>(listed_count));
        if (::getgrouplist(user->pw_name, user->pw_gid, listed.data(), &listed_count) >= 0) {
            listed.resize(static_cast<std::size_t>(listed_count));
            m.listed = std::find(listed.begin(), listed.end(), gid) != listed.end();
        }
    }
    return m;
}

// What to do when `device` may not be opened: join the group that may use it, or log in
// again when already a member on paper; else grant the access first.
std::string permission_fix(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) == 0 && (info.st_mode & S_IRGRP) != 0 &&
        (info.st_mode & S_IWGRP) != 0 && info.st_gid != 0) {
        if (const group* owner = ::getgrgid(info.st_gid)) {
            const std::string name = owner->gr_name;
            const membership m = group_membership(info.st_gid);
            if (m.active)
                return "check what else guards " + device + " (ls -l " + device +
                       "): you are in its " + name + " group already";
            if (m.listed)
                return "log in again (or run: newgrp " + name + "): you are in the " + name +
                       " group, but this session started before you joined it";
            return "add yourself to the " + name + " group (sudo usermod -aG " + name +
                   " $USER) and log in again";
        }
    }
    return "give the lp group read and write access (sudo chgrp lp " + device +
           "; sudo chmod g+rw " + device + "), then join it (sudo usermod -aG lp $USER)";
}

} // namespace

access_verdict device_access(const std::string& device) {
    access_verdict verdict;
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        verdict.code = port_error::none;
        return verdict;
    }
    const int error = errno;
    verdict.code = device_open_error(error);
    switch (verdict.code) {
    case port_error::no_device_node:
        verdict.reason = error == ENOENT
                             ? device + " does not exist (the ppdev driver is not loaded)"
                             : device + ": " + std::strerror(error) + " (no driver behind it)";
        verdict.fix = ppdev_fix;
        break;
    case port_error::permission_denied:
        verdict.reason = device + ": permission denied (no read and write access for this user)";
        verdict.fix = permission_fix(device);
        break;
    case port_error::port_busy:
        verdict.reason = device + ": " + std::strerror(error);
        verdict.fix = "end the program that holds the port";
        break;
    default:
        verdict.reason = device + ": " + std::strerror(error);
        break;
    }
    return verdict;
}

access_verdict raw_io_access(std::int32_t base, const io_permission_function& io_permission) {
    // The raw backend's own open: the permission asked for is released when it goes.
    direct_port port(base, io_permission);
    const port_status status = port.open();
    access_verdict verdict;
    verdict.code = status.code;
    if (!status.ok()) {
        verdict.reason = failure_text(status);
        if (status.code == port_error::no_io_privilege)
            verdict.fix = "run as root or with the CAP_SYS_RAWIO capability (ppdev is safer)";
    }
    return verdict;
}

std::vector<parport_info> list_parports(const ppdev_roots& roots,
                                        const io_permission_function& io_permission) {
    std::vector<parport_info> ports;
    for (const parport_entry& entry : read_parport_entries(roots.proc_parport)) {
        parport_info port;
        port.number = entry.number;
        port.base = entry.base;
        port.device = roots.dev + "/parport" + std::to_string(entry.number);
        port.modes =
            first_line(roots.proc_parport + "/parport" + std::to_string(entry.number) + "/modes");
        port.ppdev = device_access(port.device);
        if (!port.ppdev.usable())
            port.raw_io = raw_io_access(port.base, io_permission);
        ports.push_back(std::move(port));
    }
    return ports;
}

bool port_usable(const parport_info& port) {
    return port.ppdev.usable() || (port.raw_io && port.raw_io->usable());
}

std::string access_summary(const parport_info& port) {
    if (port.ppdev.usable())
        return "yes";
    return port_usable(port) ? "raw port I/O only" : "no";
}

access_verdict no_parport_verdict(const ppdev_roots& roots) {
    access_verdict verdict;
    verdict.code = port_error::no_such_port;
    std::error_code ignored;
    verdict.reason = std::filesystem::is_directory(roots.proc_parport, ignored)
                         ? roots.proc_parport +
                               " lists no port (the parport_pc driver is not loaded, or it "
                               "found no port)"
                         : roots.proc_parport + " does not exist (the parport driver is not "
                                                "loaded)";
    verdict.fix = parport_fix;
    return verdict;
}

std::string verdict_line(const std::string& way, const access_verdict& verdict) {
    if (verdict.usable())
        return way + ": usable.";
    return way + ": " + verdict.reason +
           (verdict.fix.empty() ? "." : ". Fix: " + verdict.fix + ".");
}

port_access_report port_access_for(std::int32_t base, const ppdev_roots& roots,
                                   const io_permission_function& io_permission) {
    port_access_report report;
    const std::vector<parport_info> ports = list_parports(roots, io_permission);
    const auto here = std::find_if(ports.begin(), ports.end(),
                                   [base](const parport_info& port) { return port.base == base; });
    if (here == ports.end()) {
        if (ports.empty()) {
            report.text = verdict_line("parallel port driver", no_parport_verdict(roots));
        } else {
            report.text =
                "the kernel lists no parallel port at " + address_text(base) + "; it lists";
            for (const parport_info& port : ports)
                report.text += " " + port.device + " (" + address_text(port.base) + ")";
            report.text += ". Fix: choose one of them (Select Parallel Port..., or --port).";
        }
        const access_verdict raw = raw_io_access(base, io_permission);
        report.usable = raw.usable();
        report.text += "\r\n" + verdict_line("raw port I/O at " + address_text(base), raw);
        return report;
    }
    report.usable = port_usable(*here);
    report.text = verdict_line("ppdev, " + here->device + " (" + address_text(base) +
                                   (here->modes.empty() ? "" : ", modes " + here->modes) + ")",
                               here->ppdev);
    if (here->raw_io)
        report.text += "\r\n" + verdict_line("raw port I/O", *here->raw_io);
    return report;
}

const parport_info* find_parport_device(const std::vector<parport_info>& ports,
                                        const std::string& device) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path wanted = fs::weakly_canonical(device, error);
    for (const parport_info& port : ports) {
        if (port.device == device)
            return &port;
        std::error_code other;
        if (!error && fs::weakly_canonical(port.device, other) == wanted && !other)
            return &port;
    }
    return nullptr;
}

} // namespace hardware
