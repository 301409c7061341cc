// The steps of the program's start that come before the main window: the command line,
// the one-copy-per-user lock, the program folder and the device database.
#pragma once

#include "devices/device_table.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace app {

struct start_options {
    bool simulate = false;
    std::string sim_part;
    std::string chip_file;
    std::optional<std::int64_t> lose_port_after; // --sim-fault port-lost=N
    bool help = false;
    bool version = false;
    std::string error; // not empty: the command line cannot be used
};

// Reads the arguments (argv[0] first). --sim-part and --chip need --simulate, and a part
// name must be one the simulator knows.
start_options parse_options(const QStringList& arguments);

QString usage_text();
QString version_text();

// Where the lock lives: the user's runtime folder.
QString instance_lock_path();

// Takes the lock at `path`. Null and `another_running` true when a running copy holds it.
// A lock left by a copy that ended without releasing it (a crash) is taken over. When the
// lock cannot be made at all (no writable folder), the program runs without it: null and
// `another_running` false.
std::unique_ptr<QLockFile> take_instance_lock(const QString& path, bool& another_running);

// The folder of the program file with '/' appended, in its real case.
std::string program_folder(const QString& application_folder);

enum class database_state { ready, unreadable, no_model };

// Reads the database of a program in `folder` (devices::default_database_path: beside it,
// else in ../share/pinwright) into `table`. A file that cannot be read is reported in the
// message box (with the file's name and the reason); a file without any model ends the
// start silently.
database_state load_database(const std::string& folder, devices::device_table& table);

} // namespace app
