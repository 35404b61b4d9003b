#pragma once

#include <cstdint>

#include "platform/preference_store.h"
#include "platform/ui/services.h"
#include "store/quick_picks.h"

namespace voltaro {

// How the screens that add a quick pick (a brand, a watt rating, a capacity) end: both slide back
// to the setup screen, which selects what was just added.

// Puts `value` first among the quick picks of `kind`, marks that kind as just added, and leaves.
void finishAddingQuickPick(ui::Navigator& navigator, PreferenceStore& preferences,
                           QuickPickKind kind, int64_t value);
// Leaves with nothing added.
void leaveWithoutAdding(ui::Navigator& navigator);

}  // namespace voltaro
