#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace voltaro::testing {

// A program run as a child process the way a shell starts it (SIGINT and SIGTERM unblocked, at
// their default action), with `environment` set over the test's own. Its standard output and error
// go to files of its own; a child still running at the end is killed.
class ChildProcess {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;

    explicit ChildProcess(std::vector<std::string> arguments, const Environment& environment = {}) {
        std::vector<std::string> variables;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            const auto replaces = [&](const auto& set) {
                return variable.rfind(set.first + "=", 0) == 0;
            };
            if (std::none_of(environment.begin(), environment.end(), replaces)) {
                variables.push_back(variable);
            }
        }
        for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const int targets[2] = {STDOUT_FILENO, STDERR_FILENO};
        for (int stream = 0; stream < 2; ++stream) {
            posix_spawn_file_actions_addopen(&actions, targets[stream], file(stream).c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t interrupts = none;
        sigaddset(&interrupts, SIGINT);
        sigaddset(&interrupts, SIGTERM);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &interrupts);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        if (posix_spawn(&pid_, arguments[0].c_str(), &actions, &attributes,
                        pointers(arguments).data(), pointers(variables).data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    ~ChildProcess() {
        if (running()) kill(pid_, SIGKILL);
        wait();
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    std::string out() const { return text(0); }
    std::string err() const { return text(1); }

    bool running() {
        if (pid_ <= 0 || exited_) return false;
        exited_ = waitpid(pid_, &status_, WNOHANG) == pid_;
        return !exited_;
    }
    void signal(int number) {
        if (running()) kill(pid_, number);
    }

    // Whether standard output (error) holds `text` after `from` within 20 s.
    bool waitForOut(const std::string& text, size_t from = 0) { return waitForText(0, text, from); }
    bool waitForErr(const std::string& text) { return waitForText(1, text, 0); }

    // The exit status, or -1 for a child ended by a signal or killed once `limit` has passed.
    int wait(std::chrono::seconds limit = std::chrono::seconds(30)) {
        if (!waitUntil([this] { return !running(); }, limit)) kill(pid_, SIGKILL);
        if (pid_ > 0 && !exited_) {
            while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
            }
            exited_ = true;
        }
        return pid_ > 0 && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    int stop(int number = SIGTERM) {
        signal(number);
        return wait();
    }

private:
    static std::vector<char*> pointers(std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (std::string& s : strings) result.push_back(s.data());
        result.push_back(nullptr);
        return result;
    }

    template <typename Done>
    static bool waitUntil(Done done, std::chrono::seconds limit = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // Once the child has ended, what it wrote is all there is.
    bool waitForText(int stream, const std::string& wanted, size_t from) {
        const auto found = [&] { return text(stream).find(wanted, from) != std::string::npos; };
        waitUntil([&] { return found() || !running(); });
        return found();
    }

    std::filesystem::path file(int stream) const {
        return outputs_.path() / (stream == 0 ? "out" : "err");
    }

    std::string text(int stream) const {
        std::ifstream in(file(stream), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TempDir outputs_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = 0;
};

}  // namespace voltaro::testing
