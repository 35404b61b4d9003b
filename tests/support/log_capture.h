#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/log.h"

namespace voltaro::testing {

// Collects the diagnostic lines of one category while it lives.
class LogCapture {
public:
    explicit LogCapture(log::Category category) : category_(category) {
        log::setSink(&LogCapture::receive, this);
    }
    ~LogCapture() { log::setSink(nullptr, nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::size_t count(const std::string& text) const {
        std::lock_guard lock(mutex_);
        std::size_t n = 0;
        for (const std::string& line : lines_) n += line.find(text) != std::string::npos ? 1 : 0;
        return n;
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    static void receive(log::Category category, std::string_view line, void* context) {
        auto* self = static_cast<LogCapture*>(context);
        if (category != self->category_) return;
        std::lock_guard lock(self->mutex_);
        self->lines_.emplace_back(line);
    }

    log::Category category_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

}  // namespace voltaro::testing
