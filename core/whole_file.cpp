// Whole-file reading and crash-safe replacement with POSIX calls, so that every failure
// keeps the reason the system gives for it.
#include "core/whole_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace {

file_failure failed(file_error code, const std::string& path, int error) {
    file_failure failure;
    failure.code = code;
    failure.path = path;
    failure.reason = std::strerror(error);
    return failure;
}

// Closes a descriptor on every path out of a function.
class fd_guard {
  public:
    explicit fd_guard(int fd) : fd_(fd) {}
    fd_guard(const fd_guard&) = delete;
    fd_guard& operator=(const fd_guard&) = delete;
    ~fd_guard() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the error close() gives (delayed write errors show up here).
    int close_now() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

int write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

// The file that a save to `path` really replaces: the target of a symbolic link, or the
// path itself.
std::string resolve_target(const std::string& path) {
    struct stat link_info {};
    if (::lstat(path.c_str(), &link_info) != 0 || !S_ISLNK(link_info.st_mode))
        return path;
    std::string target = path;
    // Follow a bounded chain of links; a dangling link ends at the name it points to.
    for (int depth = 0; depth < 40; ++depth) {
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), buffer, sizeof buffer - 1);
        if (length < 0)
            break;
        std::string next(buffer, static_cast<std::size_t>(length));
        if (next.empty())
            break;
        if (next[0] != '/') {
            const auto slash = target.rfind('/');
            if (slash != std::string::npos)
                next = target.substr(0, slash + 1) + next;
        }
        target = next;
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            break;
    }
    return target;
}

std::string folder_of(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a fresh file beside the target with mode 0644 (less the umask, applied by the
// kernel). Returns the descriptor and fills `temp_path`, or -1 with errno set.
int create_temporary(const std::string& folder, const std::string& name, std::string& temp_path) {
    std::random_device seed;
    std::mt19937_64 generator(seed() ^ static_cast<std::uint64_t>(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto suffix = generator() & 0xFFFFFFFFFFull;
        temp_path = folder + "/." + name + "." + std::to_string(suffix) + ".tmp";
        const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

file_failure read_whole_file(const std::string& path, std::string& bytes) {
    bytes.clear();
    fd_guard file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return failed(file_error::cannot_open, path, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return failed(file_error::cannot_read, path, errno);
    if (S_ISDIR(info.st_mode))
        return failed(file_error::cannot_read, path, EISDIR);
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    // Read to the end rather than trusting the size: the file may grow, or be a pipe.
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            bytes.clear();
            return failed(file_error::cannot_read, path, error);
        }
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return {};
}

file_failure replace_whole_file(const std::string& path, const std::string& bytes) {
    if (path.empty())
        return failed(file_error::cannot_write, path, ENOENT);
    const std::string target = resolve_target(path);

    // Mode of the file being replaced; a folder cannot be replaced by a file.
    bool replacing = false;
    mode_t old_mode = 0;
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return failed(file_error::cannot_write, path, EISDIR);
        replacing = S_ISREG(info.st_mode);
        old_mode = info.st_mode & 07777;
    }

    const std::string folder = folder_of(target);
    std::string temp_path;
    fd_guard file(create_temporary(folder, name_of(target), temp_path));
    if (file.get() < 0)
        return failed(file_error::cannot_write, path, errno);

    auto fail = [&](int error) {
        ::unlink(temp_path.c_str());
        return failed(file_error::cannot_write, path, error);
    };

    if (replacing && ::fchmod(file.get(), old_mode) != 0)
        return fail(errno);
    if (const int error = write_all(file.get(), bytes.data(), bytes.size()); error != 0)
        return fail(error);
    if (::fsync(file.get()) != 0)
        return fail(errno);
    if (const int error = file.close_now(); error != 0)
        return fail(error);
    if (::rename(temp_path.c_str(), target.c_str()) != 0)
        return fail(errno);

    // Make the rename itself durable; a failure here no longer affects the content.
    const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd >= 0) {
        ::fsync(folder_fd);
        ::close(folder_fd);
    }
    return {};
}

file_failure can_replace_whole_file(const std::string& path) {
    if (path.empty())
        return failed(file_error::cannot_write, path, ENOENT);
    const std::string target = resolve_target(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return failed(file_error::cannot_write, path, EISDIR);
    std::string temp_path;
    const int fd = create_temporary(folder_of(target), name_of(target), temp_path);
    if (fd < 0)
        return failed(file_error::cannot_write, path, errno);
    ::close(fd);
    ::unlink(temp_path.c_str());
    return {};
}

} // namespace core
