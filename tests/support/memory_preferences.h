#pragma once

#include <map>
#include <string>

#include "platform/preference_store.h"

namespace voltaro::testing {

// Preferences in memory: the whole numbers are kept, everything else is taken and forgotten.
class MemoryPreferences final : public PreferenceStore {
public:
    int64_t integerForKey(std::string_view key) const override {
        const auto it = integers.find(std::string(key));
        return it == integers.end() ? 0 : it->second;
    }
    bool setInteger(std::string_view key, int64_t value) override {
        integers[std::string(key)] = value;
        return true;
    }
    std::optional<std::vector<std::string>> dataArrayForKey(std::string_view) const override {
        return std::nullopt;
    }
    bool setDataArray(std::string_view, const std::vector<std::string>&) override { return true; }
    std::optional<std::string> stringForKey(std::string_view) const override { return std::nullopt; }
    bool setString(std::string_view, std::string_view) override { return true; }
    bool removeObject(std::string_view key) override { return integers.erase(std::string(key)) > 0; }
    void exclusively(const std::function<void()>& work) override { work(); }

    std::map<std::string, int64_t> integers;
};

}  // namespace voltaro::testing
