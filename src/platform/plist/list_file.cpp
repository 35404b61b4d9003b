#include "platform/plist/list_file.h"

#include <string>

#include "platform/log.h"
#include "platform/paths.h"
#include "platform/plist/file_guard.h"

namespace voltaro {
namespace {

namespace fs = std::filesystem;

bool isPlainName(std::string_view key) {
    return !key.empty() && key != "." && key != ".." && key.find('/') == std::string_view::npos &&
           key.find('\0') == std::string_view::npos;
}

fs::path lockPathFor(const fs::path& file) {
    return file.string() + ".lock";
}

template <class Dictionary>
struct ReadResult {
    FileContent content = FileContent::Missing;
    std::vector<Dictionary> items;
};

template <class Dictionary>
ReadResult<Dictionary> readListFile(const fs::path& file, std::string_view key) {
    std::string bytes;
    switch (readWholeFile(file, bytes)) {
        case ReadStatus::Missing:
            return {FileContent::Missing, {}};
        case ReadStatus::Failed:
            return {FileContent::Unreadable, {}};
        case ReadStatus::Ok:
            break;
    }
    auto items = list_codec::readList<Dictionary>(bytes, key);
    if (!items) return {FileContent::Unreadable, {}};
    return {FileContent::Readable, std::move(*items)};
}

template <class Dictionary>
bool save(const std::vector<Dictionary>& items, std::string_view key) {
    const fs::path file = listFilePath(key);
    if (file.empty() || !Paths::ensureDirectory(file.parent_path())) {
        log::debug(log::Category::Store, "no data directory for " + std::string(key));
        return false;
    }
    FileLock lock(lockPathFor(file));
    if (!lock.held()) return false;

    // Known from a read under this same lock, or looked at now.
    FileContent content = lock.content();
    if (content == FileContent::Unknown) content = readListFile<Dictionary>(file, key).content;
    if (content == FileContent::Unreadable) {
        if (!moveAside(file)) return false;
        lock.setContent(FileContent::Missing);
    }
    if (!replaceFileAtomically(file, list_codec::writeList(key, items))) return false;
    lock.setContent(FileContent::Readable);
    return true;
}

}  // namespace

fs::path listFilePath(std::string_view key) {
    if (!isPlainName(key)) return {};
    const fs::path directory = Paths::dataDirectory();
    if (directory.empty()) return {};
    return directory / std::string(key);
}

bool saveList(const std::vector<NumberDictionary>& items, std::string_view key) {
    return save(items, key);
}

bool saveList(const std::vector<TextDictionary>& items, std::string_view key) {
    return save(items, key);
}

template <class Dictionary>
std::vector<Dictionary> loadList(std::string_view key) {
    const fs::path file = listFilePath(key);
    if (file.empty()) return {};
    auto result = readListFile<Dictionary>(file, key);
    FileLock::noteContentIfHeld(lockPathFor(file), result.content);
    return std::move(result.items);
}

template std::vector<NumberDictionary> loadList(std::string_view);
template std::vector<TextDictionary> loadList(std::string_view);

template <class Dictionary>
std::optional<UnreadableList> setAsideIfUnreadable(std::string_view key) {
    const fs::path file = listFilePath(key);
    // A look first, so that reading a sound list leaves no lock file behind (it may be read-only).
    if (file.empty() || readListFile<Dictionary>(file, key).content != FileContent::Unreadable) {
        return std::nullopt;
    }
    FileLock lock(lockPathFor(file));
    if (readListFile<Dictionary>(file, key).content != FileContent::Unreadable) return std::nullopt;
    UnreadableList found{file, lock.held() ? movedAside(file) : std::nullopt};
    if (found.keptAs) lock.setContent(FileContent::Missing);
    return found;
}

template std::optional<UnreadableList> setAsideIfUnreadable<NumberDictionary>(std::string_view);
template std::optional<UnreadableList> setAsideIfUnreadable<TextDictionary>(std::string_view);

ListLock::ListLock(std::string_view key) {
    const fs::path file = listFilePath(key);
    if (file.empty() || !Paths::ensureDirectory(file.parent_path())) return;
    lock_ = std::make_unique<FileLock>(lockPathFor(file));
}

ListLock::~ListLock() = default;

bool ListLock::held() const {
    return lock_ && lock_->held();
}

}  // namespace voltaro
