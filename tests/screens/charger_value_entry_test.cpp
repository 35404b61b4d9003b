#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charger_screens_fixture.h"
#include "screens/add_watts_vc.h"
#include "store/quick_picks.h"

namespace voltaro {
namespace {

using Picks = std::array<int64_t, 3>;

class ValueEntryTest : public testing::ChargerScreensTest {
protected:
    ValueEntryTest() {
        seedQuickPicks(preferences);  // 5, 12, 18 W and 5000, 10000, 20000 mAh
    }

    AddWattsVC& open(int64_t type) {
        screen = std::make_unique<AddWattsVC>(services, preferences, type);
        screen->view.setSize(390, 844);
        screen->inputTextField.setSize(300, 44);
        screen->wTextField.setSize(50, 44);
        screen->viewDidLoad();
        return *screen;
    }

    // Types `text` and saves. Returns the alert's key, or nothing when the value was stored.
    std::optional<std::string> enter(int64_t type, const std::string& text) {
        recorder.calls.clear();
        AddWattsVC& entry = open(type);
        entry.inputTextField.setText(text);
        entry.edited();
        entry.saveButtonTapped();
        if (recorder.calls == std::vector<std::string>{"dismiss from-left"}) return std::nullopt;
        for (const char* key : {"notNumber", "over100", "over10000"}) {
            if (recorder.calls == std::vector<std::string>{"alert " + localized(key) + ": "}) {
                return key;
            }
        }
        ADD_FAILURE() << "neither stored nor one alert for \"" << text << "\"";
        return "?";
    }

    std::unique_ptr<AddWattsVC> screen;
};

TEST_F(ValueEntryTest, TheWattModeOpensForTypingWithTheSaveButtonOff) {
    lastAddedKind() = AddedKind::Capacity;
    setLanguage("zh_CN");
    AddWattsVC& entry = open(AddWattsVC::kWattType);
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(entry.titleLabel.text(), "添加功率");
    EXPECT_EQ(entry.wTextField.text(), "W");
    EXPECT_TRUE(entry.inputTextField.focused());
    // Underlines: the field across the screen less 40 points, the unit across itself.
    ASSERT_EQ(entry.inputTextField.layers().size(), 1u);
    EXPECT_EQ(entry.inputTextField.layers()[0].width, 350);
    EXPECT_EQ(entry.inputTextField.layers()[0].y, 43);
    ASSERT_EQ(entry.wTextField.layers().size(), 1u);
    EXPECT_EQ(entry.wTextField.layers()[0].width, 50);
    EXPECT_FALSE(entry.saveButton.enabled());
    EXPECT_EQ(entry.saveButton.alpha(), 0.5);

    entry.inputTextField.setText("1");
    entry.edited();
    EXPECT_TRUE(entry.saveButton.enabled());
    EXPECT_EQ(entry.saveButton.alpha(), 1.0);
    entry.inputTextField.setText("");
    entry.edited();
    EXPECT_FALSE(entry.saveButton.enabled());
}

TEST_F(ValueEntryTest, TheCapacityModeComesFromTheScreenArguments) {
    setLanguage("zh_CN");
    ui::ScreenArguments arguments;
    arguments.entryType = 2;
    AddWattsVC capacity(services, preferences, arguments);
    capacity.viewDidLoad();
    EXPECT_EQ(capacity.type, 2);
    EXPECT_EQ(capacity.titleLabel.text(), "添加容量");
    EXPECT_EQ(capacity.wTextField.text(), "mAh");
    AddWattsVC watts(services, preferences, ui::ScreenArguments{});
    EXPECT_EQ(watts.type, 1);
}

// Watt ratings from 1 to 100, capacities of one to seven digits, plain ASCII digits only (the
// validators' every rule is tested with them; here each kind of alert is reached).
TEST_F(ValueEntryTest, EachKindTakesItsRangeAndAlertsOutsideIt) {
    struct Case {
        int64_t type;
        const char* text;
        std::optional<std::string> alert;
    };
    constexpr int64_t W = AddWattsVC::kWattType;
    constexpr int64_t C = AddWattsVC::kCapacityType;
    const Case cases[] = {
        {W, "100", std::nullopt},       {W, "1", std::nullopt},
        {W, "0000100", std::nullopt},   {W, "101", "over100"},
        {W, "000", "over100"},          {W, "00000100", "over100"},
        {W, "", "notNumber"},           {W, "+7", "notNumber"},
        {W, "5.0", "notNumber"},        {W, "\uFF11\uFF12", "notNumber"},
        {C, "20000", std::nullopt},     {C, "9999999", std::nullopt},
        {C, "10000000", "over10000"},   {C, "0", "over10000"},
        {C, "10,000", "notNumber"},     {C, "\u0661\u0660\u0660\u0660", "notNumber"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(enter(c.type, c.text), c.alert) << c.type << " \"" << c.text << "\"";
    }
    // Only the accepted values reached the quick picks of their kind, the last one first.
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (Picks{100, 1, 5}));
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Capacity), (Picks{9999999, 20000, 5000}));
}

TEST_F(ValueEntryTest, AnAlertLeavesTheTextAndTheQuickPicksAsTheyWere) {
    setLanguage("zh_TW");  // the button reads "OK" in every language
    EXPECT_EQ(enter(AddWattsVC::kWattType, "250"), "over100");
    ASSERT_EQ(recorder.alertButtons.size(), 1u);
    EXPECT_EQ(recorder.alertButtons[0].title, "OK");
    EXPECT_EQ(recorder.alertButtons[0].style, ui::AlertButton::Style::Default);
    EXPECT_EQ(screen->inputTextField.text(), "250");
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (Picks{5, 12, 18}));
}

TEST_F(ValueEntryTest, AStoredValueBecomesTheFirstQuickPickOfItsKind) {
    EXPECT_EQ(enter(AddWattsVC::kWattType, "18"), std::nullopt);  // quick pick 3 already
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (Picks{18, 5, 12}));
    EXPECT_EQ(lastAddedKind(), AddedKind::Watt);
    EXPECT_EQ(enter(AddWattsVC::kCapacityType, "7500"), std::nullopt);
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Capacity), (Picks{7500, 5000, 10000}));
    EXPECT_EQ(lastAddedKind(), AddedKind::Capacity);
}

TEST_F(ValueEntryTest, EnterDoesOnlyWhatTheSaveButtonCould) {
    AddWattsVC& entry = open(AddWattsVC::kWattType);
    recorder.calls.clear();
    entry.returnKeyPressed();  // nothing typed: the save button is off
    EXPECT_TRUE(recorder.calls.empty());
    entry.inputTextField.setText("250");
    entry.edited();
    entry.returnKeyPressed();
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"alert " + localized("over100") + ": "});
}

TEST_F(ValueEntryTest, BackStoresNothingAndForgetsTheAddedKind) {
    AddWattsVC& entry = open(AddWattsVC::kWattType);
    lastAddedKind() = AddedKind::Watt;
    entry.inputTextField.setText("42");
    entry.backButtonTapped();
    EXPECT_EQ(lastAddedKind(), AddedKind::Nothing);
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (Picks{5, 12, 18}));
}

}  // namespace
}  // namespace voltaro
