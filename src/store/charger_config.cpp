#include "store/charger_config.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>

#include "extensions/codable_array.h"

namespace voltaro {
namespace {

int64_t integerField(const nlohmann::json& json, const char* name) {
    const nlohmann::json& value = json.at(name);
    if (value.is_number_unsigned()) {
        const auto number = value.get<uint64_t>();
        if (number <= static_cast<uint64_t>(INT64_MAX)) return static_cast<int64_t>(number);
    } else if (value.is_number_integer()) {
        return value.get<int64_t>();
    } else if (value.is_number_float()) {
        // A whole number written with a fraction part (12.0) is still that integer.
        const auto number = value.get<double>();
        if (std::trunc(number) == number && number >= -9223372036854775808.0 &&
            number < 9223372036854775808.0) {
            return static_cast<int64_t>(number);
        }
    }
    throw std::invalid_argument(std::string("\"") + name + "\" is not an integer");
}

config withCodes(double startTime, const ChargerSelection& charger) {
    return config{startTime,    charger.brand, charger.watt,
                  charger.type, charger.port,  charger.capacity};
}

}  // namespace

bool config::isBlank() const {
    return brand == 0 && watt == 0 && type == 0 && port == 0 && capacity == 0;
}

bool config::describes(const ChargerSelection& charger) const {
    return brand == charger.brand && watt == charger.watt && type == charger.type &&
           port == charger.port && capacity == charger.capacity;
}

void to_json(nlohmann::json& json, const config& value) {
    if (!std::isfinite(value.startTime)) throw std::invalid_argument("start time is not finite");
    json = nlohmann::json{{"startTime", value.startTime}, {"brand", value.brand},
                          {"watt", value.watt},           {"type", value.type},
                          {"port", value.port},           {"capacity", value.capacity}};
}

void from_json(const nlohmann::json& json, config& value) {
    const nlohmann::json& startTime = json.at("startTime");
    if (!startTime.is_number()) throw std::invalid_argument("\"startTime\" is not a number");
    config decoded;
    decoded.startTime = startTime.get<double>();
    decoded.brand = integerField(json, "brand");
    decoded.watt = integerField(json, "watt");
    decoded.type = integerField(json, "type");
    decoded.port = integerField(json, "port");
    decoded.capacity = integerField(json, "capacity");
    value = decoded;
}

std::vector<config> loadConfigList(const PreferenceStore& preferences) {
    return codableArray<config>(preferences, kConfigKey);
}

bool saveConfigList(PreferenceStore& preferences, const std::vector<config>& list) {
    return setCodableArray(preferences, list, kConfigKey);
}

bool addConfig(PreferenceStore& preferences, const Clock& clock, const ChargerSelection& chosen) {
    bool saved = false;
    preferences.exclusively([&] {
        std::optional<config> existing;
        std::vector<config> list;
        for (const config& entry : loadConfigList(preferences)) {
            if (entry.describes(chosen)) {
                existing = entry;  // the last equal one wins
            } else if (!entry.isBlank()) {
                list.push_back(entry);
            }
        }
        const double now = clock.now();
        // A blank choice is the blank entry that closes the list; it is not added twice.
        if (!chosen.isBlank()) list.push_back(existing.value_or(withCodes(now, chosen)));
        list.push_back(withCodes(now, ChargerSelection{}));
        saved = saveConfigList(preferences, list);
    });
    return saved;
}

std::vector<config> prepareConfigList(PreferenceStore& preferences, const Clock& clock) {
    std::vector<config> reloaded;
    preferences.exclusively([&] {
        std::optional<double> blankStartTime;
        std::vector<config> list;
        for (const config& entry : loadConfigList(preferences)) {
            if (entry.isBlank()) {
                blankStartTime = entry.startTime;
            } else {
                list.push_back(entry);
            }
        }
        list.push_back(withCodes(blankStartTime.value_or(clock.now()), ChargerSelection{}));
        saveConfigList(preferences, list);
        reloaded = loadConfigList(preferences);
    });
    return reloaded;
}

}  // namespace voltaro
