#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/preference_store.h"

namespace voltaro {

// The setup screen's quick picks: three brands, three watt ratings and three capacities, each
// most recent first under "<kind>1" to "<kind>3" in the preferences. 0 (or absent) is an empty
// slot.
enum class QuickPickKind { Brand, Watt, Capacity };

std::array<std::string, 3> quickPickKeys(QuickPickKind kind);  // "brand1", "brand2", "brand3"
std::array<int64_t, 3> quickPicks(const PreferenceStore& preferences, QuickPickKind kind);

// Puts `value` first: an equal slot is taken out (the first one), otherwise the last slot drops.
void updateQuickPicks(PreferenceStore& preferences, QuickPickKind kind, int64_t value);

// Seeds each kind whose first slot reads 0: watts 5, 12, 18; capacities 5000, 10000, 20000;
// brands the numbers of the first three catalogue entries (by "name", which catalogue entries do
// not have, so in catalogue order). A brand number that is not a whole decimal integer, or a slot
// without a catalogue entry, is left empty.
void seedQuickPicks(PreferenceStore& preferences);

}  // namespace voltaro
