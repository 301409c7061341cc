// The real backends without a real port: how ppdev and raw port I/O report a port they
// cannot reach (injected /proc and /dev trees, a refusing ioperm), what the automatic
// selection makes of it, and that such a port is never ready and drives nothing.
#include "hardware/port_selection.h"
#include "hardware_test_support.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sys/fsuid.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using hardware::port_error;

// A temporary /proc/sys/dev/parport (`proc`) and /dev (`dev`).
struct fake_system {
    fake_system() {
        std::string pattern = (fs::temp_directory_path() / "pinwright-ports-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        fs::create_directories(root / "proc");
        fs::create_directories(root / "dev");
        fs::permissions(root, fs::perms::all); // reachable for the unprivileged user below
    }
    ~fake_system() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void add_port(int number, const std::string& base_addr) {
        fs::create_directories(root / "proc" / ("parport" + std::to_string(number)));
        std::ofstream(root / "proc" / ("parport" + std::to_string(number)) / "base-addr")
            << base_addr;
    }
    // A device file that exists but is no port, readable by its owner only.
    void add_device_file(int number) {
        const fs::path file = root / "dev" / ("parport" + std::to_string(number));
        std::ofstream(file) << "";
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    }
    std::string dev(int number) const {
        return (root / "dev" / ("parport" + std::to_string(number))).string();
    }
    hardware::ppdev_roots roots() const {
        return {(root / "proc").string(), (root / "dev").string()};
    }
    fs::path root;
};

// Runs `work` with the file access of an unprivileged user even under root (the file-system
// user id is per thread).
template <class Work> void as_unprivileged_user(Work work) {
    std::thread([&] {
        if (::geteuid() == 0)
            ::setfsuid(65534);
        work();
    }).join();
}

int refuse_io(unsigned long, unsigned long, int) {
    errno = EPERM;
    return -1;
}

void expect_unreachable(hardware::port_backend& backend, const std::string& what) {
    EXPECT_FALSE(backend.is_ready()) << what;
    EXPECT_FALSE(hardware::failure_text(backend.status()).empty()) << what;
    for (const std::uint16_t address : std::initializer_list<std::uint16_t>{0x378, 0x379, 0x37A}) {
        backend.out32(address, 0x00);
        EXPECT_EQ(backend.inp32(address), 0xFF) << what << " " << address;
    }
}

TEST(RealPorts, PpdevNamesTheDeviceAndTheReason) {
    struct scenario {
        const char* name;
        void (*prepare)(fake_system&);
        bool unprivileged;
        port_error error;
        std::vector<std::string> parts; // "@" stands for the device file of parport1
    };
    const scenario scenarios[] = {
        {"no parport listed",
         [](fake_system&) {},
         false,
         port_error::no_such_port,
         {"0x378", "parport_pc"}},
        {"no device file",
         [](fake_system& s) {
             s.add_port(0, "632\n");
             s.add_port(1, "888\t1912\n");
         },
         false,
         port_error::no_device_node,
         {"cannot open @", "ppdev"}},
        {"device is not a port",
         [](fake_system& s) {
             s.add_port(1, "888\n");
             s.add_device_file(1);
         },
         false,
         port_error::port_busy,
         {"cannot open @", "claim"}},
        {"permission denied",
         [](fake_system& s) {
             s.add_port(1, "888\n");
             s.add_device_file(1);
         },
         true,
         port_error::permission_denied,
         {"cannot open @: permission denied", "needs access to @", "lp group"}},
    };
    for (const scenario& sc : scenarios) {
        fake_system system;
        sc.prepare(system);
        hardware::ppdev_port port(888, system.roots());
        hardware::port_status status;
        if (sc.unprivileged)
            as_unprivileged_user([&] { status = port.open(); });
        else
            status = port.open();
        EXPECT_EQ(status.code, sc.error) << sc.name << ": " << hardware::failure_text(status);
        for (std::string part : sc.parts) {
            if (const auto at = part.find('@'); at != std::string::npos)
                part.replace(at, 1, system.dev(1));
            EXPECT_NE(hardware::failure_text(status).find(part), std::string::npos)
                << sc.name << ": \"" << part << "\" not in: " << hardware::failure_text(status);
        }
        expect_unreachable(port, sc.name);
    }
}

TEST(RealPorts, RawPortIoReportsAMissingPrivilege) {
    hardware::direct_port port(888, refuse_io);
    const hardware::port_status status = port.open();
    if (!hardware::direct_port_supported()) {
        EXPECT_EQ(status.code, port_error::not_supported);
        return;
    }
    EXPECT_EQ(status.code, port_error::no_io_privilege);
    for (const char* part : {"I/O ports 0x378-0x37A", "CAP_SYS_RAWIO"})
        EXPECT_NE(hardware::failure_text(status).find(part), std::string::npos)
            << hardware::failure_text(status);
    expect_unreachable(port, "raw I/O refused");
}

class AutomaticSelection : public hardware_test::hardware_fixture {};

TEST_F(AutomaticSelection, ReportsEveryBackendTriedAndIsNeverReady) {
    fake_system system;
    system.add_port(1, "888\n");
    system.add_device_file(1);
    hardware::port_environment env{system.roots(), refuse_io, "18F4520"};
    std::unique_ptr<hardware::port_backend> backend;
    as_unprivileged_user(
        [&] { backend = hardware::open_port_backend(888, hardware::port_mode::automatic, env); });
    const std::string message = hardware::failure_text(backend->status());
    EXPECT_EQ(message.rfind("cannot open " + system.dev(1) + ": permission denied", 0), 0u)
        << message;
    if (hardware::direct_port_supported()) {
        EXPECT_NE(message.find("; cannot open I/O ports"), std::string::npos) << message;
    }
    expect_unreachable(*backend, "automatic");
    hardware::install_port_backend(std::move(backend));
    Module94::set_lines_idle();
    EXPECT_FALSE(hardware::port_ready());
    EXPECT_EQ(Module94::line_image.status_image, 0xFF);
}

} // namespace
