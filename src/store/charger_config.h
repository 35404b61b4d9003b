#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <vector>

#include "platform/clock.h"
#include "platform/preference_store.h"
#include "store/charger_state.h"

namespace voltaro {

// A saved charger description. All five codes 0 is the blank description: the unknown charger.
struct config {
    double startTime = 0;  // absolute time at which the description was first stored
    int64_t brand = 0;
    int64_t watt = 0;
    int64_t type = 0;
    int64_t port = 0;
    int64_t capacity = 0;

    bool isBlank() const;
    bool describes(const ChargerSelection& charger) const;
    bool operator==(const config&) const = default;
};

// JSON form: an object with "startTime" (a number) and the integers "brand", "watt", "type",
// "port" and "capacity". Decoding requires all six; an integer field given as a fraction (12.5),
// out of range, or of another kind fails. Encoding fails for a start time that JSON cannot hold.
void to_json(nlohmann::json& json, const config& value);
void from_json(const nlohmann::json& json, config& value);

// The saved descriptions live in the preferences under "config", one JSON data item each, in
// the order stored; the list is shown newest first.
inline constexpr const char* kConfigKey = "config";

std::vector<config> loadConfigList(const PreferenceStore& preferences);
bool saveConfigList(PreferenceStore& preferences, const std::vector<config>& list);

// Stores a chosen charger: an equal description moves to the end keeping its start time,
// otherwise a new one is added there, and one blank description follows it as the last entry.
bool addConfig(PreferenceStore& preferences, const Clock& clock, const ChargerSelection& chosen);

// Leaves exactly one blank description, last, keeping the start time of the last blank one
// (or now when there was none), stores the list and returns it as read back.
std::vector<config> prepareConfigList(PreferenceStore& preferences, const Clock& clock);

}  // namespace voltaro
