#pragma once

// Runs programs for the server tests: voltaro-server itself (listening on 127.0.0.1 at a port it
// picks), its one-shot commands, and a TCP relay that a test can cut to take a database away.

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace voltaro::testing {

// A child process whose standard error is collected; its standard output goes to `outputFile`
// (nothing when empty).
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& arguments,
                          const std::string& outputFile = "/dev/null") {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        if (failed != 0) {
            close(pipeEnds[0]);
            throw std::runtime_error("cannot start " + arguments[0]);
        }
        reader_ = std::thread([this, fd = pipeEnds[0]] {
            char buffer[4096];
            ssize_t got = 0;
            while ((got = read(fd, buffer, sizeof buffer)) > 0) {
                std::lock_guard lock(mutex_);
                err_.append(buffer, static_cast<size_t>(got));
            }
            close(fd);
        });
    }
    ~ChildProcess() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            wait();
        }
        if (reader_.joinable()) reader_.join();
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    std::string err() const {
        std::lock_guard lock(mutex_);
        return err_;
    }

    bool running() {
        if (exited_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            status_ = status;
        }
        return !exited_;
    }

    // The exit status, or -1 for a process ended by a signal.
    int wait() {
        if (!exited_) {
            int status = 0;
            while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            exited_ = true;
            status_ = status;
        }
        if (reader_.joinable()) reader_.join();
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

    // The exit status once the process ends, or -1 after killing it when `limit` passes first.
    int waitFor(std::chrono::seconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (running()) {
            stop(SIGKILL);
            return -1;
        }
        return wait();
    }

    int stop(int signal = SIGTERM) {
        if (!exited_) kill(pid_, signal);
        return wait();
    }

    // Waits until standard error holds `text`; false after `limit`.
    bool waitForText(const std::string& text,
                     std::chrono::seconds limit = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (err().find(text) != std::string::npos) return true;
            if (!running()) return err().find(text) != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    pid_t pid_ = 0;
    bool exited_ = false;
    int status_ = 0;
    mutable std::mutex mutex_;
    std::string err_;
    std::thread reader_;
};

// voltaro-server listening on 127.0.0.1 at a free port.
class ServerProcess {
public:
    ServerProcess(const std::string& database, std::vector<std::string> options = {}) {
        std::vector<std::string> arguments{VOLTARO_SERVER_EXECUTABLE,
                                           "--listen",
                                           "127.0.0.1:0",
                                           "--database",
                                           database,
                                           "--rate-limit",
                                           "0",
                                           "--figures-seconds",
                                           "0"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        process_ = std::make_unique<ChildProcess>(arguments);
        const std::string marker = "listening on http://127.0.0.1:";
        if (!process_->waitForText(marker)) {
            throw std::runtime_error("voltaro-server did not start:\n" + process_->err());
        }
        const std::string err = process_->err();
        port_ = std::stoi(err.substr(err.find(marker) + marker.size()));
    }

    std::string url(const std::string& path = "") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int port() const { return port_; }
    ChildProcess& process() { return *process_; }

private:
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
};

// Runs a voltaro-server command to its end; its exit status.
inline int runServerCommand(const std::vector<std::string>& arguments, std::string* err = nullptr) {
    std::vector<std::string> command{VOLTARO_SERVER_EXECUTABLE};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess process(command);
    const int status = process.wait();
    if (err != nullptr) *err = process.err();
    return status;
}

// Forwards TCP connections from a port on 127.0.0.1 to another; close() cuts every connection and
// refuses new ones until open() again on the same port.
class TcpRelay {
public:
    explicit TcpRelay(int targetPort) : targetPort_(targetPort) { open(); }
    ~TcpRelay() { close(); }
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    int port() const { return port_; }

    void open() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address = loopback(port_);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 16) != 0) {
            throw std::runtime_error("the relay cannot listen");
        }
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        running_ = true;
        thread_ = std::thread([this] { relay(); });
    }

    void close() {
        if (!running_) return;
        running_ = false;
        thread_.join();
    }

private:
    static sockaddr_in loopback(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    // One thread moves bytes both ways for every connection, polling so that close() is seen.
    void relay() {
        std::vector<std::pair<int, int>> pairs;  // client, database
        while (running_) {
            std::vector<pollfd> waiting{{listener_, POLLIN, 0}};
            for (const auto& [client, database] : pairs) {
                waiting.push_back({client, POLLIN, 0});
                waiting.push_back({database, POLLIN, 0});
            }
            if (poll(waiting.data(), waiting.size(), 20) <= 0) continue;
            std::vector<std::pair<int, int>> kept;
            for (size_t i = 0; i < pairs.size(); ++i) {
                const auto [client, database] = pairs[i];
                const bool open = pass(waiting[1 + 2 * i], client, database) &&
                                  pass(waiting[2 + 2 * i], database, client);
                if (open) {
                    kept.push_back(pairs[i]);
                } else {
                    ::close(client);
                    ::close(database);
                }
            }
            if (waiting[0].revents & POLLIN) {
                const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                const int database = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                sockaddr_in target = loopback(targetPort_);
                if (client >= 0 &&
                    connect(database, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
                    kept.emplace_back(client, database);
                } else {
                    if (client >= 0) ::close(client);
                    ::close(database);
                }
            }
            pairs.swap(kept);
        }
        for (const auto& [client, database] : pairs) {
            ::close(client);
            ::close(database);
        }
        ::close(listener_);
    }

    static bool pass(const pollfd& ready, int from, int to) {
        if (ready.revents == 0) return true;
        char buffer[16384];
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got <= 0) return false;
        for (ssize_t sent = 0; sent < got;) {
            const ssize_t wrote = write(to, buffer + sent, static_cast<size_t>(got - sent));
            if (wrote <= 0) return false;
            sent += wrote;
        }
        return true;
    }

    int targetPort_;
    int port_ = 0;
    int listener_ = -1;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace voltaro::testing
