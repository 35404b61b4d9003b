#pragma once

#include <QtQml/qqmlregistration.h>

#include <QRectF>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include "app/screen_dependencies.h"
#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_navigator.h"
#include "screens/add_brand_vc.h"
#include "screens/add_watts_vc.h"
#include "screens/charger_list_vc.h"
#include "screens/select_model_vc.h"

namespace voltaro::app {

// A label whose font size its screen sets (in points; 0 keeps the size of the scene).
class SizedLabelAdapter : public qt::LabelAdapter {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
    Q_PROPERTY(double pointSize READ pointSize NOTIFY pointSizeChanged)

public:
    explicit SizedLabelAdapter(ui::Label& label, QObject* parent = nullptr);

    double pointSize() const { return pointSize_; }

signals:
    void pointSizeChanged();

protected:
    void refresh() override;

private:
    ui::Label& sizedLabel_;
    double pointSize_;
};

// The QML faces of the charger screens: each outlet as an adapter property, each action as an
// invokable method, and the rows of their tables as lists of maps that the pages ask for again
// whenever the table adapter reports a reload.

class ChargerListVCScreen : public qt::QtScreen {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The navigator makes the screens.")
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* backButton READ backButton CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* addButton READ addButton CONSTANT)
    Q_PROPERTY(voltaro::qt::TableAdapter* tableView READ tableView CONSTANT)
    Q_PROPERTY(voltaro::app::SizedLabelAdapter* titleLabel READ titleLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* tableTopConstraint READ tableTopConstraint CONSTANT)
    Q_PROPERTY(
        voltaro::qt::ConstraintAdapter* titleLeftConstraint READ titleLeftConstraint CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* titleTopConstraint READ titleTopConstraint CONSTANT)
    Q_PROPERTY(double rowHeight READ rowHeight CONSTANT)
    Q_PROPERTY(double cornerRadius READ cornerRadius CONSTANT)

public:
    ChargerListVCScreen(ScreenDependencies dependencies, const ui::ScreenArguments& arguments);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }
    void viewDidAppear() override { controller_.viewDidAppear(); }
    // Back from the setup screen: the list is read again.
    void screenRevealed() override { controller_.viewDidAppear(); }

    ChargerListVC& controller() { return controller_; }

    // The rows, top first: each a map of ChargerTypeList's fields.
    Q_INVOKABLE QVariantList rows() const;
    // Where a row's card sits inside a row of `width` points.
    Q_INVOKABLE QRectF cardFrame(double width) const;

    Q_INVOKABLE void didSelectRow(int row);
    Q_INVOKABLE void didDeselectRow(int row);
    Q_INVOKABLE void deleteRow(int row);
    Q_INVOKABLE void addButtonTapped() { controller_.addButtonTapped(); }
    Q_INVOKABLE void backButtonTapped() { controller_.backButtonTapped(); }
    Q_INVOKABLE void saveAndPop() { controller_.saveAndPop(); }
    Q_INVOKABLE void pop() { controller_.pop(); }
    Q_INVOKABLE void scrollViewWillBeginDragging(double contentOffsetY) {
        controller_.scrollViewWillBeginDragging(contentOffsetY);
    }
    Q_INVOKABLE void scrollViewDidScroll(double contentOffsetY) {
        controller_.scrollViewDidScroll(contentOffsetY);
    }

    qt::ViewAdapter* view() { return &view_; }
    qt::ButtonAdapter* backButton() { return &backButton_; }
    qt::ButtonAdapter* addButton() { return &addButton_; }
    qt::TableAdapter* tableView() { return &tableView_; }
    SizedLabelAdapter* titleLabel() { return &titleLabel_; }
    qt::ConstraintAdapter* tableTopConstraint() { return &tableTopConstraint_; }
    qt::ConstraintAdapter* titleLeftConstraint() { return &titleLeftConstraint_; }
    qt::ConstraintAdapter* titleTopConstraint() { return &titleTopConstraint_; }
    static double rowHeight() { return ChargerListVC::kRowHeight; }
    static double cornerRadius() { return ChargerTypeList::kCornerRadius; }

