#pragma once

#include <QRectF>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include "app/controller_screen.h"
#include "app/screen_dependencies.h"
#include "screens/add_brand_vc.h"
#include "screens/add_watts_vc.h"
#include "screens/charger_list_vc.h"
#include "screens/select_model_vc.h"

namespace voltaro::app {

// The QML faces of the charger screens: their actions as invokable methods, and the rows of their
// tables as lists of maps that the pages ask for again whenever the table adapter reports a
// reload.

class ChargerListVCScreen : public ControllerScreen<ChargerListVC> {
    Q_OBJECT
    Q_PROPERTY(double rowHeight READ rowHeight CONSTANT)
    Q_PROPERTY(double cornerRadius READ cornerRadius CONSTANT)

public:
    ChargerListVCScreen(ScreenDependencies dependencies, const ui::ScreenArguments& arguments);

    // Back from the setup screen: the list is read again.
    void screenRevealed() override { controller_.viewDidAppear(); }

    // The rows, top first: each a map of ChargerTypeList's fields.
    Q_INVOKABLE QVariantList rows() const;
    // Where a row's card sits inside a row of `width` points.
    Q_INVOKABLE QRectF cardFrame(double width) const;

    Q_INVOKABLE void didSelectRow(int row);
    Q_INVOKABLE void didDeselectRow(int row);
    Q_INVOKABLE void deleteRow(int row);
    Q_INVOKABLE void addButtonTapped() { controller_.addButtonTapped(); }
    Q_INVOKABLE void saveAndPop() { controller_.saveAndPop(); }

    static double rowHeight() { return ChargerListVC::kRowHeight; }
    static double cornerRadius() { return ChargerTypeList::kCornerRadius; }
};

class SelectModelVCScreen : public ControllerScreen<SelectModelVC> {
    Q_OBJECT

public:
    explicit SelectModelVCScreen(ScreenDependencies dependencies);

    // Back from the value entry screen or the brand picker: the quick picks are read again.
    void screenRevealed() override { controller_.viewDidAppear(); }

    Q_INVOKABLE void typeButtonTapped(int position) { controller_.typeButtonTapped(position); }
    Q_INVOKABLE void brandButtonTapped(int position) { controller_.brandButtonTapped(position); }
    Q_INVOKABLE void wattButtonTapped(int position) { controller_.wattButtonTapped(position); }
    Q_INVOKABLE void ampButtonTapped(int position) { controller_.ampButtonTapped(position); }
    Q_INVOKABLE void portButtonTapped(int position) { controller_.portButtonTapped(position); }
    Q_INVOKABLE void addWattsButtonTapped() { controller_.addWattsButtonTapped(); }
    Q_INVOKABLE void addAmpButtonTapped() { controller_.addAmpButtonTapped(); }
    Q_INVOKABLE void addBrandButtonTapped() { controller_.addBrandButtonTapped(); }
};

class AddWattsVCScreen : public ControllerScreen<AddWattsVC> {
    Q_OBJECT

public:
    AddWattsVCScreen(ScreenDependencies dependencies, const ui::ScreenArguments& arguments);

    Q_INVOKABLE void edited() { controller_.edited(); }
    Q_INVOKABLE void returnKeyPressed() { controller_.returnKeyPressed(); }
};

class AddBrandVCScreen : public ControllerScreen<AddBrandVC> {
    Q_OBJECT
    Q_PROPERTY(double rowHeight READ rowHeight CONSTANT)
    Q_PROPERTY(double headerHeight READ headerHeight CONSTANT)
    Q_PROPERTY(double footerHeight READ footerHeight CONSTANT)

public:
    explicit AddBrandVCScreen(ScreenDependencies dependencies);

    // The table as one list, top first: for each shown section a "header" entry (title,
    // backgroundColorName), its "row" entries (section, row, brandName,
    // selectedBackgroundColorName) and a "footer" entry; each with its height.
    Q_INVOKABLE QVariantList entries() const;
    // The letters of the section index, whatever the search.
    Q_INVOKABLE QStringList sectionIndexTitles() const;
    // The position in entries() of the header that an index entry leads to; -1 for none.
    Q_INVOKABLE int entryForSectionIndex(int index) const;

    Q_INVOKABLE void searchBarTextDidChange(const QString& text) {
        controller_.searchBarTextDidChange(text.toStdString());
    }
    Q_INVOKABLE void searchBarSearchButtonClicked() { controller_.searchBarSearchButtonClicked(); }
    Q_INVOKABLE void didSelectRow(int section, int row);

    static double rowHeight() { return AddBrandVC::kRowHeight; }
    static double headerHeight() { return AddBrandVC::kHeaderHeight; }
    static double footerHeight() { return AddBrandVC::kFooterHeight; }
};

}  // namespace voltaro::app
