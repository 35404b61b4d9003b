#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/plist/list_codec.h"

namespace voltaro {

class FileLock;

// List files: one array kept under a key in an XML property list of the same name (no extension)
// in the data directory (Paths). Writes replace the whole file atomically.
//
// A file that cannot be read as such a list loads as empty, and is never overwritten: the first
// save over it first renames it to "<key>.unreadable-YYYYMMDD-HHMMSS" beside it.

// Writes `items` under `key`. False when the file could not be written; it is unchanged then.
bool saveList(const std::vector<NumberDictionary>& items, std::string_view key);
bool saveList(const std::vector<TextDictionary>& items, std::string_view key);

// The items under `key`; empty when the file is missing or unreadable.
template <class Dictionary>
std::vector<Dictionary> loadList(std::string_view key);

extern template std::vector<NumberDictionary> loadList(std::string_view);
extern template std::vector<TextDictionary> loadList(std::string_view);

// What setAsideIfUnreadable found.
struct UnreadableList {
    std::filesystem::path file;                   // where the list is kept
    std::optional<std::filesystem::path> keptAs;  // where it was moved; nothing if it could not be
};

// Moves an unreadable list file aside at once, as the first save over it would, so that a reader
// can say so rather than show an empty list. Nothing when the file is missing or readable.
template <class Dictionary>
std::optional<UnreadableList> setAsideIfUnreadable(std::string_view key);

extern template std::optional<UnreadableList> setAsideIfUnreadable<NumberDictionary>(std::string_view);
extern template std::optional<UnreadableList> setAsideIfUnreadable<TextDictionary>(std::string_view);

// The file that holds the list `key`; empty when the key is not a plain file name or there is no
// data directory.
std::filesystem::path listFilePath(std::string_view key);

// Holds the list's lock ("<key>.lock" beside the file) for one read-modify-write, so that writers
// in other threads and processes wait and no change is lost. saveList and loadList inside the
// scope share the hold.
class ListLock {
public:
    explicit ListLock(std::string_view key);
    ~ListLock();
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

    bool held() const;

private:
    std::unique_ptr<FileLock> lock_;
};

}  // namespace voltaro
