#include "screens/select_model_vc.h"

#include <string>

#include "extensions/interface_helpers.h"
#include "platform/strings.h"
#include "screens/add_watts_vc.h"
#include "store/brand_catalogue.h"
#include "store/charger_config.h"
#include "store/display_text.h"

namespace voltaro {
namespace {

void setChosen(ui::Button& button, bool chosen) {
    button.setTitleColorName(chosen ? SelectModelVC::kChosenColorName
                                    : SelectModelVC::kPlainColorName);
    button.setSelected(chosen);
}

ui::ScreenArguments valueEntry(int64_t type) {
    ui::ScreenArguments arguments;
    arguments.entryType = type;
    return arguments;
}

bool isChosen(const ui::Button& button) {
    return button.titleColorName() == SelectModelVC::kChosenColorName;
}

void clearGroup(const std::array<ui::Button*, 3>& buttons) {
    for (ui::Button* button : buttons) setChosen(*button, false);
}

}  // namespace

SelectModelVC::SelectModelVC(ui::Services& services, PreferenceStore& preferences,
                             const Clock& clock)
    : services_(services),
      preferences_(preferences),
      clock_(clock),
      typeButtons_{&typeButton1, &typeButton2, &typeButton3},
      brandButtons_{&brandButton1, &brandButton2, &brandButton3},
      wattButtons_{&wattButton1, &wattButton2, &wattButton3},
      ampButtons_{&ampButton1, &ampButton2, &ampButton3},
      portButtons_{&portButton1, &portButton2, &portButton3} {}

void SelectModelVC::viewDidLoad() {
    chargerSelection() = ChargerSelection{};
    seedQuickPicks(preferences_);

    titleLabel.setText(localized("selectModelTitle"));
    typeCaptionLabel.setText(localized("chargerTypeCaption"));
    brandCaptionLabel.setText(localized("chargerBrandCaption"));
    portCaptionLabel.setText(localized("chargerPortCaption"));
    addButton.setTitle(localized("Save"));

    for (size_t i = 0; i < 3; ++i) {
        const auto code = static_cast<int64_t>(i + 1);
        typeButtons_[i]->setTag(code);
        typeButtons_[i]->setTitle(chargerKindName(code));
        setChosen(*typeButtons_[i], i == 0);
        portButtons_[i]->setTag(code);
        portButtons_[i]->setTitle(portName(code));
        setChosen(*portButtons_[i], false);
    }
    chargerSelection().type = 1;
    typeFlag_ = 1;
}

void SelectModelVC::viewDidAppear() {
    ChargerSelection& selection = chargerSelection();
    refreshQuickPicks(QuickPickKind::Brand, brandButtons_,
                      {&brandButton1Width, &brandButton2Width, &brandButton3Width},
                      kBrandButtonWidth, selection.brand);
    refreshQuickPicks(QuickPickKind::Watt, wattButtons_,
                      {&wattButton1Width, &wattButton2Width, &wattButton3Width}, kValueButtonWidth,
                      selection.watt);
    refreshQuickPicks(QuickPickKind::Capacity, ampButtons_,
                      {&ampButton1Width, &ampButton2Width, &ampButton3Width}, kValueButtonWidth,
                      selection.capacity);
    // The value just added is always the first quick pick of its kind.
    switch (lastAddedKind()) {
        case AddedKind::Watt:
            chooseFirst(wattButtons_, selection.watt);
            break;
        case AddedKind::Brand:
            chooseFirst(brandButtons_, selection.brand);
            break;
        case AddedKind::Capacity:
            // As a capacity tap does, choosing a capacity gives up the watt rating.
            selection.watt = 0;
            clearGroup(wattButtons_);
            chooseFirst(ampButtons_, selection.capacity);
            break;
        case AddedKind::Nothing:
            break;
    }
    updateAddButton();
    updateTypeViews();
}

void SelectModelVC::refreshQuickPicks(QuickPickKind kind, const Group& buttons,
                                      const Widths& widths, double width, int64_t& field) {
    const auto values = quickPicks(preferences_, kind);
    bool fieldShown = false;
    for (size_t i = 0; i < buttons.size(); ++i) {
        ui::Button& button = *buttons[i];
        const int64_t value = values[i];
        if (value == 0) {
            // An empty slot leaves no gap, and stands for nothing.
            widths[i]->setConstant(0);
            button.setHidden(true);
            button.setTag(0);
            setChosen(button, false);
            continue;
        }
        button.setTag(value);
        button.setTitle(kind == QuickPickKind::Brand ? brandNameForId(value)
                                                     : std::to_string(value));
        widths[i]->setConstant(width);
        button.setHidden(false);
        const bool chosen = field != 0 && value == field;
        setChosen(button, chosen);
        fieldShown = fieldShown || chosen;
    }
    // A choice that is no longer among the quick picks could not be seen or undone.
    if (!fieldShown) field = 0;
}

void SelectModelVC::chooseFirst(const Group& buttons, int64_t& field) {
    clearGroup(buttons);
    // An empty first slot (a brand the catalogue did not know) is hidden: nothing is chosen.
    field = buttons[0]->hidden() ? 0 : buttons[0]->tag();
    if (field != 0) setChosen(*buttons[0], true);
}

void SelectModelVC::typeButtonTapped(int position) {
    if (position < 1 || position > 3) return;
    const int64_t tapped = typeButtons_[static_cast<size_t>(position - 1)]->tag();
    for (size_t i = 0; i < typeButtons_.size(); ++i) {
        ui::Button& button = *typeButtons_[i];
        if (button.tag() != tapped) {
            setChosen(button, false);
        } else {
            // A kind cannot be deselected.
            setChosen(button, true);
            typeFlag_ = static_cast<int64_t>(i + 1);
            chargerSelection().type = tapped;
        }
    }
    updateAddButton();
    updateTypeViews();
}

void SelectModelVC::toggleQuickPick(const Group& buttons, int position, int64_t& field) {
    if (position < 1 || position > 3) return;
    const ui::Button& sender = *buttons[static_cast<size_t>(position - 1)];
    if (sender.hidden()) return;  // an empty slot stands for nothing
    const int64_t tapped = sender.tag();
    for (ui::Button* button : buttons) {
        if (button->tag() != tapped) {
            setChosen(*button, false);
        } else if (isChosen(*button)) {
            setChosen(*button, false);
            field = 0;
        } else {
            setChosen(*button, true);
            field = tapped;
        }
    }
    updateAddButton();
}

void SelectModelVC::brandButtonTapped(int position) {
    toggleQuickPick(brandButtons_, position, chargerSelection().brand);
}

void SelectModelVC::wattButtonTapped(int position) {
    toggleQuickPick(wattButtons_, position, chargerSelection().watt);
}

void SelectModelVC::ampButtonTapped(int position) {
    if (position < 1 || position > 3 || ampButtons_[static_cast<size_t>(position - 1)]->hidden()) {
        return;
    }
    // A capacity replaces the watt rating: its buttons go plain with it.
    chargerSelection().watt = 0;
    clearGroup(wattButtons_);
    toggleQuickPick(ampButtons_, position, chargerSelection().capacity);
}

void SelectModelVC::portButtonTapped(int position) {
    toggleQuickPick(portButtons_, position, chargerSelection().port);
}

void SelectModelVC::updateAddButton() {
    const bool blank = chargerSelection().isBlank();
    addButton.setEnabled(!blank);
    addButton.setAlpha(blank ? 0.5 : 1.0);
}

void SelectModelVC::updateTypeViews() {
    const bool watts = typeFlag_ == 1 || typeFlag_ == 3;  // wall and car chargers
    wattView.setHidden(!watts);
    ampView.setHidden(watts);
    typeLabel.setText(localized(watts ? "typeLabelTextWatt" : "typeLabelTextAmp"));
}

void SelectModelVC::saveButtonTapped() {
    const ChargerSelection selection = chargerSelection();
    if (selection.isBlank()) {
        services_.alerts.show(localized("notComplete"), "",
                              {{"OK", ui::AlertButton::Style::Default, {}}});
        return;
    }
    addConfig(preferences_, clock_, selection);
    // The history itself is written when the user leaves the list of descriptions.
    namespace key = record_key;
    TestRecord& record = editingRecord();
    record[key::kBrandId] = static_cast<double>(selection.brand);
    record[key::kWatts] = static_cast<double>(selection.watt);
    record[key::kPort] = static_cast<double>(selection.port);
    record[key::kType] = static_cast<double>(selection.type);
    record[key::kCapacity] = static_cast<double>(selection.capacity);
    dismissSlidingLeft(services_.navigator);
}

void SelectModelVC::addWattsButtonTapped() {
    presentSlidingRight(services_.navigator, "AddWattsVC", valueEntry(AddWattsVC::kWattType));
}

void SelectModelVC::addAmpButtonTapped() {
    presentSlidingRight(services_.navigator, "AddWattsVC", valueEntry(AddWattsVC::kCapacityType));
}

void SelectModelVC::addBrandButtonTapped() {
    presentSlidingRight(services_.navigator, "AddBrandVC");
}

void SelectModelVC::backButtonTapped() {
    dismissSlidingLeft(services_.navigator);
}

void SelectModelVC::pop() {
    dismissSlidingLeft(services_.navigator);
}

}  // namespace voltaro
