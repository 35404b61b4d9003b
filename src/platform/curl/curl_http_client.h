#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/http_client.h"
#include "platform/main_loop.h"

namespace voltaro {

// HttpClient on libcurl: one worker thread drives every transfer through a curl multi handle and
// posts each reply to the main loop. HTTPS checks peers against the system's certificates.
class CurlHttpClient final : public HttpClient {
public:
    struct Settings {
        std::chrono::milliseconds connectTimeout{10'000};
        std::chrono::milliseconds totalTimeout{30'000};
        // A reply body larger than this fails the request.
        std::size_t maxBodyBytes = 4 * 1024 * 1024;
    };

    explicit CurlHttpClient(MainLoop& loop);
    CurlHttpClient(MainLoop& loop, Settings settings);
    // Abandons the transfers still running (their handlers never run) and joins the worker.
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    void send(HttpRequest request, ReplyHandler onReply) override;

    const Settings& settings() const { return settings_; }

private:
    struct Transfer;
    struct Worker;

    MainLoop& loop_;
    Settings settings_;
    std::unique_ptr<Worker> worker_;
};

}  // namespace voltaro
