// Helpers shared by the image tests: a temporary folder per test, a recorder for the
// messages the core shows, small models, HEX record building and running external tools.
#pragma once

#include "core/hex_text.h"
#include "core/host_hooks.h"
#include "devices/model_select.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace image_test {

// A fresh folder under the system's temporary folder, removed with its content.
class temp_dir {
  public:
    temp_dir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pinwright-image-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    ~temp_dir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

struct recorded_message {
    std::string text;
    int kind = 0;
    std::string title;
};

// Installs hooks whose message box records every message; restores the defaults after.
class message_recorder {
  public:
    message_recorder() {
        core::host_hooks hooks;
        hooks.message_box = [this](const std::string& text, int kind, const std::string& title) {
            messages.push_back({text, kind, title});
            return int{core::result_ok};
        };
        core::install_hooks(std::move(hooks));
    }
    message_recorder(const message_recorder&) = delete;
    message_recorder& operator=(const message_recorder&) = delete;
    ~message_recorder() { core::install_hooks(core::default_hooks()); }

    std::vector<recorded_message> messages;
};

// A model with the given sizes and distinct erased configuration values.
inline devices::model_values make_model(std::int32_t flash_size, std::int32_t eeprom_size) {
    devices::model_values model;
    model.name = "TEST";
    model.flash_size = flash_size;
    model.eeprom_size = eeprom_size;
    model.config_erased = {0x00, 0x27, 0x0F, 0x0F, 0x00, 0x01, 0x85,
                           0x00, 0x0F, 0xC0, 0x0F, 0xE0, 0x0F, 0x40};
    return model;
}

// A complete record line (without line end) from its fields; the checksum is computed.
inline std::string record(const std::string& count, const std::string& address,
                          const std::string& type, const std::string& data) {
    const std::string body = count + address + type + data;
    return ":" + body + core::hex_checksum(body);
}

// A data record holding `bytes` at the 16-bit `address`.
inline std::string data_record(std::uint32_t address, const std::vector<int>& bytes) {
    std::string data;
    for (const int b : bytes)
        data += core::hex2(b);
    return record(core::hex2(static_cast<std::int32_t>(bytes.size())),
                  core::hex4(static_cast<std::int32_t>(address)), "00", data);
}

inline std::string extended_linear(std::uint32_t upper) {
    return record("02", "0000", "04", core::hex4(static_cast<std::int32_t>(upper)));
}

inline const std::string end_record = ":00000001FF";

// Joins lines with CR LF after each.
inline std::string crlf_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

inline void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct command_result {
    int status = -1; // exit status, -1 when the command did not exit normally
    std::string output;
};

// Runs a shell command, collecting its standard output and error.
inline command_result run_command(const std::string& command) {
    command_result result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        result.output.append(chunk, got);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace image_test
