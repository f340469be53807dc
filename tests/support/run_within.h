// Runs a call that might block forever in a child process, so that a hang fails the test
// instead of stopping the whole run.
#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace testsupport {

// The child's exit status (`fn`'s result), or -1 when it was still running after `limit`
// or died of a signal.
inline int status_within(const std::function<int()>& fn, std::chrono::milliseconds limit) {
    pid_t child = ::fork();
    if (child == 0) ::_exit(fn());
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testsupport
