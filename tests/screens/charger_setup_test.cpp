#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "charger_screens_fixture.h"
#include "screens/add_brand_vc.h"
#include "screens/add_watts_vc.h"
#include "screens/select_model_vc.h"
#include "store/charger_config.h"
#include "store/display_text.h"
#include "store/quick_picks.h"

namespace voltaro {
namespace {

class ChargerSetupTest : public testing::ChargerScreensTest {
protected:
    ChargerSetupTest() {
        EXPECT_TRUE(
            saveBrandCatalogue({brand("11", "Ampere"), brand("12", "Bolt"), brand("13", "Current"),
                                brand("14", "Dynamo"), brand("x", "Nameless")}));
        resetEditingRecord();
    }

    void open() {
        setup.viewDidLoad();
        setup.viewDidAppear();
    }

    // Types a value on the value entry screen the setup screen opened, saves it and returns.
    void addValue(bool capacity, const std::string& text) {
        if (capacity) {
            setup.addAmpButtonTapped();
        } else {
            setup.addWattsButtonTapped();
        }
        AddWattsVC entry(services, preferences, recorder.lastArguments);
        entry.viewDidLoad();
        entry.inputTextField.setText(text);
        entry.edited();
        entry.saveButtonTapped();
        ASSERT_EQ(recorder.calls.back(), "dismiss from-left") << lastAlertTitle();
        setup.viewDidAppear();
    }

    void pickBrand(const std::string& name) {
        setup.addBrandButtonTapped();
        AddBrandVC picker(services, preferences);
        picker.viewDidLoad();
        picker.searchBarTextDidChange(name);
        ASSERT_EQ(picker.numberOfSections(), 1u);
        picker.didSelectRow(0, 0);
        setup.viewDidAppear();
    }

    using Group = std::array<const ui::Button*, 3>;
    Group brands() const { return {&setup.brandButton1, &setup.brandButton2, &setup.brandButton3}; }
    Group watts() const { return {&setup.wattButton1, &setup.wattButton2, &setup.wattButton3}; }
    Group amps() const { return {&setup.ampButton1, &setup.ampButton2, &setup.ampButton3}; }
    Group ports() const { return {&setup.portButton1, &setup.portButton2, &setup.portButton3}; }

    static std::vector<std::string> colours(const Group& group) {
        std::vector<std::string> names;
        for (const ui::Button* button : group) names.push_back(button->titleColorName());
        return names;
    }
    static std::vector<std::string> titles(const Group& group) {
        std::vector<std::string> names;
        for (const ui::Button* button : group) names.push_back(button->title());
        return names;
    }

    // A button is highlighted exactly when it is shown and stands for the group's choice.
    static void expectHighlightsShow(const Group& group, int64_t choice, const char* what) {
        for (size_t i = 0; i < group.size(); ++i) {
            const bool standsForChoice =
                choice != 0 && !group[i]->hidden() && group[i]->tag() == choice;
            EXPECT_EQ(group[i]->titleColorName(), standsForChoice ? "highlightColor" : "white")
                << what << " button " << i + 1;
            EXPECT_EQ(group[i]->selected(), standsForChoice) << what << " button " << i + 1;
        }
    }
    void expectColoursAgreeWithTheSelection() const {
        const ChargerSelection& chosen = chargerSelection();
        expectHighlightsShow(brands(), chosen.brand, "brand");
        expectHighlightsShow(watts(), chosen.watt, "watt");
        expectHighlightsShow(amps(), chosen.capacity, "capacity");
        expectHighlightsShow(ports(), chosen.port, "port");
    }

