// The adapter table's rows: the parallel port (automatic, ppdev only, raw I/O only), the
// FTDI board, the GPIO chip and the simulated adapter.
#include "hardware/adapter_table.h"

#include "hardware/adapter_ftdi_row.h"
#include "hardware/adapter_gpio_row.h"
#include "hardware/port_list.h"
#include "hardware/port_selection.h"
#include "hardware/simulated_adapter.h"
#include "hardware/virtual_chip_socket.h"

#include <array>

namespace hardware {

namespace {

const std::string line_break = "\r\n";

adapter_opening failed_opening(const port_status& failure) {
    adapter_opening opening;
    opening.status = failure;
    opening.port = std::make_unique<unavailable_port>(failure);
    return opening;
}

// A port backend of the parallel kinds, opened at `base`.
adapter_opening opened_port(std::unique_ptr<port_backend> port, std::int32_t base) {
    adapter_opening opening;
    opening.status = port->open();
    opening.base = base;
    opening.port = std::move(port);
    return opening;
}

adapter_opening open_parallel(const adapter_spec& adapter, const adapter_environment& environment) {
    port_status failure;
    const auto base = adapter_base(adapter, environment, &failure);
    if (!base)
        return failed_opening(failure);
    adapter_opening opening;
    opening.port = open_port_backend(*base, port_mode::automatic,
                                     {environment.ppdev, environment.io_permission});
    opening.status = opening.port->status();
    opening.base = *base;
    return opening;
}

adapter_opening open_ppdev(const adapter_spec& adapter, const adapter_environment& environment) {
    port_status failure;
    const auto base = adapter_base(adapter, environment, &failure);
    if (!base)
        return failed_opening(failure);
    return opened_port(std::make_unique<ppdev_port>(*base, environment.ppdev), *base);
}

adapter_opening open_direct(const adapter_spec& adapter, const adapter_environment& environment) {
    port_status failure;
    const auto base = adapter_base(adapter, environment, &failure);
    if (!base)
        return failed_opening(failure);
    return opened_port(std::make_unique<direct_port>(*base, environment.io_permission), *base);
}

adapter_opening open_simulated(const adapter_spec&, const adapter_environment& environment) {
    adapter_opening opening;
    opening.base = environment.stored_base;
    opening.port = make_simulated_adapter(opening.base, environment.socket);
    opening.status = opening.port->status();
    return opening;
}

adapter_enumeration enumerate_parallel(const adapter_environment& environment) {
    adapter_enumeration found;
    for (const parport_info& port : list_parports(environment.ppdev, environment.io_permission)) {
        adapter_listing listing;
        listing.spec = port.device;
        listing.description = "parallel port at " + address_text(port.base) +
                              (port.modes.empty() ? "" : ", modes " + port.modes);
        listing.usable = port_usable(port);
        if (!port.ppdev.usable()) {
            // Raw port I/O is the way left: say what stands in its way too.
            listing.reason = port.ppdev.reason;
            listing.fix = port.ppdev.fix;
            if (port.raw_io && !port.raw_io->usable())
                listing.reason += "; " + port.raw_io->reason;
        }
        found.adapters.push_back(std::move(listing));
    }
    if (found.adapters.empty()) {
        const access_verdict none = no_parport_verdict(environment.ppdev);
        found.none_found = none.reason + "; " + none.fix;
    }
    return found;
}

std::string parallel_access(const adapter_spec& adapter, const adapter_environment& environment) {
    port_status failure;
    const auto base = adapter_base(adapter, environment, &failure);
    if (!base)
        return failure_text(failure) + ".";
    return port_access_for(*base, environment.ppdev, environment.io_permission).text;
}

std::string ppdev_access(const adapter_spec& adapter, const adapter_environment&) {
    return verdict_line("ppdev, " + adapter.spec, device_access(adapter.spec));
}

std::string direct_access(const adapter_spec& adapter, const adapter_environment& environment) {
    const std::int32_t base = spec_base(adapter).value_or(environment.stored_base);
    return verdict_line("raw port I/O at " + address_text(base),
                        raw_io_access(base, environment.io_permission));
}

// What the FTDI row lists, one line per board.
std::string ftdi_access(const adapter_spec&, const adapter_environment& environment) {
    const adapter_enumeration found = enumerate_ftdi_row(environment);
    if (found.adapters.empty())
        return found.none_found + ".";
    std::string text;
    for (const adapter_listing& board : found.adapters)
        text += (text.empty() ? "" : line_break) +
                verdict_line(board.spec + " (" + board.description + ")",
                             {board.usable ? port_error::none : port_error::permission_denied,
                              board.reason, board.fix});
    return text;
}

std::string no_access_steps(const adapter_spec&, const adapter_environment&) {
    return {};
}

const std::array<adapter_backend, 6> rows{{
    {adapter_kind::parallel, "parallel", "1|2|3|0xADDR|/dev/parportN",
     "parallel port (LPT1-LPT3, a base address or a device), through ppdev, else raw port I/O",
     nullptr, open_parallel, enumerate_parallel, parallel_access},
    {adapter_kind::ppdev, "ppdev", "ppdev:/dev/parportN", "parallel port through ppdev only",
     nullptr, open_ppdev, nullptr, ppdev_access},
    {adapter_kind::direct, "direct", "direct:0xADDR",
     "parallel port through raw port I/O only (root or CAP_SYS_RAWIO)", nullptr, open_direct,
     nullptr, direct_access},
    {adapter_kind::ftdi, "ftdi", "ftdi[:SPEC]",
     "FTDI USB board in bit-bang mode (FT232R, FT230X, FT232H, FT2232H, FT4232H)", check_ftdi_spec,
     open_ftdi_row, enumerate_ftdi_row, ftdi_access},
    {adapter_kind::gpio, "gpio", "gpio:/dev/gpiochipN|gpio:LABEL",
     "Linux GPIO chip (a Raspberry Pi's header) through the GPIO character device", check_gpio_spec,
     open_gpio_row, enumerate_gpio_row, gpio_access},
    {adapter_kind::sim, "sim", "sim", "simulated adapter with a virtual PIC18 in its socket",
     nullptr, open_simulated, nullptr, no_access_steps},
}};

} // namespace

std::span<const adapter_backend> adapter_backends() {
    return rows;
}

const adapter_backend& adapter_backend_of(adapter_kind kind) {
    for (const adapter_backend& row : rows)
        if (row.kind == kind)
            return row;
    return rows.front();
}

std::optional<std::int32_t> adapter_base(const adapter_spec& adapter,
                                         const adapter_environment& environment,
                                         port_status* failure) {
    switch (adapter.kind) {
    case adapter_kind::sim:
        return environment.stored_base;
    case adapter_kind::direct:
        return spec_base(adapter);
    case adapter_kind::ftdi:
    case adapter_kind::gpio:
        return std::nullopt;
    case adapter_kind::parallel:
        if (adapter.spec.empty())
            return environment.stored_base;
        if (const auto base = spec_base(adapter))
            return base;
        break;
    case adapter_kind::ppdev:
        break;
    }
    const auto ports = list_parports(environment.ppdev, environment.io_permission);
    if (const parport_info* port = find_parport_device(ports, adapter.spec))
        return port->base;
    if (failure) {
        failure->code = port_error::no_such_port;
        failure->path = adapter.spec;
        if (ports.empty()) {
            const access_verdict none = no_parport_verdict(environment.ppdev);
            failure->reason = none.reason + "; " + none.fix;
        } else {
            failure->reason = "not a parallel port the kernel lists; it lists";
            for (const parport_info& port : ports)
                failure->reason += " " + port.device + " at " + address_text(port.base);
        }
    }
    return std::nullopt;
}

std::string check_adapter_spec(const adapter_spec& adapter) {
    const adapter_backend& row = adapter_backend_of(adapter.kind);
    return row.check ? row.check(adapter.spec) : std::string();
}

std::unique_ptr<port_backend> make_simulated_adapter(std::int32_t base,
                                                     const simulated_socket& socket) {
    auto adapter = std::make_unique<simulated_adapter>(
        base, socket.chip ? socket_virtual_chip(socket.chip) : nullptr);
    adapter->set_access_cost_ns(socket.access_cost_ns);
    if (socket.lose_port_after)
        adapter->lose_port_after(*socket.lose_port_after);
    adapter->open();
    return adapter;
}

} // namespace hardware
