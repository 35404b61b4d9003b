#pragma once

#include <cstdint>

#include "store/records.h"

namespace voltaro {

// Process-wide values that the charger screens share. They live in memory only, for the life of
// the process, and are used on the main thread.

// A charger description being composed: kind, brand, watts, port and capacity codes, 0 where
// nothing is chosen.
struct ChargerSelection {
    int64_t type = 0;
    int64_t brand = 0;
    int64_t watt = 0;
    int64_t port = 0;
    int64_t capacity = 0;

    bool isBlank() const {
        return type == 0 && brand == 0 && watt == 0 && port == 0 && capacity == 0;
    }
    bool operator==(const ChargerSelection&) const = default;
};

// The setup screen's current selection; it outlives the screen.
ChargerSelection& chargerSelection();

// The history record whose charger is being chosen; empty at first.
TestRecord& editingRecord();
// Resets it to "starttime", "brandid", "watts", "type", "capacity" and "port", all 0.
void resetEditingRecord();

// Which quick pick the user has just added, so that the setup screen selects it on reappearing.
enum class AddedKind : int64_t { Nothing = 0, Watt = 1, Brand = 2, Capacity = 3 };
AddedKind& lastAddedKind();

}  // namespace voltaro
