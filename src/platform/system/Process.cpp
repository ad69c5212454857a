#include "platform/system/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

extern char** environ;

namespace led {
namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    ~Pipe() {
        for (int f : fd)
            if (f >= 0) close(f);
    }
};

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, int timeoutMs, size_t maxOutput) {
    ProcessResult result;
    if (argv.empty()) return result;
    Pipe out, nul;
    if (pipe2(out.fd, O_CLOEXEC) != 0) return result;
    nul.fd[0] = open("/dev/null", O_RDONLY | O_CLOEXEC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], STDOUT_FILENO);
    if (nul.fd[0] >= 0) {
        posix_spawn_file_actions_adddup2(&actions, nul.fd[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, nul.fd[0], STDERR_FILENO);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    result.started = true;
    close(out.fd[1]);
    out.fd[1] = -1;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd p{out.fd[0], POLLIN, 0};
        int ready = poll(&p, 1, int(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;  // time-out: the loop head kills it
        ssize_t got = read(out.fd[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // the program closed its output
        if (result.output.size() < maxOutput)
            result.output.append(buffer,
                                 std::min<size_t>(size_t(got), maxOutput - result.output.size()));
    }
    // A program that closed its output may still run: it gets what is left
    // of the time-out too.
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, result.timedOut ? 0 : WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) break;
        if (done == 0 && std::chrono::steady_clock::now() >= deadline) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            continue;
        }
        if (done == 0) usleep(1000);
    }
    if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace led
