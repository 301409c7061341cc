// The window's programmer port. With --simulate the session runs the simulated adapter in
// real time (no access cost: the chip sees the host's real timing); the socket holds the
// chip named by --sim-part, or else the chip of the selected model, which it then follows
// when the model changes.
#include "ui/port_session.h"

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/adapter_choice.h"
#include "hardware/line_driver.h"
#include "hardware/port_lines.h"
#include "hardware/port_session.h"
#include "ui/message_boxes.h"

namespace ui {

std::string port_caption(std::int32_t base, bool simulated, const hardware::port_status& status) {
    if (status.ok()) {
        if (hardware::lpt_number(base) == 0)
            return simulated ? std::string() : hardware::ready_caption(base, status.path);
        const std::string ready = hardware::ready_caption(base);
        return simulated ? "Simulated p" + ready.substr(1) : ready;
    }
    std::string port = hardware::ready_caption(base);
    port = port.empty() ? "Port " + hardware::address_text(base)
                        : port.substr(0, port.size() - std::string(" ready").size());
    return port + " not ready: " + hardware::failure_text(status);
}

std::string status_clause(const std::string& caption) {
    const std::string clause = " not ready";
    const std::size_t at = caption.find(clause + ": ");
    return at == std::string::npos ? caption : caption.substr(0, at + clause.size());
}

std::string adapter_caption(const std::string& adapter, const hardware::port_status& status) {
    if (status.ok())
        return hardware::current_line_driver().description() + " ready";
    return "Adapter " + adapter + " not ready: " + hardware::failure_text(status);
}

std::string reopen_port() {
    std::string problem;
    const hardware::adapter_spec adapter = hardware::stored_adapter(&problem);
    if (!problem.empty())
        core::mymsgbox(problem, core::msg_error, core::app_title);
    const hardware::session_opening opening =
        hardware::open_port_session(adapter, devices::selected_model().values.name);
    show_hex_read(opening.chip_file_read);
    const hardware::adapter_spec& opened = hardware::session_adapter();
    if (!hardware::register_level(opened.kind))
        return adapter_caption(hardware::adapter_text(opened), opening.status);
    const bool simulated = opened.kind == hardware::adapter_kind::sim;
    std::string caption =
        port_caption(Module94::port_settings.port_base, simulated, opening.status);
    if (simulated && !hardware::session_chip() && !caption.empty())
        caption += core::lower_case(opening.part) == hardware::empty_socket_part
                       ? std::string(" (empty socket)")
                       : " (empty socket: the simulator has no PIC" + opening.part + ")";
    return caption;
}

void follow_selected_model() {
    if (hardware::socket_follows(devices::selected_model().values.name))
        reopen_port();
}

void save_simulated_chip() {
    const image::hex_failure failure = hardware::save_session_chip();
    if (!failure.ok())
        core::mymsgbox(image::failure_text(failure), core::msg_error, core::app_title);
}

} // namespace ui
