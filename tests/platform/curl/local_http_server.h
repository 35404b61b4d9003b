#pragma once

// An HTTP server on 127.0.0.1 and a free port, run on its own thread for the length of a test.

#include <httplib.h>

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace voltaro::testing {

class LocalHttpServer {
public:
    LocalHttpServer() = default;
    ~LocalHttpServer() { stop(); }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // Register handlers here before start().
    httplib::Server& routes() { return server_; }

    void start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) throw std::runtime_error("no free port on 127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // The socket already listens; stop() only works once the accept loop runs.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
    }

    void stop() {
        if (!thread_.joinable()) return;
        server_.stop();
        thread_.join();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// What the server saw of each request, for the test thread to read once the reply is in.
struct SeenRequest {
    std::string method;
    std::string target;
    std::string body;
    httplib::Headers headers;
};

class RequestLog {
public:
    void add(const httplib::Request& request) {
        std::lock_guard lock(mutex_);
        seen_.push_back({request.method, request.target, request.body, request.headers});
    }
    std::vector<SeenRequest> all() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<SeenRequest> seen_;
};

}  // namespace voltaro::testing
