#include "screens/add_brand_vc.h"

#include "extensions/interface_helpers.h"
#include "platform/log.h"
#include "platform/strings.h"
#include "screens/quick_pick_entry.h"
#include "store/brand_catalogue.h"
#include "store/charger_state.h"

namespace voltaro {

AddBrandVC::AddBrandVC(ui::Services& services, PreferenceStore& preferences)
    : services_(services), preferences_(preferences) {}

void AddBrandVC::viewDidLoad() {
    lastAddedKind() = AddedKind::Nothing;
    titleLabel.setText(localized("addBrandTitle"));
    searchBar.setPlaceholder(localized("searchBrandPlaceholder"));
    brandArray_ = loadBrandCatalogue();
    buildSections();
    tableView.reloadData();
}

void AddBrandVC::buildSections() {
    brandNames_.clear();
    for (const BrandRecord& brand : brandArray_) {
        // An entry without an English name has nothing to show or to pick by.
        const auto name = brand.find(brand_key::kNameEn);
        if (name != brand.end() && !name->second.empty()) brandNames_.push_back(name->second);
    }
    searchBrandNames_ = brandNames_;
    sections_ = groupBrandNames(searchBrandNames_);
    searchSections_ = sections_;
}

void AddBrandVC::searchBarTextDidChange(const std::string& searchText) {
    searchBar.setText(searchText);
    filterBrands(searchText);
}

void AddBrandVC::filterBrands(const std::string& searchText) {
    if (searchText.empty()) {
        searchBrandNames_ = brandNames_;
    } else {
        searchBrandNames_.clear();
        for (const std::string& name : brandNames_) {
            if (hasPrefixIgnoringCase(name, searchText)) searchBrandNames_.push_back(name);
        }
    }
    searchSections_ = groupBrandNames(searchBrandNames_);
    tableView.reloadData();
}

void AddBrandVC::searchBarSearchButtonClicked() {
    log::debug(log::Category::Screens, "this is search");
}

size_t AddBrandVC::numberOfRows(size_t section) const {
    return section < searchSections_.size() ? searchSections_[section].names.size() : 0;
}

BrandCell AddBrandVC::cell(size_t section, size_t row) const {
    BrandCell cell;
    if (row < numberOfRows(section)) cell.brandName = searchSections_[section].names[row];
    return cell;
}

std::string AddBrandVC::titleForHeader(size_t section) const {
    return section < searchSections_.size() ? searchSections_[section].letter : std::string();
}

BrandSectionHeader AddBrandVC::header(size_t section) const {
    BrandSectionHeader header;
    header.title = titleForHeader(section);
    return header;
}

std::vector<std::string> AddBrandVC::sectionIndexTitles() const {
    std::vector<std::string> titles;
    titles.reserve(sections_.size());
    for (const Section& section : sections_) titles.push_back(section.letter);
    return titles;
}

std::optional<size_t> AddBrandVC::sectionForSectionIndex(size_t index) const {
    if (index >= sections_.size()) return std::nullopt;
    for (size_t shown = 0; shown < searchSections_.size(); ++shown) {
        if (searchSections_[shown].letter == sections_[index].letter) return shown;
    }
    return std::nullopt;
}

void AddBrandVC::didSelectRow(size_t section, size_t row) {
    if (row >= numberOfRows(section)) return;
    // By the name shown: of two brands with one name, the first in the catalogue is picked.
    const int64_t brandId = brandIdForName(cell(section, row).brandName);
    finishAddingQuickPick(services_.navigator, preferences_, QuickPickKind::Brand, brandId);
}

void AddBrandVC::backButtonTapped() {
    leaveWithoutAdding(services_.navigator);
}

void AddBrandVC::pop() {
    dismissSlidingLeft(services_.navigator);
}

}  // namespace voltaro
