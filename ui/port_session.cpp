// The window's programmer port. On request (--simulate) it is the simulated adapter with a
// virtual PIC18 in its socket, running in real time (no access cost: the chip sees the
// host's real timing); otherwise the real backends, ppdev first, then raw port I/O.
//
// The simulated socket holds the chip named by --sim-part, or else the chip of the selected
// model, which it then follows when the model changes. With --chip the part is fixed at
// start, its memory is loaded from the file then, and written back after each chip
// operation and at exit; a file that is rejected at start is never overwritten.
#include "ui/port_session.h"

#include "core/host_hooks.h"
#include "hardware/port_lines.h"
#include "hardware/port_selection.h"
#include "hardware/simulated_adapter.h"
#include "interpreter/algorithm_run.h"
#include "sim/chip_file.h"
#include "sim/virtual_chip.h"
#include "ui/message_boxes.h"
#include "ui/port_captions.h"

namespace ui {

namespace {

struct session_state {
    port_session_options options;
    std::string part; // part decided for the socket
    std::shared_ptr<sim::virtual_chip> chip;
    bool chip_file_read = false;  // the file has been read (once, at start)
    bool chip_file_usable = true; // false: the file was rejected, never write it
};

session_state& session() {
    static session_state state;
    return state;
}

bool part_is_fixed() {
    const port_session_options& options = session().options;
    return !options.sim_part.empty() || !options.chip_file.empty();
}

std::string wanted_part() {
    session_state& s = session();
    if (part_is_fixed() && !s.part.empty())
        return s.part;
    if (!s.options.sim_part.empty())
        return s.options.sim_part;
    return sim::part_of_model(Module1::selected_model().name);
}

// Puts the chip for `part` into the socket: the one already there when it is that part,
// else a blank one (loaded from the chip file the first time), or none when the simulator
// does not know the part.
void socket_chip(const std::string& part) {
    session_state& s = session();
    s.part = part;
    const sim::part_info* info = sim::find_part(part);
    if (info == nullptr) {
        s.chip.reset();
        return;
    }
    if (s.chip && s.chip->part().name == info->name)
        return;
    s.chip = std::make_shared<sim::virtual_chip>(*info);
    if (!s.options.chip_file.empty() && !s.chip_file_read) {
        s.chip_file_read = true;
        const image::hex_read_result read = sim::load_chip_file(s.options.chip_file, *s.chip);
        show_hex_read(read);
        s.chip_file_usable = read.accepted();
    }
}

} // namespace

std::string port_caption(std::int32_t base, bool simulated, const hardware::port_status& status) {
    if (status.ok()) {
        const std::string ready = hardware::ready_caption(base);
        return simulated && !ready.empty() ? "Simulated p" + ready.substr(1) : ready;
    }
    std::string port = hardware::ready_caption(base);
    port = port.empty() ? "Port " + hardware::address_text(base)
                        : port.substr(0, port.size() - std::string(" ready").size());
    return port + " not ready: " + hardware::failure_text(status);
}

void configure_port_session(const port_session_options& options) {
    session() = session_state{};
    session().options = options;
}

std::string reopen_port() {
    session_state& s = session();
    const std::int32_t base = Module94::port_settings.port_base;
    std::unique_ptr<hardware::port_backend> backend;
    if (s.options.simulate) {
        socket_chip(wanted_part());
        auto adapter = std::make_unique<hardware::simulated_adapter>(
            base, hardware::socket_virtual_chip(s.chip));
        adapter->set_access_cost_us(0);
        adapter->open();
        backend = std::move(adapter);
    } else {
        backend = hardware::open_port_backend(base, hardware::port_mode::automatic);
    }
    const hardware::port_status status = backend->status();
    hardware::install_port_backend(std::move(backend));
    Module94::set_lines_idle();
    std::string caption = port_caption(base, s.options.simulate, status);
    if (s.options.simulate && !s.chip && !caption.empty())
        caption += " (empty socket: the simulator has no PIC" + s.part + ")";
    return caption;
}

void follow_selected_model() {
    session_state& s = session();
    if (!s.options.simulate || part_is_fixed())
        return;
    const std::string part = wanted_part();
    const sim::part_info* info = sim::find_part(part);
    const bool same =
        info != nullptr ? s.chip && s.chip->part().name == info->name : !s.chip && s.part == part;
    if (!same)
        reopen_port();
}

void save_simulated_chip() {
    session_state& s = session();
    if (!s.options.simulate || !s.chip || s.options.chip_file.empty() || !s.chip_file_usable)
        return;
    const image::hex_failure failure = sim::save_chip_file(s.options.chip_file, *s.chip);
    if (!failure.ok())
        core::mymsgbox(image::failure_text(failure), core::msg_error, core::app_title);
}

std::shared_ptr<sim::virtual_chip> simulated_chip() {
    return session().chip;
}

} // namespace ui
