#include "platform/plist/file_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <unordered_map>

#include "platform/log.h"
#include "platform/plist/system_calls.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

struct Hold {
    int fd = -1;
    int depth = 0;
    FileContent content = FileContent::Unknown;
};

// flock belongs to an open file description, so a second open in the same thread would wait for
// the first: nested locks are counted here instead.
thread_local std::unordered_map<std::string, Hold> t_holds;

void logLine(const std::string& line) {
    log::debug(log::Category::Store, line);
}

std::string errorText(int error) {
    return std::strerror(error);
}

bool writeAll(int fd, std::string_view bytes) {
    const auto& calls = sys::systemCalls();
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = calls.write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes a rename durable; failure only weakens durability, never the content.
void syncDirectory(const fs::path& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    sys::systemCalls().fsync(fd);
    ::close(fd);
}

}  // namespace

FileLock::FileLock(const fs::path& lockFile) : key_(lockFile.string()) {
    if (auto it = t_holds.find(key_); it != t_holds.end()) {
        ++it->second.depth;
        held_ = true;
        return;
    }
    const auto& calls = sys::systemCalls();
    const int fd = calls.open(key_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        logLine("cannot open lock file " + key_ + ": " + errorText(errno));
        return;
    }
    int rc = 0;
    do {
        rc = calls.flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        logLine("cannot lock " + key_ + ": " + errorText(errno));
        calls.close(fd);
        return;
    }
    t_holds.emplace(key_, Hold{fd, 1, FileContent::Unknown});
    held_ = true;
}

FileLock::~FileLock() {
    if (!held_) return;
    auto it = t_holds.find(key_);
    if (it == t_holds.end() || --it->second.depth > 0) return;
    sys::systemCalls().close(it->second.fd);  // closing the last descriptor releases the lock
    t_holds.erase(it);
}

FileContent FileLock::content() const {
    if (!held_) return FileContent::Unknown;
    auto it = t_holds.find(key_);
    return it == t_holds.end() ? FileContent::Unknown : it->second.content;
}

void FileLock::setContent(FileContent content) {
    if (!held_) return;
    if (auto it = t_holds.find(key_); it != t_holds.end()) it->second.content = content;
}

void FileLock::noteContentIfHeld(const fs::path& lockFile, FileContent content) {
    if (auto it = t_holds.find(lockFile.string()); it != t_holds.end())
        it->second.content = content;
}

ReadStatus readWholeFile(const fs::path& file, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Failed;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            bytes.clear();
            return ReadStatus::Failed;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Ok;
}

fs::path temporaryPathFor(const fs::path& target) {
    // Appended piecewise: "." + string trips a false -Wrestrict in GCC 12 at -O2.
    std::string name = ".";
    name += target.filename().string();
    name += ".tmp";
    return target.parent_path() / name;
}

bool replaceFileAtomically(const fs::path& target, std::string_view bytes) {
    const auto& calls = sys::systemCalls();
    const fs::path temporary = temporaryPathFor(target);
    const int fd = calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        logLine("cannot create " + temporary.string() + ": " + errorText(errno));
        return false;
    }
    bool ok = writeAll(fd, bytes) && calls.fsync(fd) == 0;
    int error = errno;
    if (calls.close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && calls.rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        logLine("cannot write " + target.string() + ": " + errorText(error));
        calls.unlink(temporary.c_str());
        return false;
    }
    syncDirectory(target.parent_path());
    return true;
}

std::string unreadableName(const fs::path& file) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return file.filename().string() + ".unreadable-" + stamp;
}

bool moveAside(const fs::path& file) { return movedAside(file).has_value(); }

std::optional<fs::path> movedAside(const fs::path& file) {
    const std::string base = unreadableName(file);
    fs::path destination = file.parent_path() / base;
    std::error_code ec;
    for (int n = 2; fs::exists(destination, ec) && n < 1000; ++n) {
        destination = file.parent_path() / (base + "-" + std::to_string(n));
    }
    if (sys::systemCalls().rename(file.c_str(), destination.c_str()) != 0) {
        logLine("cannot move unreadable " + file.string() + " aside: " + errorText(errno));
        return std::nullopt;
    }
    logLine(file.filename().string() + " could not be read; kept as " +
            destination.filename().string());
    return destination;
}

}  // namespace voltaro
