// The ports command and the reading of --port. Both take the ports from the hardware
// layer's list, so that the CLI, the window's port dialog and any diagnosis judge access
// the same way and say the same fixes.
#include "cli/port_commands.h"

#include "cli/json_output.h"
#include "hardware/adapter_table.h"
#include "hardware/port_backend.h"
#include "hardware/port_list.h"
#include "settings/setting_names.h"

#include <algorithm>
#include <iomanip>

namespace cli {

namespace {

std::string listed_devices(const std::vector<hardware::parport_info>& ports) {
    std::string text;
    for (const hardware::parport_info& port : ports)
        text +=
            (text.empty() ? "" : ", ") + port.device + " at " + hardware::address_text(port.base);
    return text;
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QJsonObject verdict_json(const hardware::access_verdict& verdict) {
    return QJsonObject{{"reason", text(verdict.reason)}, {"fix", text(verdict.fix)}};
}

void print_verdict(std::ostream& out, const std::string& what,
                   const hardware::access_verdict& verdict) {
    if (verdict.usable()) {
        out << "  " << what << "permitted\n";
        return;
    }
    out << "  " << what << verdict.reason << '\n';
    if (!verdict.fix.empty())
        out << "  fix: " << verdict.fix << '\n';
}

} // namespace

port_choice resolve_port_choice(const std::string& text, const hardware::ppdev_roots& roots) {
    port_choice choice;
    const hardware::adapter_parse parse = hardware::parse_adapter(text, "--port");
    choice.adapter = parse.adapter;
    std::string error = parse.error;
    if (error.empty())
        if (const std::string problem = hardware::check_adapter_spec(parse.adapter);
            !problem.empty())
            error = "--port " + text + ": " + problem;
    if (!error.empty()) {
        choice.code = exit_bad_input;
        choice.error = error;
        return choice;
    }
    if (const auto base = hardware::spec_base(choice.adapter)) {
        choice.base = *base;
        return choice;
    }
    const bool device = choice.adapter.kind == hardware::adapter_kind::parallel ||
                        choice.adapter.kind == hardware::adapter_kind::ppdev;
    if (!device)
        return choice;
    const std::string& path = choice.adapter.spec;
    const auto ports = hardware::list_parports(roots);
    if (const hardware::parport_info* port = hardware::find_parport_device(ports, path)) {
        choice.base = port->base;
        return choice;
    }
    choice.code = exit_hardware;
    if (ports.empty()) {
        const hardware::access_verdict none = hardware::no_parport_verdict(roots);
        choice.error =
            "--port " + text + ": no parallel port is listed: " + none.reason + "; " + none.fix;
    } else {
        choice.error = "--port " + text + ": not a parallel port the kernel lists (it lists " +
                       listed_devices(ports) + "; see pinwright-cli ports)";
    }
    return choice;
}

namespace {

struct listed {
    bool any = false;    // something was listed on standard output
    bool usable = false; // one at least can be used
};

// The parallel ports, as a table with the reasons and fixes under the unusable ones, or
// why there are none.
listed list_parallel_ports(session& s, const hardware::ppdev_roots& roots,
                           const hardware::io_permission_function& io_permission) {
    const auto ports = hardware::list_parports(roots, io_permission);
    QJsonArray listed;
    if (ports.empty()) {
        record(s, "parallel_ports", listed);
        const hardware::access_verdict none = hardware::no_parport_verdict(roots);
        s.err << "pinwright-cli: no parallel port: " << none.reason << '\n'
              << "  fix: " << none.fix << '\n';
        // A port the driver does not know may still answer at the stored address.
        const std::int32_t stored = settings::port_address_setting.read();
        print_verdict(s.err,
                      "raw port I/O at the stored address " + hardware::address_text(stored) + ": ",
                      hardware::raw_io_access(stored, io_permission));
        return {};
    }

    std::size_t device_width = std::string("Device").size();
    std::size_t modes_width = std::string("Modes").size();
    for (const hardware::parport_info& port : ports) {
        device_width = std::max(device_width, port.device.size());
        modes_width = std::max(modes_width, port.modes.size());
    }
    const auto row = [&](const std::string& device, const std::string& address,
                         const std::string& modes, const std::string& access) {
        s.out << std::left << std::setw(static_cast<int>(device_width)) << device << "  "
              << std::setw(7) << address << "  " << std::setw(static_cast<int>(modes_width))
              << modes << "  " << access << std::right << '\n';
    };
    row("Device", "Address", "Modes", "Usable");
    bool any_usable = false;
    for (const hardware::parport_info& port : ports) {
        row(port.device, hardware::address_text(port.base), port.modes.empty() ? "-" : port.modes,
            hardware::access_summary(port));
        any_usable = any_usable || hardware::port_usable(port);
        QJsonObject entry{{"device", text(port.device)},
                          {"address", text(hardware::address_text(port.base))},
                          {"modes", text(port.modes)},
                          {"usable", text(hardware::access_summary(port))}};
        if (!port.ppdev.usable()) {
            print_verdict(s.out, "", port.ppdev);
            entry.insert("ppdev", verdict_json(port.ppdev));
            if (port.raw_io) {
                print_verdict(s.out, "raw port I/O: ", *port.raw_io);
                if (!port.raw_io->usable())
                    entry.insert("raw_io", verdict_json(*port.raw_io));
            }
        }
        listed.append(entry);
    }
    record(s, "parallel_ports", listed);
    return {true, any_usable};
}

// Another row's adapters after what was listed (and a blank line): the kind's
// description, then one line per adapter (its --port spec, what it is, whether it can be
// used) with the reason and fix under one that cannot; or why none was found.
listed list_row(session& s, const hardware::adapter_backend& row,
                const hardware::adapter_enumeration& found, bool after, QJsonObject& entry) {
    s.out << (after ? "\n" : "") << row.description << ":\n";
    entry = {{"kind", row.name}, {"description", row.description}};
    if (found.adapters.empty()) {
        s.out << "  none found: " << found.none_found << '\n';
        entry.insert("adapters", QJsonArray{});
        entry.insert("none_found", text(found.none_found));
        return {true, false};
    }
    std::size_t spec_width = std::string("Adapter").size();
    std::size_t description_width = std::string("Description").size();
    for (const hardware::adapter_listing& adapter : found.adapters) {
        spec_width = std::max(spec_width, adapter.spec.size());
        description_width = std::max(description_width, adapter.description.size());
    }
    const auto line = [&](const std::string& spec, const std::string& description,
                          const std::string& usable) {
        s.out << std::left << std::setw(static_cast<int>(spec_width)) << spec << "  "
              << std::setw(static_cast<int>(description_width)) << description << "  " << usable
              << std::right << '\n';
    };
    line("Adapter", "Description", "Usable");
    bool any_usable = false;
    QJsonArray adapters;
    for (const hardware::adapter_listing& adapter : found.adapters) {
        line(adapter.spec, adapter.description, adapter.usable ? "yes" : "no");
        any_usable = any_usable || adapter.usable;
        QJsonObject listing{{"spec", text(adapter.spec)},
                            {"description", text(adapter.description)},
                            {"usable", adapter.usable}};
        if (!adapter.usable) {
            print_verdict(s.out, "",
                          {hardware::port_error::permission_denied, adapter.reason, adapter.fix});
            listing.insert("reason", text(adapter.reason));
            listing.insert("fix", text(adapter.fix));
        }
        adapters.append(listing);
    }
    entry.insert("adapters", adapters);
    return {true, any_usable};
}

} // namespace

int command_ports(session& s, const hardware::ppdev_roots& roots,
                  const hardware::io_permission_function& io_permission) {
    if (!s.options.arguments.empty()) {
        s.err << "pinwright-cli: ports takes no arguments\n";
        return exit_bad_input;
    }
    listed so_far = list_parallel_ports(s, roots, io_permission);
    hardware::adapter_environment environment;
    environment.ppdev = roots;
    environment.io_permission = io_permission;
    QJsonArray kinds;
    for (const hardware::adapter_backend& row : hardware::adapter_backends()) {
        if (!row.enumerate || row.kind == hardware::adapter_kind::parallel)
            continue;
        QJsonObject entry;
        const listed more = list_row(s, row, row.enumerate(environment), so_far.any, entry);
        so_far = {true, so_far.usable || more.usable};
        kinds.append(entry);
    }
    record(s, "other_adapters", kinds);
    const bool any_usable = so_far.usable;
    record(s, "any_usable", any_usable);
    if (!any_usable) {
        record_outcome(s, "none_usable");
        s.err << "pinwright-cli: this user can use none of these ports and adapters (see the "
                 "fixes above)\n";
    }
    return any_usable ? exit_success : exit_hardware;
}

} // namespace cli
