// A temporary /proc/sys/dev/parport and /dev for the ppdev backend and the port list, and
// a way to run a check with the file access of an unprivileged user even under root (the
// file-system user and group ids are per thread, and dropping them to "nobody" drops
// root's file capabilities with them).
#pragma once

#include "hardware/ppdev_port.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/fsuid.h>
#include <thread>
#include <unistd.h>

namespace test_support {

struct fake_parports {
    fake_parports() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pinwright-ports-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        std::filesystem::create_directories(root / "proc");
        std::filesystem::create_directories(root / "dev");
        std::filesystem::permissions(root, std::filesystem::perms::all); // for "nobody" too
    }
    ~fake_parports() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    fake_parports(const fake_parports&) = delete;
    fake_parports& operator=(const fake_parports&) = delete;

    // parportN with this base-addr text, and a modes file when `modes` is given.
    void add_port(int number, const std::string& base_addr, const char* modes = nullptr) {
        const std::filesystem::path folder = root / "proc" / ("parport" + std::to_string(number));
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "base-addr") << base_addr;
        if (modes != nullptr)
            std::ofstream(folder / "modes") << modes << '\n';
    }
    // A device file that exists but is no port, readable by its owner only (by default).
    void add_device_file(int number,
                         std::filesystem::perms mode = std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_write) {
        const std::filesystem::path file = dev(number);
        std::ofstream(file) << "";
        std::filesystem::permissions(file, mode);
    }
    std::string dev(int number) const {
        return (root / "dev" / ("parport" + std::to_string(number))).string();
    }
    hardware::ppdev_roots roots() const {
        return {(root / "proc").string(), (root / "dev").string()};
    }

    std::filesystem::path root;
};

// Runs `work` with the file access of the "nobody" user when the tests run as root.
template <class Work> void as_unprivileged_user(Work work) {
    std::thread([&] {
        if (::geteuid() == 0) {
            ::setfsuid(65534);
            ::setfsgid(65534);
        }
        work();
    }).join();
}

} // namespace test_support
