#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "server/rate_limiter.h"
#include "server/standings.h"
#include "server/storage.h"

namespace httplib {
class Server;
}

namespace voltaro::server {

struct ServerSettings {
    // Requests a second per client address on average (0: no limit), and how many at once.
    double rateLimit = 10;
    double rateBurst = 50;
    // How long figures read from the database are used before being read again.
    std::chrono::milliseconds figuresMaxAge{5000};
    // Behind a reverse proxy: the client is the last address of X-Forwarded-For.
    bool trustForwardedFor = false;
    size_t maxBodyBytes = 64 * 1024;
};

// The service's HTTP interface on a cpp-httplib server:
//   GET  /api/brands        the brand list
//   GET  /api/test-result   stores a test, answers the text under its result in four languages
//   POST /api/charger       labels a stored test with its charger
//   GET  /                  the leaderboard page (model=, lang=)
//   GET  /api/leaderboard   the same as JSON (model=)
// Bad parameters get 400, large bodies 413, fast clients 429 and an unreachable database 503,
// each with a JSON {"error": ...}. One line per request goes to the log.
class Routes {
public:
    using LogLine = std::function<void(const std::string&)>;

    // `log` defaults to standard error.
    Routes(Storage& storage, ServerSettings settings, LogLine log = {});

    void install(httplib::Server& server);

private:
    Storage& storage_;
    ServerSettings settings_;
    LogLine log_;
    StandingsCache figures_;
    std::unique_ptr<RateLimiter> limiter_;
};

}  // namespace voltaro::server
