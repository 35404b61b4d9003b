#include "screen_fixture.h"
#include "screens/add_brand_vc.h"
#include "screens/add_watts_vc.h"
#include "screens/select_model_vc.h"

namespace voltaro {
namespace {

using testing::Texts;

class ChargerSetupTest : public testing::ScreenTest {
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
    void addValue(bool capacity, const std::string& text) {
        capacity ? setup.addAmpButtonTapped() : setup.addWattsButtonTapped();
        AddWattsVC entry(services, preferences, recorder.lastArguments);
        entry.viewDidLoad();
        entry.inputTextField.setText(text);
        entry.edited();
        entry.saveButtonTapped();
        ASSERT_EQ(recorder.calls.back(), "dismiss from-left");
        setup.viewDidAppear();
    }
    void pickBrand(const std::string& name) {
        setup.addBrandButtonTapped();
        AddBrandVC picker(services, preferences);
        picker.viewDidLoad();
        picker.searchBarTextDidChange(name);
        picker.didSelectRow(0, 0);
        setup.viewDidAppear();
    }

    // The titles of the `kind` buttons as shown: "" if hidden, "[title]" if highlighted, which a
    // button is exactly when it is shown and stands for the selection's `choice`.
    Texts shown(const std::string& kind, int64_t choice) const {
        Texts titles;
        for (const auto& [name, outlet] : setup.outlets.entries()) {
            const auto* button = dynamic_cast<const ui::Button*>(outlet);
            if (!button || name.rfind(kind + "Button", 0) != 0) continue;
            const bool lit = button->titleColorName() == "highlightColor";
            EXPECT_EQ(button->selected(), lit) << name;
            EXPECT_EQ(lit, choice != 0 && !button->hidden() && button->tag() == choice) << name;
            titles.push_back(button->hidden() ? ""
                             : lit            ? "[" + button->title() + "]"
                                              : button->title());
        }
        return titles;
    }
    Texts types() const { return shown("type", chargerSelection().type); }
    Texts brands() const { return shown("brand", chargerSelection().brand); }
    Texts watts() const { return shown("watt", chargerSelection().watt); }
    Texts amps() const { return shown("amp", chargerSelection().capacity); }
    Texts ports() const { return shown("port", chargerSelection().port); }

    SelectModelVC setup{services, preferences, clock};
};

// A second tap lets a quick pick go, not the kind; a capacity replaces the watt rating, not back.
TEST_F(ChargerSetupTest, QuickPicksToggleAndThePowerBankKindShowsTheCapacityRow) {
    open();
    EXPECT_EQ(chargerSelection(), (ChargerSelection{1, 0, 0, 0, 0}));
    EXPECT_EQ(types(), (Texts{"[Wall Charger]", "Power Bank", "Car Charger"}));
    EXPECT_EQ(ports(), (Texts{"USB-A", "USB-C", portName(3)}));
    EXPECT_EQ(brands(), (Texts{"Ampere", "Bolt", "Current"}));
    EXPECT_TRUE(setup.addButton.enabled());  // the kind alone can be saved
    setup.wattButtonTapped(2);
    setup.wattButtonTapped(3);
    EXPECT_EQ(watts(), (Texts{"5", "12", "[18]"}));
    setup.typeButtonTapped(2);
    setup.typeButtonTapped(2);
    EXPECT_EQ(types(), (Texts{"Wall Charger", "[Power Bank]", "Car Charger"}));
    EXPECT_FALSE(setup.ampView.hidden());
    EXPECT_EQ(chargerSelection().watt, 18);  // switching the kind keeps the choice
    setup.ampButtonTapped(2);
    EXPECT_EQ(chargerSelection(), (ChargerSelection{2, 0, 0, 0, 10000}));
    setup.typeButtonTapped(3);
    EXPECT_TRUE(setup.ampView.hidden());
    setup.wattButtonTapped(1);
    EXPECT_EQ(chargerSelection(), (ChargerSelection{3, 0, 5, 0, 10000}));
    setup.wattButtonTapped(1);
    EXPECT_EQ(watts(), (Texts{"5", "12", "18"}));
}

TEST_F(ChargerSetupTest, SavingNothingAsksForMoreAndStoresNothing) {
    setLanguage("zh_CN");  // the button reads "OK" in every language
    open();
    chargerSelection() = ChargerSelection{};
    setup.viewDidAppear();
    EXPECT_FALSE(setup.addButton.enabled());
    setup.saveButtonTapped();
    EXPECT_EQ(recorder.calls, Texts{"alert " + localized("notComplete") + ": "});
    ASSERT_EQ(recorder.alertButtons.size(), 1u);
    EXPECT_EQ(recorder.alertButtons[0].title, "OK");
    setup.backButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    EXPECT_FALSE(preferences.dataArrayForKey(kConfigKey).has_value());
    EXPECT_EQ(editingRecord().at("type"), 0);
}

// Returning from the entry screens rebuilds the quick picks: a highlighted button must still
// stand for what saving stores, in the list and on the test being edited.
TEST_F(ChargerSetupTest, OnlyChoicesStillAmongTheQuickPicksSurviveAReturnAndAreSaved) {
    editingRecord()["starttime"] = 123.5;
    open();
    setup.brandButtonTapped(2);
    setup.wattButtonTapped(3);
    setup.portButtonTapped(2);
    preferences.setInteger("watt3", 24);  // the quick picks changed elsewhere
    setup.addAmpButtonTapped();
    AddWattsVC(services, preferences, recorder.lastArguments).backButtonTapped();
    setup.viewDidAppear();
    EXPECT_EQ(brands(), (Texts{"Ampere", "[Bolt]", "Current"}));
    EXPECT_EQ(watts(), (Texts{"5", "12", "24"}));
    EXPECT_EQ(ports(), (Texts{"USB-A", "[USB-C]", portName(3)}));
    setup.ampButtonTapped(3);
    setup.saveButtonTapped();
    EXPECT_EQ(recorder.calls.back(), "dismiss from-left");
    EXPECT_EQ(loadConfigList(preferences),
              (std::vector<config>{{kNow, 12, 0, 1, 2, 20000}, {kNow, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(chargerOf(editingRecord()), (std::vector<double>{12, 0, 1, 2, 20000}));
    EXPECT_EQ(editingRecord().at("starttime"), 123.5);
}

// An added value is chosen, also in place of a choice it pushed out of the quick picks.
TEST_F(ChargerSetupTest, AnAddedOrPickedValueIsChosen) {
    open();
    setup.wattButtonTapped(3);  // 18, which the added value pushes out
    addValue(false, "30");
    EXPECT_EQ(watts(), (Texts{"[30]", "5", "12"}));
    addValue(true, "7000");  // a capacity replaces the watt rating
    EXPECT_EQ(amps(), (Texts{"[7000]", "5000", "10000"}));
    EXPECT_EQ(chargerSelection().watt, 0);
    pickBrand("Dynamo");
    EXPECT_EQ(brands(), (Texts{"[Dynamo]", "Ampere", "Bolt"}));
    pickBrand("Nameless");  // no usable number: stored as 0, which shows as an empty slot
    EXPECT_EQ(brands(), (Texts{"", "Dynamo", "Ampere"}));
    EXPECT_EQ(chargerSelection().brand, 0);
}

}  // namespace
}  // namespace voltaro
