#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/plist/plist_preference_store.h"
#include "platform/sim/virtual_time.h"
#include "platform/strings.h"
#include "screens/test_records_vc.h"
#include "store/brand_catalogue.h"
#include "store/charger_state.h"
#include "store/records.h"
#include "support/recording_services.h"
#include "support/temp_dir.h"

namespace voltaro::testing {

// The charger screens over real stores: history and catalogue files in a fresh data directory,
// preferences in a fresh configuration directory, and the process-wide values they share reset
// before and after each test.
class ChargerScreensTest : public ::testing::Test {
protected:
    // 2023-11-14 22:13:20 UTC as an absolute time.
    static constexpr double kNow = 721692800.0;

    ChargerScreensTest() {
        Paths::setDataDirectory(dataDir.path());
        setLanguage("en");
        resetSharedState();
    }
    ~ChargerScreensTest() override {
        resetSharedState();
        Paths::setDataDirectory({});
        setLanguage("");
    }

    static void resetSharedState() {
        historyRecords().clear();
        editingRecord().clear();
        lastAddedKind() = AddedKind::Nothing;
        chargerSelection() = ChargerSelection{};
    }

    static BrandRecord brand(const std::string& id, const std::string& englishName) {
        return {{brand_key::kBrandId, id},
                {brand_key::kNameEn, englishName},
                {brand_key::kNameCn, englishName}};
    }

    // One saved result of the test that started at `startTime`, without charger data.
    static TestRecord result(double startTime, double watt = 10) {
        return {{"date", 1.7e9},
                {"watt", watt},
                {"min", 30},
                {"amp", 54.4},
                {"startlevel", 50},
                {"finishlevel", 55},
                {"userStartlevel", 51},
                {"starttime", startTime},
                {"finishtime", startTime + 150},
                {"averageTime", 30},
                {"type", 0},
                {"brandid", 0},
                {"watts", 0},
                {"port", 0},
                {"capacity", 0}};
    }

    // The title of the last alert shown; empty when there was none.
    std::string lastAlertTitle() const {
        for (auto call = recorder.calls.rbegin(); call != recorder.calls.rend(); ++call) {
            if (call->rfind("alert ", 0) == 0) return call->substr(6, call->find(": ") - 6);
        }
        return {};
    }

    TempDir dataDir;
    TempDir configDir;
    PlistPreferenceStore preferences{configDir.path()};
    VirtualTime clock{kNow};
    RecordingServices recorder;
    ui::Services services = recorder.services();
};

}  // namespace voltaro::testing
