#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/preference_store.h"
#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/brand_sections.h"
#include "screens/screen_controller.h"
#include "store/records.h"

namespace voltaro {

// One row of the brand picker: an English brand name, shown as plain text.
struct BrandCell {
    std::string brandName;  // brandNameLabel
    std::string selectedBackgroundColorName = "black";
};

// The header of one section of the brand picker.
struct BrandSectionHeader {
    std::string title;  // the section's letter
    std::string backgroundColorName = "cellBackgroundColor";
};

// Picks any brand of the catalogue by its English name, grouped by first character, with a
// section index and a prefix search. The brand picked becomes the first brand quick pick, which
// the setup screen then chooses.
class AddBrandVC : public ScreenController {
public:
    static constexpr double kRowHeight = 60;
    static constexpr double kHeaderHeight = 40;
    static constexpr double kFooterHeight = 1;

    AddBrandVC(ui::Services& services, PreferenceStore& preferences);

    // Outlets after `view`, bound by the toolkit by name.
    ui::Label titleLabel{outlets, "titleLabel"};
    ui::TextField searchBar{outlets, "searchBar"};
    ui::Table tableView{outlets, "tableView"};

    void viewDidLoad();

    // Table content: the sections that match the search.
    size_t numberOfSections() const { return searchSections_.size(); }
    size_t numberOfRows(size_t section) const;
    BrandCell cell(size_t section, size_t row) const;
    std::string titleForHeader(size_t section) const;
    BrandSectionHeader header(size_t section) const;
    // The letters of all sections, whatever the search, so that the index stays put.
    std::vector<std::string> sectionIndexTitles() const;
    // The shown section that an index entry leads to; nothing when the search hides its letter.
    std::optional<size_t> sectionForSectionIndex(size_t index) const;

    // Actions.
    void searchBarTextDidChange(const std::string& searchText);
    void searchBarSearchButtonClicked();
    void didSelectRow(size_t section, size_t row);
    void backButtonTapped();
    void pop();

    const std::vector<Section>& sections() const { return sections_; }
    const std::vector<Section>& searchSections() const { return searchSections_; }

private:
    void buildSections();
    void filterBrands(const std::string& searchText);

    ui::Services& services_;
    PreferenceStore& preferences_;
    std::vector<BrandRecord> brandArray_;
    std::vector<std::string> brandNames_;
    std::vector<Section> sections_;
    std::vector<std::string> searchBrandNames_;
    std::vector<Section> searchSections_;
};

}  // namespace voltaro
