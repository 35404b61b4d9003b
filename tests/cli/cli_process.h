#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace voltaro::cli {

// The real voltaro-cli as a child process, its standard output read through a pipe: for what only
// a process shows (signals, exit statuses, a run that never ends). The child starts with SIGINT
// and SIGTERM unblocked and at their default action, as a shell starts it.
class CliProcess {
public:
    using Clock = std::chrono::steady_clock;

    CliProcess(const std::vector<std::string>& arguments,
               const std::vector<std::pair<std::string, std::string>>& environment) {
        std::vector<std::string> strings{VOLTARO_CLI_PATH};
        strings.insert(strings.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& s : strings) argv.push_back(s.data());
        argv.push_back(nullptr);
        std::vector<std::string> variables;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            bool replaced = false;
            for (const auto& [name, value] : environment) replaced |= entry.rfind(name + "=", 0) == 0;
            if (!replaced) variables.push_back(entry);
        }
        for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
        std::vector<char*> envp;
        for (std::string& s : variables) envp.push_back(s.data());
        envp.push_back(nullptr);

        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        readFd_ = fds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t interrupts;
        sigemptyset(&interrupts);
        sigaddset(&interrupts, SIGINT);
        sigaddset(&interrupts, SIGTERM);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &interrupts);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        if (posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        close(fds[1]);
    }
    ~CliProcess() {
        if (pid_ > 0 && !status_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (readFd_ >= 0) close(readFd_);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    bool started() const { return pid_ > 0; }
    void signal(int number) const { kill(pid_, number); }
    const std::string& output() const { return output_; }

    // Reads until the output holds `text` after `from`, or the child has ended, or `timeout` has
    // passed.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout,
                       std::size_t from = 0) {
        const auto deadline = Clock::now() + timeout;
        while (output_.find(text, from) == std::string::npos) {
            if (Clock::now() >= deadline || !readSome(deadline)) return false;
        }
        return true;
    }

    // The child's wait status once it has ended, if it does within `timeout`.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        while (!status_ && Clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = status;
                break;
            }
            readSome(std::min(deadline, Clock::now() + std::chrono::milliseconds(50)));
        }
        while (status_ && readSome(Clock::now())) {
        }
        return status_;
    }

private:
    // False once the pipe is closed.
    bool readSome(Clock::time_point until) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd entry{readFd_, POLLIN, 0};
        if (poll(&entry, 1, static_cast<int>(std::max<long long>(wait, 0))) <= 0) return !status_;
        char buffer[4096];
        const ssize_t got = read(readFd_, buffer, sizeof buffer);
        if (got <= 0) return false;
        output_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    pid_t pid_ = -1;
    int readFd_ = -1;
    std::string output_;
    std::optional<int> status_;
};

}  // namespace voltaro::cli
