#include "process.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace splitwick::testing {

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::function<void(const std::string&, int)>& onStdoutLine) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]), ::close(err[0]), ::close(out[1]), ::close(err[1]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]), ::close(err[1]);
    ProcessResult result;
    std::string pending;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        ::poll(fds, 2, -1);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buffer, size_t(n));
            if (i != 0 || !onStdoutLine) continue;
            pending.append(buffer, size_t(n));
            for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
                onStdoutLine(pending.substr(0, nl), pid);
                pending.erase(0, nl + 1);
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace splitwick::testing