private:
    // The adapters come after the controller, so they go before its outlets do.
    ChargerListVC controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::ButtonAdapter backButton_{controller_.backButton};
    qt::ButtonAdapter addButton_{controller_.addButton};
    qt::TableAdapter tableView_{controller_.tableView};
    SizedLabelAdapter titleLabel_{controller_.titleLabel};
    qt::ConstraintAdapter tableTopConstraint_{controller_.tableTopConstraint};
    qt::ConstraintAdapter titleLeftConstraint_{controller_.titleLeftConstraint};
    qt::ConstraintAdapter titleTopConstraint_{controller_.titleTopConstraint};
};

class SelectModelVCScreen : public qt::QtScreen {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The navigator makes the screens.")
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* titleLabel READ titleLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* typeCaptionLabel READ typeCaptionLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* brandCaptionLabel READ brandCaptionLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* portCaptionLabel READ portCaptionLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* typeButton1 READ typeButton1 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* typeButton2 READ typeButton2 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* typeButton3 READ typeButton3 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* brandButton1 READ brandButton1 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* brandButton2 READ brandButton2 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* brandButton3 READ brandButton3 CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* brandButton1Width READ brandButton1Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* brandButton2Width READ brandButton2Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* brandButton3Width READ brandButton3Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* wattView READ wattView CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* wattButton1 READ wattButton1 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* wattButton2 READ wattButton2 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* wattButton3 READ wattButton3 CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* wattButton1Width READ wattButton1Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* wattButton2Width READ wattButton2Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* wattButton3Width READ wattButton3Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* ampView READ ampView CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* ampButton1 READ ampButton1 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* ampButton2 READ ampButton2 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* ampButton3 READ ampButton3 CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* ampButton1Width READ ampButton1Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* ampButton2Width READ ampButton2Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* ampButton3Width READ ampButton3Width CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* typeLabel READ typeLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* portButton1 READ portButton1 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* portButton2 READ portButton2 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* portButton3 READ portButton3 CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* addButton READ addButton CONSTANT)

