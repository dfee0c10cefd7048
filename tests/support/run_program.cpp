#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace {

void make_pipe(int fds[2])
{
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
}

[[noreturn]] void exec_child(const std::string& path, const std::vector<std::string>& args,
                             const std::vector<std::pair<std::string, std::string>>& env,
                             int in, int out, int err)
{
    signal(SIGPIPE, SIG_DFL);
    if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        _exit(127);
    for (const auto& [name, value] : env)
        setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
}

}  // namespace

ProgramResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::string& input,
                          const std::vector<std::pair<std::string, std::string>>& env)
{
    int in[2], out[2], err[2];
    make_pipe(in);
    make_pipe(out);
    make_pipe(err);
    // A child that stops reading its input must not kill us with SIGPIPE.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);

    pid_t pid = fork();
    if (pid == 0)
        exec_child(path, args, env, in[0], out[1], err[1]);
    close(in[0]);
    close(out[1]);
    close(err[1]);

    ProgramResult result;
    size_t written = 0;
    int to_child = in[1];
    if (pid < 0 || input.empty()) {
        close(to_child);
        to_child = -1;
    } else {
        fcntl(to_child, F_SETFL, O_NONBLOCK);
    }
    int from_out = out[0], from_err = err[0];
    while (from_out >= 0 || from_err >= 0) {
        pollfd fds[3] = {{from_out, POLLIN, 0}, {from_err, POLLIN, 0}, {to_child, POLLOUT, 0}};
        if (poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (to_child >= 0 && fds[2].revents != 0) {
            ssize_t n = write(to_child, input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<size_t>(n);
            if ((n < 0 && errno != EAGAIN) || written == input.size()) {
                close(to_child);
                to_child = -1;
            }
        }
        std::string* sinks[2] = {&result.out, &result.err};
        int* sources[2] = {&from_out, &from_err};
        for (int i = 0; i < 2; ++i) {
            if (*sources[i] < 0 || fds[i].revents == 0)
                continue;
            char block[4096];
            ssize_t n = read(*sources[i], block, sizeof block);
            if (n > 0) {
                sinks[i]->append(block, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(*sources[i]);
                *sources[i] = -1;
            }
        }
    }
    if (to_child >= 0)
        close(to_child);

    int wstatus = 0;
    if (pid > 0) {
        while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(wstatus)) {
            result.status = WEXITSTATUS(wstatus);
        } else if (WIFSIGNALED(wstatus)) {
            result.signalled = true;
            result.status = 128 + WTERMSIG(wstatus);
        }
    }
    sigaction(SIGPIPE, &previous, nullptr);
    return result;
}
