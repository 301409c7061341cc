// pinwright, the window program: one copy per user, the program folder, the device
// database, then the main window, whose load brings the program to its idle state.
#include "app/start_up.h"
#include "core/host_hooks.h"
#include "devices/selected_model.h"
#include "hardware/port_backend.h"
#include "hardware/port_lines.h"
#include "hardware/port_session.h"
#include "interpreter/algorithm_run.h"
#include "settings/program_values.h"
#include "ui/form1.h"
#include "ui/gui_hooks.h"
#include "ui/port_session.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t stop_signal = 0;

constexpr int stop_signals[] = {SIGINT, SIGTERM, SIGHUP};

// SIGINT, SIGTERM and SIGHUP end the program the orderly way: a running chip operation
// stops at its next instruction (powering the chip down, the simulated chip saved) and the
// window closes; idle, the program just ends. A second signal ends the program at once.
// Only async-signal-safe work here: the event loop's watch does the rest.
void on_stop_signal(int signal_number) {
    stop_signal = signal_number;
    Module1::cancel_requested.store(true);
    std::signal(signal_number, SIG_DFL);
}

// Leaves the adapter unpowered and the simulated chip saved, whatever ended the program.
void shut_down() {
    core::install_hooks(core::default_hooks());
    ui::save_simulated_chip();
    if (hardware::port_ready()) {
        Module94::vdd_off();
        Module94::vpp_off();
    }
    hardware::install_port_backend(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(QString::fromLocal8Bit(argv[i]));
    const app::start_options options = app::parse_options(arguments);
    if (!options.error.empty()) {
        std::fprintf(stderr, "pinwright: %s (see --help)\n", options.error.c_str());
        return 2;
    }
    if (options.help || options.version) {
        std::fputs(
            (options.help ? app::usage_text() : app::version_text()).toLocal8Bit().constData(),
            stdout);
        return 0;
    }

    // From here on a stop signal is answered once an event loop runs.
    for (const int signal_number : stop_signals)
        std::signal(signal_number, on_stop_signal);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pinwright"));

    bool another_running = false;
    const auto lock = app::take_instance_lock(app::instance_lock_path(), another_running);
    if (another_running)
        return 0;

    settings::program_values& values = settings::program();
    values.app_folder = app::program_folder(QCoreApplication::applicationDirPath());
    values.layout_scale = 1.0f;

    // A stop signal closes the message boxes open at the time (the database's error box at
    // start, or one of the window's load) as their close control would, and ends the event
    // loop; the watch runs inside a box's own loop too. The quit is repeated until the
    // main loop runs and ends.
    QTimer signal_watch;
    QObject::connect(&signal_watch, &QTimer::timeout, [] {
        if (stop_signal == 0)
            return;
        for (int open = 0; open < 16; ++open) {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr || !box->close())
                break;
        }
        QCoreApplication::quit();
    });
    signal_watch.start(100);

    ui::install_window_less_hooks();
    if (app::load_database(values.app_folder, devices::device_database()) !=
        app::database_state::ready)
        return 1;

    hardware::port_session_options port;
    port.simulate = options.simulate;
    port.sim_part = options.sim_part;
    port.lose_port_after = options.lose_port_after;
    port.chip_file = options.chip_file;
    hardware::configure_port_session(port);
    int code = 0;
    {
        ui::Form1 window;
        ui::install_gui_hooks(window);
        window.Form_Load();
        code = QApplication::exec();
        shut_down();
    }
    return code;
}
