#include <memory>

#include "screen_fixture.h"
#include "screens/add_watts_vc.h"

namespace voltaro {
namespace {

using Picks = std::array<int64_t, 3>;
using testing::Texts;
constexpr int64_t kWatt = AddWattsVC::kWattType;
constexpr int64_t kCapacity = AddWattsVC::kCapacityType;

class ValueEntryTest : public testing::ScreenTest {
protected:
    // 5, 12, 18 W and 5000, 10000, 20000 mAh.
    ValueEntryTest() { seedQuickPicks(preferences); }

    AddWattsVC& open(int64_t type) {
        screen = std::make_unique<AddWattsVC>(services, preferences, type);
        screen->viewDidLoad();
        return *screen;
    }

    // Types `text` and saves: "" when it was stored, else the key of the alert's title.
    std::string enter(int64_t type, const std::string& text) {
        recorder.calls.clear();
        AddWattsVC& entry = open(type);
        entry.inputTextField.setText(text);
        entry.edited();
        entry.saveButtonTapped();
        for (const char* key : {"notNumber", "over100", "over10000"}) {
            if (recorder.calls == Texts{"alert " + localized(key) + ": "}) return key;
        }
        return recorder.calls == Texts{"dismiss from-left"} ? "" : "neither stored nor one alert";
    }

    std::unique_ptr<AddWattsVC> screen;
};

TEST_F(ValueEntryTest, EachModeShowsItsUnit) {
    lastAddedKind() = AddedKind::Capacity;
    AddWattsVC& entry = open(kWatt);
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(entry.wTextField.text(), "W");

    // The capacity mode comes from the screen arguments.
    AddWattsVC capacity(services, preferences, {.startTime = {}, .entryType = kCapacity});
    capacity.viewDidLoad();
    EXPECT_EQ(capacity.wTextField.text(), "mAh");
}

// Plain ASCII digits only, then each kind's range; here each alert is reached.
TEST_F(ValueEntryTest, EachKindTakesItsRangeAndAlertsOutsideIt) {
    struct Case {
        int64_t type;
        const char* text;
        const char* alert;
    };
    const Case cases[] = {
        {kWatt, "100", ""},
        {kWatt, "1", ""},
        {kWatt, "101", "over100"},
        {kWatt, "", "notNumber"},
        {kWatt, "+7", "notNumber"},  // the range check alone would take it
        {kWatt, "\uFF11\uFF12", "notNumber"},
        {kCapacity, "9999999", ""},
        {kCapacity, "10000000", "over10000"},
    };
    for (const Case& c : cases) {
        lastAddedKind() = AddedKind::Nothing;
        EXPECT_EQ(enter(c.type, c.text), c.alert) << c.type << " \"" << c.text << "\"";
        const AddedKind stored = c.type == kWatt ? AddedKind::Watt : AddedKind::Capacity;
        EXPECT_EQ(lastAddedKind(), *c.alert ? AddedKind::Nothing : stored) << c.text;
    }
    // Only the accepted values reached the quick picks of their kind, the last one first.
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (Picks{1, 100, 5}));
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Capacity), (Picks{9999999, 5000, 10000}));
}

// An alert leaves the text and the quick picks; going back stores nothing either.
TEST_F(ValueEntryTest, EnterAlertsLikeSaveAndAnAlertOrBackStoresNothing) {
    setLanguage("zh_TW");  // the alert's button reads "OK" in every language
    AddWattsVC& entry = open(kWatt);
    recorder.calls.clear();
    entry.inputTextField.setText("250");
    entry.edited();
    entry.returnKeyPressed();
    EXPECT_EQ(recorder.calls, Texts{"alert " + localized("over100") + ": "});
    ASSERT_EQ(recorder.alertButtons.size(), 1u);
    EXPECT_EQ(recorder.alertButtons[0].title, "OK");
    EXPECT_EQ(entry.inputTextField.text(), "250");
    lastAddedKind() = AddedKind::Watt;  // left by an earlier entry
    entry.inputTextField.setText("42");
    entry.backButtonTapped();
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (Picks{5, 12, 18}));
}

}  // namespace
}  // namespace voltaro