    SelectModelVC setup{services, preferences, clock};
};

const std::vector<std::string> kWhite = {"white", "white", "white"};

TEST_F(ChargerSetupTest, FirstDisplayChoosesAWallChargerAndShowsTheSeededQuickPicks) {
    open();
    EXPECT_EQ(chargerSelection(), (ChargerSelection{1, 0, 0, 0, 0}));
    EXPECT_EQ(colours({&setup.typeButton1, &setup.typeButton2, &setup.typeButton3}),
              (std::vector<std::string>{"highlightColor", "white", "white"}));
    EXPECT_EQ(titles({&setup.typeButton1, &setup.typeButton2, &setup.typeButton3}),
              (std::vector<std::string>{"Wall Charger", "Power Bank", "Car Charger"}));
    EXPECT_EQ(titles(ports()), (std::vector<std::string>{"USB-A", "USB-C", portName(3)}));
    EXPECT_EQ(setup.portButton3.tag(), 3);
    EXPECT_EQ(colours(ports()), kWhite);

    // Seeds: the first three catalogue brands, 5/12/18 W and 5000/10000/20000 mAh.
    EXPECT_EQ(titles(brands()), (std::vector<std::string>{"Ampere", "Bolt", "Current"}));
    EXPECT_EQ(setup.brandButton3.tag(), 13);
    EXPECT_EQ(setup.brandButton1Width.constant(), 90);
    EXPECT_EQ(titles(watts()), (std::vector<std::string>{"5", "12", "18"}));
    EXPECT_EQ(setup.wattButton2.tag(), 12);
    EXPECT_EQ(setup.wattButton3Width.constant(), 80);
    EXPECT_EQ(titles(amps()), (std::vector<std::string>{"5000", "10000", "20000"}));
    EXPECT_EQ(setup.ampButton1Width.constant(), 80);
    EXPECT_EQ(colours(watts()), kWhite);

    EXPECT_FALSE(setup.wattView.hidden());
    EXPECT_TRUE(setup.ampView.hidden());
    EXPECT_EQ(setup.typeLabel.text(), localized("typeLabelTextWatt"));
    // The kind alone is a description that can be saved.
    EXPECT_TRUE(setup.addButton.enabled());
    EXPECT_EQ(setup.addButton.alpha(), 1.0);
}

TEST_F(ChargerSetupTest, AnEmptyQuickPickSlotLeavesNoGap) {
    ASSERT_TRUE(saveBrandCatalogue({}));
    preferences.setInteger("watt1", 30);
    preferences.setInteger("capacity1", 7000);
    preferences.setInteger("capacity3", 9000);
    open();
    for (const ui::Button* button : brands()) EXPECT_TRUE(button->hidden());
    EXPECT_EQ(setup.brandButton2Width.constant(), 0);
    EXPECT_FALSE(setup.wattButton1.hidden());
    EXPECT_TRUE(setup.wattButton2.hidden());
    EXPECT_EQ(setup.wattButton2Width.constant(), 0);
    EXPECT_EQ(setup.wattButton3Width.constant(), 0);
    EXPECT_TRUE(setup.ampButton2.hidden());
    EXPECT_EQ(setup.ampButton2Width.constant(), 0);
    EXPECT_EQ(setup.ampButton3.title(), "9000");
    EXPECT_EQ(setup.ampButton3Width.constant(), 80);
    setup.wattButtonTapped(2);  // hidden: stands for nothing
    EXPECT_EQ(chargerSelection().watt, 0);
}

TEST_F(ChargerSetupTest, QuickPicksToggleAndTheKindCannotBeDeselected) {
    open();
    setup.wattButtonTapped(2);
    EXPECT_EQ(chargerSelection().watt, 12);
    setup.wattButtonTapped(3);
    EXPECT_EQ(chargerSelection().watt, 18);
    EXPECT_EQ(colours(watts()), (std::vector<std::string>{"white", "white", "highlightColor"}));
    setup.wattButtonTapped(3);  // the chosen one again
    EXPECT_EQ(chargerSelection().watt, 0);
    EXPECT_EQ(colours(watts()), kWhite);

    setup.portButtonTapped(1);
    setup.brandButtonTapped(2);
    EXPECT_EQ(chargerSelection().port, 1);
    EXPECT_EQ(chargerSelection().brand, 12);
    expectColoursAgreeWithTheSelection();
    setup.portButtonTapped(1);
    EXPECT_EQ(chargerSelection().port, 0);

    setup.typeButtonTapped(3);
    setup.typeButtonTapped(3);
    EXPECT_EQ(chargerSelection().type, 3);
    EXPECT_EQ(setup.typeButton3.titleColorName(), "highlightColor");
    EXPECT_EQ(setup.typeButton1.titleColorName(), "white");
}

TEST_F(ChargerSetupTest, ThePowerBankKindShowsTheCapacityRow) {
    open();
    setup.wattButtonTapped(1);
    setup.typeButtonTapped(2);
    EXPECT_EQ(setup.typeFlag(), 2);
    EXPECT_TRUE(setup.wattView.hidden());
    EXPECT_FALSE(setup.ampView.hidden());
    EXPECT_EQ(setup.typeLabel.text(), localized("typeLabelTextAmp"));
    EXPECT_NE(localized("typeLabelTextAmp"), localized("typeLabelTextWatt"));
    EXPECT_EQ(chargerSelection().watt, 5);  // switching the kind keeps the choice
    setup.typeButtonTapped(3);
    EXPECT_FALSE(setup.wattView.hidden());
    EXPECT_TRUE(setup.ampView.hidden());
    EXPECT_EQ(setup.typeLabel.text(), localized("typeLabelTextWatt"));
}

TEST_F(ChargerSetupTest, ACapacityReplacesTheWattRatingAndItsHighlight) {
    open();
    setup.wattButtonTapped(3);
    setup.ampButtonTapped(2);
    EXPECT_EQ(chargerSelection().capacity, 10000);
    EXPECT_EQ(chargerSelection().watt, 0);
    expectColoursAgreeWithTheSelection();
    setup.wattButtonTapped(1);  // a watt rating keeps the capacity
    EXPECT_EQ(chargerSelection().capacity, 10000);
    EXPECT_EQ(chargerSelection().watt, 5);
    expectColoursAgreeWithTheSelection();
}

TEST_F(ChargerSetupTest, SavingNothingAsksForMoreAndStoresNothing) {
    setLanguage("zh_CN");  // the button reads "OK" in every language
    open();
    chargerSelection() = ChargerSelection{};
    setup.viewDidAppear();
    EXPECT_FALSE(setup.addButton.enabled());
    EXPECT_EQ(setup.addButton.alpha(), 0.5);
    setup.saveButtonTapped();
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"alert " + localized("notComplete") + ": "});
    ASSERT_EQ(recorder.alertButtons.size(), 1u);
    EXPECT_EQ(recorder.alertButtons[0].title, "OK");
    EXPECT_EQ(recorder.alertButtons[0].style, ui::AlertButton::Style::Default);
    EXPECT_FALSE(preferences.dataArrayForKey(kConfigKey).has_value());
    EXPECT_EQ(editingRecord().at("type"), 0);
}

