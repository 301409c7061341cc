// The adapter table: each row opens its kind or says why not, the parallel row lists the
// kernel's ports, and the stored "Adapter" setting, old settings files included.
#include "../support/fake_parports.h"
#include "hardware/adapter_table.h"
#include "settings/setting_names.h"
#include "sim/virtual_chip.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using hardware::adapter_kind;
using hardware::port_error;

TEST(AdapterTable, EveryRowOpensItsKindOrSaysWhy) {
    test_support::fake_parports system;
    system.add_port(0, "888\n", "PCSPP");
    hardware::adapter_environment environment;
    environment.stored_base = 0x278;
    environment.ppdev = system.roots();
    environment.io_permission = [](unsigned long, unsigned long, int) {
        errno = EPERM;
        return -1;
    };
    environment.socket.chip = std::make_shared<sim::virtual_chip>(*sim::find_part("18F4520"));
    const struct {
        hardware::adapter_spec adapter;
        port_error code;
        std::int32_t base;
        std::string says; // part of the failure text or, when open, of the description
    } rows[] = {
        {{adapter_kind::parallel, {}}, port_error::no_such_port, 0x278, "0x278"},
        {{adapter_kind::parallel, "0x378"}, port_error::no_device_node, 0x378, system.dev(0)},
        {{adapter_kind::direct, "0xD010"}, port_error::no_io_privilege, 0xD010, "0xD010"},
        {{adapter_kind::ppdev, system.dev(1)}, port_error::no_such_port, 0, "it lists"},
        {{adapter_kind::sim, {}}, port_error::none, 0x278, "at 0x278 with PIC18F4520"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(hardware::adapter_text(r.adapter));
        const hardware::adapter_opening opening =
            hardware::adapter_backend_of(r.adapter.kind).open(r.adapter, environment);
        EXPECT_EQ(opening.status.code, r.code) << hardware::failure_text(opening.status);
        EXPECT_EQ(opening.base, r.base);
        ASSERT_NE(opening.port, nullptr);
        EXPECT_EQ(opening.port->status().code, r.code);
        const std::string text = opening.status.ok() ? opening.port->description()
                                                     : hardware::failure_text(opening.status);
        EXPECT_NE(text.find(r.says), std::string::npos) << text;
    }
    // A line-level kind opens no port backend; a board no one has cannot open.
    const hardware::adapter_spec ftdi{adapter_kind::ftdi, "PW-NO-SUCH-BOARD"};
    const auto opening = hardware::adapter_backend_of(ftdi.kind).open(ftdi, environment);
    EXPECT_EQ(opening.port, nullptr);
    EXPECT_FALSE(opening.status.ok());

    const auto listed =
        hardware::adapter_backend_of(adapter_kind::parallel).enumerate(environment).adapters;
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].spec, system.dev(0));
    EXPECT_EQ(listed[0].description, "parallel port at 0x378, modes PCSPP");
    EXPECT_FALSE(listed[0].usable);
    EXPECT_NE(listed[0].reason.find("does not exist"), std::string::npos) << listed[0].reason;
}

TEST(StoredAdapter, KindAndSpecBesideTheParallelPortAddress) {
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    // Settings written before adapters had kinds: the parallel port at the stored address.
    settings::port_address_setting.write(632);
    EXPECT_EQ(hardware::stored_adapter(), hardware::adapter_spec{});
    const struct {
        hardware::adapter_spec adapter;
        std::string stored;
        std::int32_t address; // "Parallel Port Address" afterwards
    } rows[] = {
        {{adapter_kind::ftdi, "A1B2C3"}, "ftdi:A1B2C3", 632},
        {{adapter_kind::direct, "0xD010"}, "direct:0xD010", 632},
        {{adapter_kind::sim, {}}, "sim", 632},
        {{adapter_kind::parallel, "/dev/parport1"}, "/dev/parport1", 632},
        {{adapter_kind::parallel, "0x3BC"}, "", 956},
    };
    for (const auto& r : rows) {
        hardware::store_adapter(r.adapter);
        EXPECT_EQ(settings::adapter_setting.read(), r.stored);
        EXPECT_EQ(settings::port_address_setting.read(), r.address);
        const hardware::adapter_spec back = hardware::stored_adapter();
        EXPECT_EQ(back, r.stored.empty() ? hardware::adapter_spec{} : r.adapter) << r.stored;
    }
    settings::adapter_setting.write("usb:1");
    std::string problem;
    EXPECT_EQ(hardware::stored_adapter(&problem), hardware::adapter_spec{});
    for (const char* part : {"the stored \"Adapter\" usb:1: unknown adapter kind 'usb'",
                             "the parallel port at \"Parallel Port Address\" is used instead"})
        EXPECT_NE(problem.find(part), std::string::npos) << problem;
}

} // namespace
