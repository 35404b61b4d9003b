#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

namespace voltaro {
namespace {

namespace fs = std::filesystem;

std::mutex g_mutex;
fs::path g_dataOverride;    // guarded by g_mutex
fs::path g_configOverride;  // guarded by g_mutex

// An environment value that names a directory; relative values are ignored, as XDG asks.
fs::path absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return fs::path(value);
}

fs::path homeDirectory() {
    if (fs::path home = absoluteFromEnvironment("HOME"); !home.empty()) return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr && result->pw_dir[0] == '/') {
        return fs::path(result->pw_dir);
    }
    return {};
}

fs::path resolve(const fs::path& override, const char* ownVariable, const char* xdgVariable,
                 const char* homeFallback) {
    if (!override.empty()) return override;
    if (fs::path own = absoluteFromEnvironment(ownVariable); !own.empty()) return own;
    if (fs::path xdg = absoluteFromEnvironment(xdgVariable); !xdg.empty()) return xdg / "voltaro";
    fs::path home = homeDirectory();
    if (home.empty()) return {};
    return home / homeFallback / "voltaro";
}

}  // namespace

fs::path Paths::dataDirectory() {
    fs::path override;
    {
        std::lock_guard lock(g_mutex);
        override = g_dataOverride;
    }
    return resolve(override, "VOLTARO_DATA_DIR", "XDG_DATA_HOME", ".local/share");
}

bool Paths::dataDirectoryNamed() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_dataOverride.empty()) return true;
    }
    return !absoluteFromEnvironment("VOLTARO_DATA_DIR").empty();
}

fs::path Paths::configDirectory() {
    fs::path override;
    {
        std::lock_guard lock(g_mutex);
        override = g_configOverride;
    }
    return resolve(override, "VOLTARO_CONFIG_DIR", "XDG_CONFIG_HOME", ".config");
}

void Paths::setDataDirectory(fs::path directory) {
    std::lock_guard lock(g_mutex);
    g_dataOverride = std::move(directory);
}

void Paths::setConfigDirectory(fs::path directory) {
    std::lock_guard lock(g_mutex);
    g_configOverride = std::move(directory);
}

bool Paths::ensureDirectory(const fs::path& directory) {
    if (directory.empty()) return false;
    std::error_code ec;
    fs::create_directories(directory, ec);
    return fs::is_directory(directory, ec);
}

}  // namespace voltaro