TEST_F(ChargerSetupTest, SavingStoresTheDescriptionAndLabelsTheTestBeingEdited) {
    editingRecord()["starttime"] = 123.5;
    open();
    setup.typeButtonTapped(2);
    setup.ampButtonTapped(3);
    setup.portButtonTapped(2);
    setup.brandButtonTapped(1);
    setup.saveButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    const std::vector<config> stored = loadConfigList(preferences);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0], (config{kNow, 11, 0, 2, 2, 20000}));
    EXPECT_TRUE(stored[1].isBlank());
    EXPECT_EQ(editingRecord(), (TestRecord{{"starttime", 123.5},
                                           {"brandid", 11},
                                           {"watts", 0},
                                           {"type", 2},
                                           {"port", 2},
                                           {"capacity", 20000}}));
}

TEST_F(ChargerSetupTest, TheEntryScreensOpenForTheirKind) {
    open();
    setup.addWattsButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "present AddWattsVC from-right");
    EXPECT_EQ(recorder.lastArguments.entryType, 1);
    setup.addAmpButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "present AddWattsVC from-right");
    EXPECT_EQ(recorder.lastArguments.entryType, 2);
    setup.addBrandButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "present AddBrandVC from-right");
    setup.backButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    EXPECT_FALSE(preferences.dataArrayForKey(kConfigKey).has_value());
}

