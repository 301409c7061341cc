// The program's port session: options, the chip in the simulated socket, and the opening
// of the port that every chip operation of the window and the CLI runs on.
#include "hardware/port_session.h"

#include "core/hex_text.h"
#include "hardware/adapter_table.h"
#include "hardware/line_driver.h"
#include "hardware/port_lines.h"
#include "hardware/port_trace.h"
#include "sim/chip_file.h"
#include "sim/virtual_chip.h"

namespace hardware {

namespace {

struct session_state {
    port_session_options options;
    std::string part; // part decided for the socket
    std::shared_ptr<sim::virtual_chip> chip;
    bool chip_file_read = false;  // the file has been read (once, at the first opening)
    bool chip_file_usable = true; // false: the file was rejected, never write it
    adapter_spec adapter;         // opened last
};

session_state& session() {
    static session_state state;
    return state;
}

// The session runs the simulated adapter: asked for with `simulate`, or opened as "sim".
bool simulating() {
    return session().options.simulate || session().adapter.kind == adapter_kind::sim;
}

bool part_is_fixed() {
    const port_session_options& options = session().options;
    return !options.sim_part.empty() || !options.chip_file.empty();
}

std::string wanted_part(const std::string& model_name) {
    const session_state& s = session();
    if (part_is_fixed() && !s.part.empty())
        return s.part;
    if (!s.options.sim_part.empty())
        return s.options.sim_part;
    return sim::part_of_model(model_name);
}

// Puts the chip for `part` into the socket: the one already there when it is that part,
// else a blank one (read from the chip file the first time), or none when the simulator
// does not know the part.
session_failure socket_chip(const std::string& part, image::hex_read_result& file_read) {
    session_state& s = session();
    s.part = part;
    if (core::lower_case(part) == empty_socket_part) {
        s.chip.reset();
        return session_failure::none;
    }
    const sim::part_info* info = sim::find_part(part);
    if (info == nullptr) {
        s.chip.reset();
        return session_failure::unknown_part;
    }
    if (s.chip && s.chip->part().name == info->name)
        return session_failure::none;
    s.chip = std::make_shared<sim::virtual_chip>(*info);
    if (!s.options.chip_file.empty() && !s.chip_file_read) {
        s.chip_file_read = true;
        file_read = sim::load_chip_file(s.options.chip_file, *s.chip);
        if (!file_read.accepted()) {
            s.chip_file_usable = false;
            return session_failure::chip_file_rejected;
        }
    }
    return session_failure::none;
}

} // namespace

std::optional<std::int64_t> port_lost_after(const std::string& fault) {
    const std::string prefix = "port-lost=";
    if (fault.rfind(prefix, 0) != 0 || fault.size() == prefix.size() ||
        fault.size() > prefix.size() + 12)
        return std::nullopt;
    std::int64_t count = 0;
    for (std::size_t i = prefix.size(); i < fault.size(); ++i) {
        if (fault[i] < '0' || fault[i] > '9')
            return std::nullopt;
        count = count * 10 + (fault[i] - '0');
    }
    return count;
}

void configure_port_session(const port_session_options& options) {
    session() = session_state{};
    session().options = options;
}

const port_session_options& port_session_settings() {
    return session().options;
}

namespace {

session_opening open_session(const adapter_spec& requested, std::int32_t stored_base,
                             const std::string& model_name) {
    session_state& s = session();
    session_opening opening;
    // --simulate puts the simulated adapter in place of whatever adapter is chosen.
    s.adapter = s.options.simulate ? adapter_spec{adapter_kind::sim, {}} : requested;
    adapter_environment environment;
    environment.stored_base = stored_base;
    if (s.adapter.kind == adapter_kind::sim) {
        opening.part = wanted_part(model_name);
        opening.failure = socket_chip(opening.part, opening.chip_file_read);
        environment.socket = {s.chip, s.options.access_cost ? s.options.access_cost_ns : 0,
                              s.options.lose_port_after};
    }
    adapter_opening opened = adapter_backend_of(s.adapter.kind).open(s.adapter, environment);
    opening.status = opened.status;
    if (!opened.port) {
        // A line-level adapter has installed its driver; one that failed leaves the
        // parallel driver over a port that says why.
        if (!opened.status.ok()) {
            install_port_backend(std::make_unique<unavailable_port>(opened.status));
            install_line_driver(nullptr);
        }
        return opening;
    }
    std::unique_ptr<port_backend> backend = std::move(opened.port);
    // The line procedures address the registers at the adapter's base.
    if (opened.base != 0)
        Module94::port_settings.port_base = opened.base;
    // The trace records runs only: not a port that cannot run one.
    const bool runnable = opening.status.ok() && opening.failure == session_failure::none;
    if (runnable && !s.options.trace_file.empty()) {
        auto traced = trace_port_to_file(std::move(backend), s.options.trace_file);
        if (!traced.failure.ok()) {
            opening.failure = session_failure::trace_not_opened;
            opening.trace_failure = traced.failure;
            install_port_backend(nullptr);
            install_line_driver(nullptr);
            return opening;
        }
        backend = std::move(traced.backend);
    }
    install_port_backend(std::move(backend));
    install_line_driver(nullptr);
    Module94::set_lines_idle();
    return opening;
}

} // namespace

session_opening open_port_session(const adapter_spec& adapter, const std::string& model_name) {
    return open_session(adapter, Module94::port_settings.port_base, model_name);
}

session_opening open_port_session(std::int32_t base, const std::string& model_name) {
    return open_session({}, base, model_name);
}

const adapter_spec& session_adapter() {
    return session().adapter;
}

std::string session_access_text() {
    const session_state& s = session();
    if (simulating())
        return {};
    adapter_environment environment;
    environment.stored_base = Module94::port_settings.port_base;
    return adapter_backend_of(s.adapter.kind).access(s.adapter, environment);
}

bool socket_follows(const std::string& model_name) {
    const session_state& s = session();
    if (!simulating() || part_is_fixed())
        return false;
    const std::string part = wanted_part(model_name);
    if (core::lower_case(part) == empty_socket_part)
        return s.chip != nullptr;
    const sim::part_info* info = sim::find_part(part);
    const bool same =
        info != nullptr ? s.chip && s.chip->part().name == info->name : !s.chip && s.part == part;
    return !same;
}

image::hex_failure save_session_chip() {
    const session_state& s = session();
    if (!simulating() || !s.chip || s.options.chip_file.empty() || !s.chip_file_usable)
        return {};
    return sim::save_chip_file(s.options.chip_file, *s.chip);
}

std::shared_ptr<sim::virtual_chip> session_chip() {
    return session().chip;
}

} // namespace hardware
