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
#include "store/charger_config.h"
#include "store/charger_state.h"
#include "store/display_text.h"
#include "store/history.h"
#include "store/quick_picks.h"
#include "store/records.h"
#include "support/recording_services.h"
#include "support/temp_dir.h"

namespace voltaro::testing {

using Texts = std::vector<std::string>;

// The names of a screen's views that are hidden, in the order of its outlets.
inline Texts hiddenViews(const ui::OutletList& outlets) {
    Texts names;
    for (const auto& [name, outlet] : outlets.entries()) {
        const auto* view = dynamic_cast<const ui::View*>(outlet);
        if (view && view->hidden()) names.push_back(name);
    }
    return names;
}

// Screens over real stores in fresh directories, in English, with the process-wide values they
// share reset before and after each test.
class ScreenTest : public ::testing::Test {
public:
    // 2023-11-14 22:13:20 UTC as an absolute time.
    static constexpr double kNow = 721692800.0;

protected:
    ScreenTest() {
        Paths::setDataDirectory(dataDir.path());
        setLanguage("en");
        resetSharedState();
    }
    ~ScreenTest() override {
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
        return {{brand_key::kBrandId, id}, {brand_key::kNameEn, englishName}};
    }

    // One saved result of the test that started at `startTime`, without charger data.
    static TestRecord result(double startTime, double watt = 10) {
        TestRecord record = {
            {"date", 1.7e9},        {"watt", watt},           {"min", 30},
            {"amp", 54.4},          {"startlevel", 50},       {"finishlevel", 55},
            {"userStartlevel", 51}, {"starttime", startTime}, {"finishtime", startTime + 150},
            {"averageTime", 30}};
        setCharger(record, {0, 0, 0, 0, 0});
        return record;
    }

    // Brand, watts, kind, port and capacity of a record or a sent description.
    static std::vector<double> chargerOf(const TestRecord& record) {
        return {record.at("brandid"), record.at("watts"), record.at("type"), record.at("port"),
                record.at("capacity")};
    }
    static void setCharger(TestRecord& record, const std::vector<double>& charger) {
        const char* keys[] = {"brandid", "watts", "type", "port", "capacity"};
        for (size_t i = 0; i < charger.size(); ++i) record[keys[i]] = charger[i];
    }

    TempDir dataDir;
    TempDir configDir;
    PlistPreferenceStore preferences{configDir.path()};
    VirtualTime clock{kNow};
    RecordingServices recorder;
    ui::Services services = recorder.services();
};

}  // namespace voltaro::testing
