#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voltaro {

// A persistent key-value store for the user's preferences: integers, texts and arrays of data
// items (byte strings). Every read sees the stored state as it is now, changes by other processes
// included; every write is stored before it returns.
class PreferenceStore {
public:
    virtual ~PreferenceStore() = default;

    // An absent key, or one that holds something other than an integer, reads as 0.
    virtual int64_t integerForKey(std::string_view key) const = 0;
    virtual bool setInteger(std::string_view key, int64_t value) = 0;

    // nullopt when the key is absent or holds something other than an array of data items.
    virtual std::optional<std::vector<std::string>> dataArrayForKey(std::string_view key) const = 0;
    virtual bool setDataArray(std::string_view key, const std::vector<std::string>& items) = 0;

    // nullopt when the key is absent or holds something other than a text.
    virtual std::optional<std::string> stringForKey(std::string_view key) const = 0;
    virtual bool setString(std::string_view key, std::string_view value) = 0;

    virtual bool removeObject(std::string_view key) = 0;

    // A number that the user wrote into the store: an integer, a real or a decimal text. Nothing
    // when the key is absent or holds anything else (a text that is not wholly a number
    // included). This default reads integers and texts.
    virtual std::optional<double> numberForKey(std::string_view key) const;

    // Runs `work` holding the store against other writers (threads and processes), so that a
    // read-modify-write over several keys loses nothing. Calls may nest.
    virtual void exclusively(const std::function<void()>& work) = 0;
};

// The store that the program uses: preferences.plist in the configuration directory (Paths).
PreferenceStore& standardPreferences();

}  // namespace voltaro
