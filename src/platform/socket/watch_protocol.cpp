#include "platform/socket/watch_protocol.h"

#include <unistd.h>

#include <cstdlib>

namespace voltaro {
std::string defaultWatchSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        std::string path(runtime);
        if (path.back() != '/') path += '/';
        return path + "voltaro/watch.sock";
    }
    return "/tmp/voltaro-" + std::to_string(getuid()) + "/watch.sock";
}

void LineSplitter::feed(std::string_view bytes, const std::function<void(std::string_view)>& onLine,
                        const std::function<void()>& onOversized) {
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        if (discarding_) {
            if (newline == std::string_view::npos) return;
            discarding_ = false;
            bytes.remove_prefix(newline + 1);
            continue;
        }
        if (newline == std::string_view::npos) {
            if (pending_.size() + bytes.size() > maxLineBytes_ + 1) {  // +1: a "\r" may follow
                pending_.clear();
                discarding_ = true;
                onOversized();
                return;
            }
            pending_.append(bytes);
            return;
        }
        pending_.append(bytes.substr(0, newline));
        bytes.remove_prefix(newline + 1);
        std::string line;
        line.swap(pending_);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > maxLineBytes_) {
            onOversized();
        } else if (!line.empty()) {
            onLine(line);
        }
    }
}

std::optional<nlohmann::json> parseWatchLine(std::string_view line) {
    bool tooDeep = false;
    // The callback sees every value with its depth; lines are short, so the value is built and
    // then refused rather than aborted.
    const auto depthCheck = [&tooDeep](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
        // The line's own object is at depth 0: levels in all are one more.
        if (depth + 1 > kWatchMaxLineDepth) tooDeep = true;
        return true;
    };
    nlohmann::json value = nlohmann::json::parse(line.begin(), line.end(), depthCheck, false);
    if (tooDeep || value.is_discarded() || !value.is_object()) return std::nullopt;
    return std::optional<nlohmann::json>(std::in_place, std::move(value));
}

std::string watchLine(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

}  // namespace voltaro
