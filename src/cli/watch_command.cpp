#include <chrono>
#include <condition_variable>
#include <mutex>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "platform/socket/watch_companion.h"

namespace voltaro::cli {
namespace {

std::string field(const nlohmann::json& message, const char* key) {
    const auto it = message.find(key);
    return it != message.end() && it->is_string() ? it->get<std::string>() : "?";
}

// "57%  charging  iPhone 13" for a battery message.
std::string describe(const nlohmann::json& message) {
    if (!message.is_object()) return message.dump();
    const std::string state = field(message, "state");
    return field(message, "level") + "%  " +
           (state == "0" ? "unplugged" : state == "1" ? "charger connected" : state) + "  " +
           field(message, "model");
}

}  // namespace

int runWatch(const WatchOptions& options, Environment& env) {
    // Declared before the companion, so that they outlive its reader thread, which uses them.
    // Every line is written under the mutex: pushes arrive on that thread.
    std::mutex mutex;
    std::condition_variable closed;
    bool disconnected = false;
    WatchCompanion companion(options.socket.value_or(defaultWatchSocketPath()));
    companion.onPush([&](const nlohmann::json& message) {
        std::lock_guard lock(mutex);
        env.out << (options.json ? message.dump() : describe(message)) << std::endl;
    });
    companion.onDisconnect([&] {
        std::lock_guard lock(mutex);
        disconnected = true;
        closed.notify_all();
    });
    std::string error;
    if (!companion.connect(&error)) {
        env.err << "voltaro-cli: cannot reach the application at " << companion.socketPath()
                << ": " << error << "\n(Is voltaro or voltaro-cli measure running?)\n";
        return kExitNoResult;
    }
    if (options.ask) {
        const auto timeout = std::chrono::milliseconds(static_cast<int64_t>(options.timeout * 1000));
        const std::optional<nlohmann::json> reply =
            companion.ask(nlohmann::json::object(), timeout);
        std::lock_guard lock(mutex);
        if (!reply) {
            env.err << "voltaro-cli: no reply within " << options.timeout << " s\n";
            return kExitNoResult;
        }
        env.out << (options.json ? reply->dump() : describe(*reply)) << std::endl;
        return kExitResult;
    }
    std::unique_lock lock(mutex);
    if (!options.json) env.out << "Connected; waiting for battery messages (Ctrl-C ends).\n";
    closed.wait(lock, [&] { return disconnected; });
    env.out << "The application closed the link.\n";
    return kExitResult;
}

}  // namespace voltaro::cli
