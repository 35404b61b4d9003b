#pragma once

#include <filesystem>
#include <functional>

#include "platform/preference_store.h"

namespace voltaro {

// Preferences kept as one XML property list, "preferences.plist", whose root dictionary holds the
// keys. The file is read afresh for every access and replaced atomically for every change, under
// the lock file "preferences.lock" beside it. Values of kinds that this program does not use are
// kept as they are. A file that cannot be read reads as empty and is renamed to
// "preferences.plist.unreadable-YYYYMMDD-HHMMSS" before the first change overwrites it.
class PlistPreferenceStore final : public PreferenceStore {
public:
    // The file lives in `directory`; with an empty path, in Paths::configDirectory() as it is at
    // each access.
    explicit PlistPreferenceStore(std::filesystem::path directory = {});

    std::filesystem::path filePath() const;

    int64_t integerForKey(std::string_view key) const override;
    bool setInteger(std::string_view key, int64_t value) override;
    std::optional<std::vector<std::string>> dataArrayForKey(std::string_view key) const override;
    bool setDataArray(std::string_view key, const std::vector<std::string>& items) override;
    std::optional<std::string> stringForKey(std::string_view key) const override;
    bool setString(std::string_view key, std::string_view value) override;
    bool removeObject(std::string_view key) override;
    std::optional<double> numberForKey(std::string_view key) const override;
    void exclusively(const std::function<void()>& work) override;

private:
    std::filesystem::path directory() const;
    // Applies `change` to the stored root dictionary (a plist_t) and writes the result.
    bool modify(const std::function<void(void* root)>& change);
    // Calls `use` with the stored value under `key` (a plist_t), or nullptr.
    void withValue(std::string_view key, const std::function<void(void* value)>& use) const;

    std::filesystem::path directory_;
};

}  // namespace voltaro
