#pragma once

#include <exception>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/preference_store.h"

namespace voltaro {

namespace codable_detail {
// Writes "error is catched" to the debug log: a value could not be encoded or decoded.
void logCodingError();
}  // namespace codable_detail

// Stores `values` under `key` as an array of data items, each the UTF-8 JSON text of one value
// (nlohmann::json's to_json for T), replacing what was there. A value that cannot be encoded is
// left out with the log line. False when the store could not be written.
template <class T>
bool setCodableArray(PreferenceStore& store, const std::vector<T>& values, std::string_view key) {
    std::vector<std::string> items;
    items.reserve(values.size());
    for (const T& value : values) {
        try {
            items.push_back(nlohmann::json(value).dump());
        } catch (const std::exception&) {
            codable_detail::logCodingError();
        }
    }
    return store.setDataArray(key, items);
}

// The values stored under `key` by setCodableArray, in stored order. No value, or one that is
// not an array made only of data items, gives an empty list; an item that does not decode
// (from_json for T throws) is left out with the log line "error is catched".
template <class T>
std::vector<T> codableArray(const PreferenceStore& store, std::string_view key) {
    std::vector<T> values;
    const auto items = store.dataArrayForKey(key);
    if (!items) return values;
    values.reserve(items->size());
    for (const std::string& item : *items) {
        try {
            values.push_back(nlohmann::json::parse(item).get<T>());
        } catch (const std::exception&) {
            codable_detail::logCodingError();
        }
    }
    return values;
}

}  // namespace voltaro
