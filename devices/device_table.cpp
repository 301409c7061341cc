// Reading pinwrightdevices.txt into the device table: a "model:" line starts a model, and
// the field and algorithm-reference lines after it fill the fields their schema rows name
// (devices/database_lines.h classifies the lines and resolves the references). Also where the
// programs find the shipped database.
#include "devices/device_table.h"

#include "core/whole_file.h"
#include "devices/database_lines.h"

#include <filesystem>

namespace devices {

std::string failure_text(const database_failure& failure) {
    switch (failure.code) {
    case database_error::none:
        break;
    case database_error::cannot_open:
        return "Cannot open the device database " + failure.path + ": " + failure.reason + ".";
    case database_error::cannot_read:
        return "Cannot read the device database " + failure.path + ": " + failure.reason + ".";
    case database_error::bad_line:
        return failure.path + ":" + std::to_string(failure.line) + ": " + failure.reason + " (\"" +
               failure.quoted + "\").";
    }
    return {};
}

database_failure parse_device_table(const std::string& bytes, const std::string& source,
                                    device_table& table) {
    return parse_device_table(read_database_lines(bytes), source, table);
}

database_failure parse_device_table(const std::vector<database_line>& lines,
                                    const std::string& source, device_table& table) {
    table = device_table{};
    table.source = source;

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const database_line& line = lines[i];
        const int number = static_cast<int>(i) + 1;
        if (!line.problem.empty()) {
            table = device_table{};
            table.source = source;
            database_failure failure;
            failure.code = database_error::bad_line;
            failure.path = source;
            failure.line = number;
            failure.reason = line.problem;
            failure.quoted = line.text;
            return failure;
        }
        using kind = database_line::kind;
        switch (line.what) {
        case kind::model: {
            device_model model;
            model.name = line.value;
            model.line = number;
            table.models.push_back(std::move(model));
            break;
        }
        case kind::field:
            table.models.back().*(line.row->field) = line.value;
            break;
        case kind::algorithm_ref:
            table.models.back().*(line.row->field) = line.body;
            break;
        case kind::definition: // the reader hands its body to the references below it
        case kind::empty:
        case kind::other:
        case kind::no_space:
            break;
        }
    }
    return {};
}

database_failure load_device_table(const std::string& path, device_table& table) {
    std::string bytes;
    const core::file_failure read = core::read_whole_file(path, bytes);
    if (read.ok())
        return parse_device_table(bytes, path, table);
    table = device_table{};
    table.source = path;
    database_failure failure;
    failure.code = read.code == core::file_error::cannot_open ? database_error::cannot_open
                                                              : database_error::cannot_read;
    failure.path = path;
    failure.reason = read.reason;
    return failure;
}

std::string default_database_path(const std::string& program_folder) {
    return shipped_file_path(program_folder, "pinwrightdevices.txt");
}

std::string shipped_file_path(const std::string& program_folder, const std::string& file) {
    const std::string beside = program_folder + file;
    const std::string shared = program_folder + "../share/pinwright/" + file;
    std::error_code error;
    if (std::filesystem::exists(beside, error) || !std::filesystem::exists(shared, error))
        return beside;
    return std::filesystem::path(shared).lexically_normal().string();
}

} // namespace devices
