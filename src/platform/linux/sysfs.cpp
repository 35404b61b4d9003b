#include "platform/linux/sysfs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace voltaro {
namespace {

// Attribute files hold one short line; anything longer is not an attribute we understand.
constexpr size_t kMaxAttributeSize = 4096;

std::string_view trim(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kSpace);
    return text.substr(first, last - first + 1);
}

}  // namespace

Sysfs Sysfs::fromEnvironment() {
    const char* root = std::getenv("VOLTARO_SYSFS_ROOT");
    return Sysfs(root != nullptr && root[0] != '\0' ? root : kDefaultRoot);
}

std::optional<std::string> readAttribute(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::string content(kMaxAttributeSize, '\0');
    size_t size = 0;
    bool ok = true;
    while (size < content.size()) {
        const ssize_t n = ::read(fd, content.data() + size, content.size() - size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        size += static_cast<size_t>(n);
    }
    ::close(fd);
    if (!ok || size >= content.size()) return std::nullopt;
    content.resize(size);
    // Device-tree properties are NUL-terminated strings.
    if (const size_t nul = content.find('\0'); nul != std::string::npos) content.resize(nul);
    return std::string(trim(content));
}

std::optional<int64_t> parseInteger(std::string_view text) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

std::optional<int64_t> readIntegerAttribute(const std::filesystem::path& file) {
    const auto text = readAttribute(file);
    return text ? parseInteger(*text) : std::nullopt;
}

}  // namespace voltaro
