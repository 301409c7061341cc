// Command line, single-instance lock, program folder and device database.
#include "app/start_up.h"

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "hardware/port_session.h"
#include "sim/part_table.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

#ifndef PINWRIGHT_VERSION
#define PINWRIGHT_VERSION "0"
#endif

namespace app {

QString usage_text() {
    return QStringLiteral(
        "Usage: pinwright [--simulate [--sim-part NAME] [--chip FILE] [--sim-fault FAULT]]\n"
        "\n"
        "Tarvellic Pinwright programs PIC18 microcontrollers through an adapter on a\n"
        "parallel port. Only one copy runs per user.\n"
        "\n"
        "Options:\n"
        "  --simulate        use the simulated adapter with a virtual chip instead of a\n"
        "                    real parallel port\n"
        "  --sim-part NAME   the chip in the simulated socket (default: the selected\n"
        "                    model's part, which then follows model changes); \"none\"\n"
        "                    leaves the socket empty\n"
        "  --chip FILE       keep the simulated chip's memory in this Intel HEX file:\n"
        "                    read at start, written after each chip operation and at exit\n"
        "  --sim-fault port-lost=N\n"
        "                    the simulated port fails after N register accesses, as an\n"
        "                    unplugged USB adapter would\n"
        "  -h, --help        show this text\n"
        "  -v, --version     show the version\n");
}

QString version_text() {
    return QStringLiteral("pinwright ") + QStringLiteral(PINWRIGHT_VERSION) + QLatin1Char('\n');
}

start_options parse_options(const QStringList& arguments) {
    start_options options;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption simulate(QStringLiteral("simulate"));
    const QCommandLineOption sim_part(QStringLiteral("sim-part"), QString(),
                                      QStringLiteral("NAME"));
    const QCommandLineOption chip(QStringLiteral("chip"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption sim_fault(QStringLiteral("sim-fault"), QString(),
                                       QStringLiteral("FAULT"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({simulate, sim_part, chip, sim_fault, help, version});
    if (!parser.parse(arguments)) {
        options.error = parser.errorText().toStdString();
        return options;
    }
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    options.simulate = parser.isSet(simulate);
    options.sim_part = parser.value(sim_part).toStdString();
    options.chip_file = parser.value(chip).toStdString();
    if (!parser.positionalArguments().isEmpty()) {
        options.error =
            "unexpected argument \"" + parser.positionalArguments().front().toStdString() + "\"";
    } else if (!options.simulate &&
               (parser.isSet(sim_part) || parser.isSet(chip) || parser.isSet(sim_fault))) {
        options.error = "--sim-part, --chip and --sim-fault need --simulate";
    } else if (parser.isSet(sim_fault) && !(options.lose_port_after = hardware::port_lost_after(
                                                parser.value(sim_fault).toStdString()))) {
        options.error = "unknown simulated fault \"" + parser.value(sim_fault).toStdString() +
                        "\"; accepted: " + hardware::accepted_sim_faults;
    } else if (parser.isSet(sim_part) && sim::find_part(options.sim_part) == nullptr &&
               core::lower_case(options.sim_part) != hardware::empty_socket_part) {
        options.error = "the simulator does not know the part \"" + options.sim_part +
                        "\" (known parts: " + sim::known_part_names() +
                        "; \"none\" for an empty socket)";
    } else if (parser.isSet(chip) && options.chip_file.empty()) {
        options.error = "--chip needs a file name";
    }
    return options;
}

QString instance_lock_path() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    // The runtime folder is the user's own; the uid keeps users apart in the fallback.
    return folder + QStringLiteral("/tarvellic-pinwright-%1.lock").arg(::getuid());
}

std::unique_ptr<QLockFile> take_instance_lock(const QString& path, bool& another_running) {
    another_running = false;
    auto lock = std::make_unique<QLockFile>(path);
    // A running copy holds its lock for good; only a lock whose process is gone is stale.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    another_running = lock->error() == QLockFile::LockFailedError;
    return nullptr;
}

std::string program_folder(const QString& application_folder) {
    std::string folder = QDir::cleanPath(application_folder).toStdString();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

database_state load_database(const std::string& folder, devices::device_table& table) {
    const devices::database_failure failure =
        devices::load_device_table(devices::default_database_path(folder), table);
    if (!failure.ok()) {
        core::mymsgbox(devices::failure_text(failure), core::msg_error, core::app_title);
        return database_state::unreadable;
    }
    return table.model_count() == 0 ? database_state::no_model : database_state::ready;
}

} // namespace app
