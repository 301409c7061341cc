// The real backends without a real port: how ppdev and raw port I/O report a port they
// cannot reach (injected /proc and /dev trees, a refusing ioperm), what the automatic
// selection makes of it, and that such a port is never ready and drives nothing; and the
// port list with its access verdicts on the same kind of tree.
#include "../support/fake_parports.h"
#include "hardware/port_list.h"
#include "hardware/port_selection.h"
#include "hardware_test_support.h"

#include <cerrno>
#include <grp.h>
#include <initializer_list>

namespace {

using hardware::port_error;

using fake_system = test_support::fake_parports;
using test_support::as_unprivileged_user;

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

TEST(PortList, ListsEveryPortWithItsAccessVerdict) {
    fake_system system;
    system.add_port(0, "888\t1912\n", "PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA");
    system.add_device_file(0, std::filesystem::perms::all);
    system.add_port(1, "53264\t53248\n", "PCSPP,TRISTATE"); // a PCI card
    // Open to its group only: the lp group where root can hand it over, else to nobody.
    const group* lp = ::getgrnam("lp");
    if (::geteuid() == 0 && lp != nullptr) {
        system.add_device_file(
            1, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                   std::filesystem::perms::group_read | std::filesystem::perms::group_write);
        ASSERT_EQ(::chown(system.dev(1).c_str(), 0, lp->gr_gid), 0);
    } else {
        system.add_device_file(1, std::filesystem::perms::none);
    }
    system.add_port(3, "956\n"); // no modes file, no device file
    std::filesystem::create_directories(system.root / "proc" / "default");

    std::vector<hardware::parport_info> ports;
    as_unprivileged_user([&] { ports = hardware::list_parports(system.roots(), refuse_io); });
    ASSERT_EQ(ports.size(), 3u);
    struct expected_port {
        int number;
        std::int32_t base;
        const char* modes;
        port_error ppdev;
        const char* fix; // part of the ppdev fix
        const char* summary;
    };
    const expected_port expected[] = {
        {0, 888, "PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA", port_error::none, "", "yes"},
        {1, 0xD010, "PCSPP,TRISTATE", port_error::permission_denied, "usermod -aG lp $USER", "no"},
        {3, 956, "", port_error::no_device_node, "sudo modprobe ppdev", "no"},
    };
    for (std::size_t k = 0; k < ports.size(); ++k) {
        const hardware::parport_info& port = ports[k];
        const expected_port& e = expected[k];
        SCOPED_TRACE("parport" + std::to_string(e.number) + ": " + port.ppdev.reason);
        EXPECT_EQ(port.number, e.number);
        EXPECT_EQ(port.device, system.dev(e.number));
        EXPECT_EQ(port.base, e.base);
        EXPECT_EQ(port.modes, e.modes);
        EXPECT_EQ(port.ppdev.code, e.ppdev);
        EXPECT_NE(port.ppdev.fix.find(e.fix), std::string::npos) << port.ppdev.fix;
        EXPECT_EQ(hardware::access_summary(port), e.summary);
        // Raw port I/O is judged only where ppdev cannot serve the port.
        ASSERT_EQ(port.raw_io.has_value(), e.ppdev != port_error::none);
        if (port.raw_io) {
            EXPECT_EQ(port.raw_io->code, hardware::direct_port_supported()
                                             ? port_error::no_io_privilege
                                             : port_error::not_supported);
        }
        if (!port.ppdev.usable()) {
            EXPECT_NE(port.ppdev.reason.find(port.device), std::string::npos);
        }
    }

    // The ppdev backend finds a port at any listed base, by the first number of base-addr.
    EXPECT_EQ(hardware::find_parport_number(system.roots().proc_parport, 0xD010), 1);
    EXPECT_EQ(hardware::find_parport_number(system.roots().proc_parport, 53248), -1);
    hardware::ppdev_port pci_port(0xD010, system.roots());
    EXPECT_EQ(pci_port.open().path, system.dev(1));
    ASSERT_NE(hardware::find_parport_device(ports, system.dev(1)), nullptr);
    EXPECT_EQ(hardware::find_parport_device(ports, system.dev(1))->base, 0xD010);
    EXPECT_EQ(hardware::find_parport_device(ports, system.dev(2)), nullptr);

    if (hardware::direct_port_supported()) {
        const auto grant = [](unsigned long, unsigned long, int) { return 0; };
        as_unprivileged_user([&] { ports = hardware::list_parports(system.roots(), grant); });
        EXPECT_EQ(hardware::access_summary(ports[1]), "raw port I/O only");
        EXPECT_TRUE(hardware::port_usable(ports[1]));
    }
}

TEST(PortList, SaysWhyNoPortIsListed) {
    fake_system system;
    EXPECT_TRUE(hardware::list_parports(system.roots(), refuse_io).empty());
    const std::pair<std::string, const char*> cases[] = {
        {system.roots().proc_parport, " lists no port"},
        {(system.root / "missing").string(), " does not exist"},
    };
    for (const auto& [proc, reason] : cases) {
        const hardware::access_verdict verdict = hardware::no_parport_verdict({proc, "/dev"});
        EXPECT_EQ(verdict.reason.rfind(proc + reason, 0), 0u) << verdict.reason;
        EXPECT_EQ(verdict.fix, "load the parport_pc driver: sudo modprobe parport_pc");
    }
}

} // namespace
