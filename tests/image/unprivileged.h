// Runs a check as a user without special rights, so that permission failures can be
// provoked even when the tests run as root (root ignores file modes): as root the check
// runs in a child process that has switched to the "nobody" user.
#pragma once

#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace image_test {

// `check` returns an empty text when it passed, else what went wrong. The result is that
// text, or a description of how the child process failed.
inline std::string run_unprivileged(const std::function<std::string()>& check) {
    if (::geteuid() != 0)
        return check();
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        ::close(pipe_fds[0]);
        std::string failure;
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            failure = "cannot switch to the nobody user";
        else
            failure = check();
        const ssize_t ignored = ::write(pipe_fds[1], failure.data(), failure.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipe_fds[1]);
    std::string failure;
    char chunk[512];
    for (ssize_t got; (got = ::read(pipe_fds[0], chunk, sizeof chunk)) > 0;)
        failure.append(chunk, static_cast<std::size_t>(got));
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child process failed: " + failure;
    return failure;
}

} // namespace image_test
