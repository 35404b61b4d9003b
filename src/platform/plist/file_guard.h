#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace voltaro {

// What the last read under a lock found in the guarded file, so that a save under the same lock
// need not read the file again to know whether it may be replaced.
enum class FileContent { Unknown, Missing, Readable, Unreadable };

// An advisory lock (flock) on a lock file, held for the life of the object. Every read-modify-write
// of a guarded file holds it, so writers in other processes and threads wait for each other and no
// change is lost. Nested locks of the same file in one thread share the outer hold, so a save
// inside a read-modify-write does not wait for itself.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file could not be opened or locked; writes must not go ahead then.
    bool held() const { return held_; }

    FileContent content() const;
    void setContent(FileContent content);

    // Records what a read found when this thread holds the lock of `lockFile`; nothing otherwise.
    static void noteContentIfHeld(const std::filesystem::path& lockFile, FileContent content);

private:
    std::string key_;
    bool held_ = false;
};

enum class ReadStatus { Ok, Missing, Failed };

// Reads a whole file into `bytes`.
ReadStatus readWholeFile(const std::filesystem::path& file, std::string& bytes);

// Replaces `target` with `bytes`: a temporary file beside it is written, flushed to disk and
// renamed over the target, then the directory is flushed. On failure the target is left as it was
// and the temporary file is removed. Callers hold the target's lock, so one temporary name will do.
bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Keeps an unreadable file instead of overwriting it: renames it to
// "<name>.unreadable-YYYYMMDD-HHMMSS" (local time) beside it and logs one line.
bool moveAside(const std::filesystem::path& file);
// The same, telling where the file now is; nothing when it could not be moved.
std::optional<std::filesystem::path> movedAside(const std::filesystem::path& file);

// The file name that moveAside would choose at this moment, without a counter for clashes.
std::string unreadableName(const std::filesystem::path& file);

// The temporary file that replaceFileAtomically writes for `target`.
std::filesystem::path temporaryPathFor(const std::filesystem::path& target);

}  // namespace voltaro
