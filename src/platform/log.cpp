#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace voltaro::log {
namespace {

bool enabledFromEnvironment() {
    const char* value = std::getenv("VOLTARO_DEBUG");
    return value != nullptr && std::strcmp(value, "0") != 0 && value[0] != '\0';
}

std::atomic<bool> g_enabled{enabledFromEnvironment()};
std::mutex g_sinkMutex;
Sink g_sink = nullptr;
void* g_sinkContext = nullptr;

const char* categoryName(Category category) {
    switch (category) {
        case Category::Platform: return "platform";
        case Category::Device: return "device";
        case Category::Engine: return "engine";
        case Category::Store: return "store";
        case Category::Service: return "service";
        case Category::Watch: return "watch";
        case Category::Screens: return "screens";
        case Category::App: return "app";
        case Category::Cli: return "cli";
    }
    return "?";
}

}  // namespace

bool enabled() { return g_enabled.load(std::memory_order_relaxed); }

void setEnabled(bool on) { g_enabled.store(on, std::memory_order_relaxed); }

void setSink(Sink sink, void* context) {
    std::lock_guard lock(g_sinkMutex);
    g_sink = sink;
    g_sinkContext = context;
}

void debug(Category category, std::string_view line) {
    {
        std::lock_guard lock(g_sinkMutex);
        if (g_sink != nullptr) {
            g_sink(category, line, g_sinkContext);
            return;
        }
    }
    if (!enabled()) return;
    std::fprintf(stderr, "voltaro.%s: %.*s\n", categoryName(category), static_cast<int>(line.size()),
                 line.data());
}

}  // namespace voltaro::log
