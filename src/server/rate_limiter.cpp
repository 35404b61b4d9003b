#include "server/rate_limiter.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace voltaro::server {

RateLimiter::RateLimiter(double perSecond, double burst)
    : perSecond_(perSecond), burst_(std::max(burst, 1.0)) {}

bool RateLimiter::allow(const std::string& address, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    if (now - lastSweep_ > std::chrono::seconds(10)) forgetIdle(now);
    auto [entry, added] = buckets_.try_emplace(address, Bucket{burst_, now});
    Bucket& bucket = entry->second;
    if (!added) {
        const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
        bucket.tokens = std::min(burst_, bucket.tokens + std::max(seconds, 0.0) * perSecond_);
        bucket.updated = now;
    }
    if (bucket.tokens < 1.0) return false;
    bucket.tokens -= 1.0;
    return true;
}

size_t RateLimiter::trackedAddresses() const {
    std::lock_guard lock(mutex_);
    return buckets_.size();
}

void RateLimiter::forgetIdle(Clock::time_point now) {
    lastSweep_ = now;
    const auto refill = std::chrono::duration<double>(burst_ / perSecond_);
    std::erase_if(buckets_, [&](const auto& entry) { return now - entry.second.updated > refill; });
}

std::string rateLimitKey(const std::string& address) {
    in6_addr ip6{};
    if (address.find(':') == std::string::npos || inet_pton(AF_INET6, address.c_str(), &ip6) != 1) {
        return address;
    }
    char text[INET6_ADDRSTRLEN];
    if (IN6_IS_ADDR_V4MAPPED(&ip6)) {
        // An IPv4 client of a dual-stack socket: limited by its own address.
        inet_ntop(AF_INET, ip6.s6_addr + 12, text, sizeof text);
        return text;
    }
    std::memset(ip6.s6_addr + 8, 0, 8);
    inet_ntop(AF_INET6, &ip6, text, sizeof text);
    return std::string(text) + "/64";
}

}  // namespace voltaro::server