// Returning from the entry screens rebuilds the quick picks: a highlighted button must still
// stand for what saving stores.
TEST_F(ChargerSetupTest, ChoicesStillAmongTheQuickPicksSurviveAReturn) {
    open();
    setup.brandButtonTapped(2);
    setup.wattButtonTapped(2);
    setup.portButtonTapped(1);
    setup.addAmpButtonTapped();
    AddWattsVC entry(services, preferences, recorder.lastArguments);
    entry.viewDidLoad();
    entry.backButtonTapped();
    setup.viewDidAppear();
    EXPECT_EQ(chargerSelection(), (ChargerSelection{1, 12, 12, 1, 0}));
    EXPECT_EQ(setup.wattButton2.titleColorName(), "highlightColor");
    EXPECT_EQ(setup.brandButton2.titleColorName(), "highlightColor");
    expectColoursAgreeWithTheSelection();

    setup.saveButtonTapped();
    EXPECT_EQ(loadConfigList(preferences).at(0), (config{kNow, 12, 12, 1, 1, 0}));
}

TEST_F(ChargerSetupTest, AnAddedWattIsChosenInPlaceOfTheOneThatDroppedOut) {
    open();
    setup.wattButtonTapped(3);  // 18, which the added value pushes out
    addValue(false, "30");
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Watt), (std::array<int64_t, 3>{30, 5, 12}));
    EXPECT_EQ(chargerSelection().watt, 30);
    EXPECT_EQ(colours(watts()), (std::vector<std::string>{"highlightColor", "white", "white"}));
    expectColoursAgreeWithTheSelection();
}

TEST_F(ChargerSetupTest, AnAddedCapacityIsChosenAndReplacesTheWattRating) {
    open();
    setup.wattButtonTapped(2);
    addValue(true, "7000");
    EXPECT_EQ(chargerSelection().capacity, 7000);
    EXPECT_EQ(chargerSelection().watt, 0);
    EXPECT_EQ(setup.ampButton1.titleColorName(), "highlightColor");
    expectColoursAgreeWithTheSelection();
}

TEST_F(ChargerSetupTest, AChoiceThatLeftTheQuickPicksIsClearedWithItsHighlight) {
    open();
    setup.brandButtonTapped(3);  // 13
    setup.wattButtonTapped(3);   // 18
    // Elsewhere the quick picks changed: neither value is among them any more.
    preferences.setInteger("watt3", 24);
    pickBrand("Nameless");  // no usable number: stored as 0, which shows as an empty slot
    EXPECT_EQ(quickPicks(preferences, QuickPickKind::Brand), (std::array<int64_t, 3>{0, 11, 12}));
    EXPECT_TRUE(setup.brandButton1.hidden());
    EXPECT_EQ(chargerSelection().brand, 0);
    EXPECT_EQ(chargerSelection().watt, 0);
    EXPECT_EQ(colours(brands()), kWhite);
    EXPECT_EQ(colours(watts()), kWhite);
    expectColoursAgreeWithTheSelection();

    setup.saveButtonTapped();
    EXPECT_EQ(loadConfigList(preferences).at(0), (config{kNow, 0, 0, 1, 0, 0}));
}

TEST_F(ChargerSetupTest, APickedBrandIsChosen) {
    open();
    setup.brandButtonTapped(1);
    pickBrand("Dynamo");
    EXPECT_EQ(lastAddedKind(), AddedKind::Brand);
    EXPECT_EQ(chargerSelection().brand, 14);
    EXPECT_EQ(titles(brands()), (std::vector<std::string>{"Dynamo", "Ampere", "Bolt"}));
    expectColoursAgreeWithTheSelection();
}

}  // namespace
}  // namespace voltaro