public:
    explicit SelectModelVCScreen(ScreenDependencies dependencies);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }
    void viewDidAppear() override { controller_.viewDidAppear(); }
    // Back from the value entry screen or the brand picker: the quick picks are read again.
    void screenRevealed() override { controller_.viewDidAppear(); }

    SelectModelVC& controller() { return controller_; }

    Q_INVOKABLE void typeButtonTapped(int position) { controller_.typeButtonTapped(position); }
    Q_INVOKABLE void brandButtonTapped(int position) { controller_.brandButtonTapped(position); }
    Q_INVOKABLE void wattButtonTapped(int position) { controller_.wattButtonTapped(position); }
    Q_INVOKABLE void ampButtonTapped(int position) { controller_.ampButtonTapped(position); }
    Q_INVOKABLE void portButtonTapped(int position) { controller_.portButtonTapped(position); }
    Q_INVOKABLE void saveButtonTapped() { controller_.saveButtonTapped(); }
    Q_INVOKABLE void addWattsButtonTapped() { controller_.addWattsButtonTapped(); }
    Q_INVOKABLE void addAmpButtonTapped() { controller_.addAmpButtonTapped(); }
    Q_INVOKABLE void addBrandButtonTapped() { controller_.addBrandButtonTapped(); }
    Q_INVOKABLE void backButtonTapped() { controller_.backButtonTapped(); }
    Q_INVOKABLE void pop() { controller_.pop(); }

    qt::ViewAdapter* view() { return &view_; }
    qt::LabelAdapter* titleLabel() { return &titleLabel_; }
    qt::LabelAdapter* typeCaptionLabel() { return &typeCaptionLabel_; }
    qt::LabelAdapter* brandCaptionLabel() { return &brandCaptionLabel_; }
    qt::LabelAdapter* portCaptionLabel() { return &portCaptionLabel_; }
    qt::ButtonAdapter* typeButton1() { return &typeButton1_; }
    qt::ButtonAdapter* typeButton2() { return &typeButton2_; }
    qt::ButtonAdapter* typeButton3() { return &typeButton3_; }
    qt::ButtonAdapter* brandButton1() { return &brandButton1_; }
    qt::ButtonAdapter* brandButton2() { return &brandButton2_; }
    qt::ButtonAdapter* brandButton3() { return &brandButton3_; }
    qt::ConstraintAdapter* brandButton1Width() { return &brandButton1Width_; }
    qt::ConstraintAdapter* brandButton2Width() { return &brandButton2Width_; }
    qt::ConstraintAdapter* brandButton3Width() { return &brandButton3Width_; }
    qt::ViewAdapter* wattView() { return &wattView_; }
    qt::ButtonAdapter* wattButton1() { return &wattButton1_; }
    qt::ButtonAdapter* wattButton2() { return &wattButton2_; }
    qt::ButtonAdapter* wattButton3() { return &wattButton3_; }
    qt::ConstraintAdapter* wattButton1Width() { return &wattButton1Width_; }
    qt::ConstraintAdapter* wattButton2Width() { return &wattButton2Width_; }
    qt::ConstraintAdapter* wattButton3Width() { return &wattButton3Width_; }
    qt::ViewAdapter* ampView() { return &ampView_; }
    qt::ButtonAdapter* ampButton1() { return &ampButton1_; }
    qt::ButtonAdapter* ampButton2() { return &ampButton2_; }
    qt::ButtonAdapter* ampButton3() { return &ampButton3_; }
    qt::ConstraintAdapter* ampButton1Width() { return &ampButton1Width_; }
    qt::ConstraintAdapter* ampButton2Width() { return &ampButton2Width_; }
    qt::ConstraintAdapter* ampButton3Width() { return &ampButton3Width_; }
    qt::LabelAdapter* typeLabel() { return &typeLabel_; }
    qt::ButtonAdapter* portButton1() { return &portButton1_; }
    qt::ButtonAdapter* portButton2() { return &portButton2_; }
    qt::ButtonAdapter* portButton3() { return &portButton3_; }
    qt::ButtonAdapter* addButton() { return &addButton_; }

private:
    SelectModelVC controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::LabelAdapter titleLabel_{controller_.titleLabel};
    qt::LabelAdapter typeCaptionLabel_{controller_.typeCaptionLabel};
    qt::LabelAdapter brandCaptionLabel_{controller_.brandCaptionLabel};
    qt::LabelAdapter portCaptionLabel_{controller_.portCaptionLabel};
    qt::ButtonAdapter typeButton1_{controller_.typeButton1};
    qt::ButtonAdapter typeButton2_{controller_.typeButton2};
    qt::ButtonAdapter typeButton3_{controller_.typeButton3};
    qt::ButtonAdapter brandButton1_{controller_.brandButton1};
    qt::ButtonAdapter brandButton2_{controller_.brandButton2};
    qt::ButtonAdapter brandButton3_{controller_.brandButton3};
    qt::ConstraintAdapter brandButton1Width_{controller_.brandButton1Width};
    qt::ConstraintAdapter brandButton2Width_{controller_.brandButton2Width};
    qt::ConstraintAdapter brandButton3Width_{controller_.brandButton3Width};
    qt::ViewAdapter wattView_{controller_.wattView};
    qt::ButtonAdapter wattButton1_{controller_.wattButton1};
    qt::ButtonAdapter wattButton2_{controller_.wattButton2};
    qt::ButtonAdapter wattButton3_{controller_.wattButton3};
    qt::ConstraintAdapter wattButton1Width_{controller_.wattButton1Width};
    qt::ConstraintAdapter wattButton2Width_{controller_.wattButton2Width};
    qt::ConstraintAdapter wattButton3Width_{controller_.wattButton3Width};
    qt::ViewAdapter ampView_{controller_.ampView};
    qt::ButtonAdapter ampButton1_{controller_.ampButton1};
    qt::ButtonAdapter ampButton2_{controller_.ampButton2};
    qt::ButtonAdapter ampButton3_{controller_.ampButton3};
    qt::ConstraintAdapter ampButton1Width_{controller_.ampButton1Width};
    qt::ConstraintAdapter ampButton2Width_{controller_.ampButton2Width};
    qt::ConstraintAdapter ampButton3Width_{controller_.ampButton3Width};
    qt::LabelAdapter typeLabel_{controller_.typeLabel};
    qt::ButtonAdapter portButton1_{controller_.portButton1};
    qt::ButtonAdapter portButton2_{controller_.portButton2};
    qt::ButtonAdapter portButton3_{controller_.portButton3};
    qt::ButtonAdapter addButton_{controller_.addButton};
};

