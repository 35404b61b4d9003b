#include "store/charger_state.h"

namespace voltaro {

ChargerSelection& chargerSelection() {
    static ChargerSelection selection;
    return selection;
}

TestRecord& editingRecord() {
    static TestRecord record;
    return record;
}

void resetEditingRecord() {
    namespace key = record_key;
    editingRecord() = TestRecord{{key::kStartTime, 0.0}, {key::kBrandId, 0.0},  {key::kWatts, 0.0},
                                 {key::kType, 0.0},      {key::kCapacity, 0.0}, {key::kPort, 0.0}};
}

AddedKind& lastAddedKind() {
    static AddedKind kind = AddedKind::Nothing;
    return kind;
}

}  // namespace voltaro
