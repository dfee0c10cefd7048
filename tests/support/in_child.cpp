#include "in_child.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

ChildResult run_in_child(const std::function<std::string()>& fn)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    std::fflush(nullptr);  // buffered output must not be written twice
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(fds[0]);
        std::string bytes = fn();
        // A leading marker tells a returning function from one that exited.
        bytes.insert(0, 1, '+');
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(fds[1], bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                _exit(125);
            done += static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    ChildResult result;
    char block[4096];
    ssize_t n;
    while ((n = read(fds[0], block, sizeof block)) != 0) {
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        result.bytes.append(block, static_cast<size_t>(n));
    }
    close(fds[0]);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus))
        result.status = 128 + WTERMSIG(wstatus);
    result.returned = result.status == 0 && !result.bytes.empty() && result.bytes[0] == '+';
    if (result.returned)
        result.bytes.erase(0, 1);
    return result;
}