class AddWattsVCScreen : public qt::QtScreen {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The navigator makes the screens.")
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::TextFieldAdapter* inputTextField READ inputTextField CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* wTextField READ wTextField CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* saveButton READ saveButton CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* titleLabel READ titleLabel CONSTANT)

public:
    AddWattsVCScreen(ScreenDependencies dependencies, const ui::ScreenArguments& arguments);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }

    AddWattsVC& controller() { return controller_; }

    Q_INVOKABLE void edited() { controller_.edited(); }
    Q_INVOKABLE void saveButtonTapped() { controller_.saveButtonTapped(); }
    Q_INVOKABLE void returnKeyPressed() { controller_.returnKeyPressed(); }
    Q_INVOKABLE void backButtonTapped() { controller_.backButtonTapped(); }
    Q_INVOKABLE void pop() { controller_.pop(); }

    qt::ViewAdapter* view() { return &view_; }
    qt::TextFieldAdapter* inputTextField() { return &inputTextField_; }
    qt::LabelAdapter* wTextField() { return &wTextField_; }
    qt::ButtonAdapter* saveButton() { return &saveButton_; }
    qt::LabelAdapter* titleLabel() { return &titleLabel_; }

private:
    AddWattsVC controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::TextFieldAdapter inputTextField_{controller_.inputTextField};
    qt::LabelAdapter wTextField_{controller_.wTextField};
    qt::ButtonAdapter saveButton_{controller_.saveButton};
    qt::LabelAdapter titleLabel_{controller_.titleLabel};
};

class AddBrandVCScreen : public qt::QtScreen {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The navigator makes the screens.")
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* titleLabel READ titleLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::TextFieldAdapter* searchBar READ searchBar CONSTANT)
    Q_PROPERTY(voltaro::qt::TableAdapter* tableView READ tableView CONSTANT)
    Q_PROPERTY(double rowHeight READ rowHeight CONSTANT)
    Q_PROPERTY(double headerHeight READ headerHeight CONSTANT)
    Q_PROPERTY(double footerHeight READ footerHeight CONSTANT)

public:
    explicit AddBrandVCScreen(ScreenDependencies dependencies);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }

    AddBrandVC& controller() { return controller_; }

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
    Q_INVOKABLE void backButtonTapped() { controller_.backButtonTapped(); }
    Q_INVOKABLE void pop() { controller_.pop(); }

    qt::ViewAdapter* view() { return &view_; }
    qt::LabelAdapter* titleLabel() { return &titleLabel_; }
    qt::TextFieldAdapter* searchBar() { return &searchBar_; }
    qt::TableAdapter* tableView() { return &tableView_; }
    static double rowHeight() { return AddBrandVC::kRowHeight; }
    static double headerHeight() { return AddBrandVC::kHeaderHeight; }
    static double footerHeight() { return AddBrandVC::kFooterHeight; }

private:
    AddBrandVC controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::LabelAdapter titleLabel_{controller_.titleLabel};
    qt::TextFieldAdapter searchBar_{controller_.searchBar};
    qt::TableAdapter tableView_{controller_.tableView};
};

}  // namespace voltaro::app
