#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace voltaro::server {

// A token bucket per client address: `perSecond` requests a second on average, up to `burst` at
// once. Addresses idle long enough to have a full bucket again are forgotten, so the table stays
// as small as the set of recent clients.
class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    RateLimiter(double perSecond, double burst);

    // Takes one token for `address`; false when there is none (the request is refused).
    bool allow(const std::string& address, Clock::time_point now);

    size_t trackedAddresses() const;

private:
    struct Bucket {
        double tokens;
        Clock::time_point updated;
    };
    void forgetIdle(Clock::time_point now);

    double perSecond_;
    double burst_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    Clock::time_point lastSweep_{};
};

// The key a client is limited by: the address itself, or for IPv6 its /64 network (one
// subscriber's devices and privacy addresses share it).
std::string rateLimitKey(const std::string& address);

}  // namespace voltaro::server
