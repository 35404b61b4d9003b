#include "screens/quick_pick_entry.h"

#include "extensions/interface_helpers.h"
#include "store/charger_state.h"

namespace voltaro {

void finishAddingQuickPick(ui::Navigator& navigator, PreferenceStore& preferences,
                           QuickPickKind kind, int64_t value) {
    updateQuickPicks(preferences, kind, value);
    lastAddedKind() = kind == QuickPickKind::Brand  ? AddedKind::Brand
                      : kind == QuickPickKind::Watt ? AddedKind::Watt
                                                    : AddedKind::Capacity;
    dismissSlidingLeft(navigator);
}

void leaveWithoutAdding(ui::Navigator& navigator) {
    lastAddedKind() = AddedKind::Nothing;
    dismissSlidingLeft(navigator);
}

}  // namespace voltaro
