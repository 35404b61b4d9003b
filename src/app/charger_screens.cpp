#include "app/charger_screens.h"

#include <memory>
#include <utility>

namespace voltaro::app {
namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// A row or section number from QML: negative ones stand for nothing.
bool toIndex(int value, size_t& index) {
    if (value < 0) return false;
    index = static_cast<size_t>(value);
    return true;
}

ChargerListVC::UploadChargerConfig uploadThrough(SessionWiring& wiring) {
    return
        [&wiring](const std::map<std::string, double>& config, std::function<void()> completion) {
            wiring.utility().uploadChargerConfig(config, std::move(completion));
        };
}

}  // namespace

ChargerListVCScreen::ChargerListVCScreen(ScreenDependencies dependencies,
                                         const ui::ScreenArguments& arguments)
    : ControllerScreen(this, "ChargerListVC.qml", dependencies.services, dependencies.preferences,
                       dependencies.loop, uploadThrough(dependencies.wiring), arguments) {}

QVariantList ChargerListVCScreen::rows() const {
    QVariantList list;
    for (size_t row = 0; row < controller_.numberOfRows(); ++row) {
        const ChargerTypeList cell = controller_.cell(row);
        list.push_back(QVariantMap{
            {QStringLiteral("brandText"), fromStd(cell.brandText)},
            {QStringLiteral("wattText"), fromStd(cell.wattText)},
            {QStringLiteral("portText"), fromStd(cell.portText)},
            {QStringLiteral("checked"), cell.checked},
            {QStringLiteral("textColorName"), fromStd(cell.textColorName)},
            {QStringLiteral("selectedBackgroundColorName"),
             fromStd(cell.selectedBackgroundColorName)},
            {QStringLiteral("canEdit"), controller_.canEditRow(row)},
        });
    }
    return list;
}

QRectF ChargerListVCScreen::cardFrame(double width) const {
    const ui::Rect frame = ChargerTypeList::insetFrame({0, 0, width, ChargerListVC::kRowHeight});
    return {frame.x, frame.y, frame.width, frame.height};
}

void ChargerListVCScreen::didSelectRow(int row) {
    if (size_t index = 0; toIndex(row, index)) controller_.didSelectRow(index);
}

void ChargerListVCScreen::didDeselectRow(int row) {
    if (size_t index = 0; toIndex(row, index)) controller_.didDeselectRow(index);
}

void ChargerListVCScreen::deleteRow(int row) {
    if (size_t index = 0; toIndex(row, index)) controller_.deleteRow(index);
}

SelectModelVCScreen::SelectModelVCScreen(ScreenDependencies dependencies)
    : ControllerScreen(this, "SelectModelVC.qml", dependencies.services, dependencies.preferences,
                       dependencies.loop) {}

AddWattsVCScreen::AddWattsVCScreen(ScreenDependencies dependencies,
                                   const ui::ScreenArguments& arguments)
    : ControllerScreen(this, "AddWattsVC.qml", dependencies.services, dependencies.preferences,
                       arguments) {}

AddBrandVCScreen::AddBrandVCScreen(ScreenDependencies dependencies)
    : ControllerScreen(this, "AddBrandVC.qml", dependencies.services, dependencies.preferences) {}

QVariantList AddBrandVCScreen::entries() const {
    QVariantList list;
    for (size_t section = 0; section < controller_.numberOfSections(); ++section) {
        const BrandSectionHeader header = controller_.header(section);
        list.push_back(QVariantMap{
            {QStringLiteral("kind"), QStringLiteral("header")},
            {QStringLiteral("section"), static_cast<int>(section)},
            {QStringLiteral("row"), -1},
            {QStringLiteral("height"), AddBrandVC::kHeaderHeight},
            {QStringLiteral("title"), fromStd(header.title)},
            {QStringLiteral("backgroundColorName"), fromStd(header.backgroundColorName)},
        });
        const size_t rows = controller_.numberOfRows(section);
        for (size_t row = 0; row < rows; ++row) {
            const BrandCell cell = controller_.cell(section, row);
            list.push_back(QVariantMap{
                {QStringLiteral("kind"), QStringLiteral("row")},
                {QStringLiteral("section"), static_cast<int>(section)},
                {QStringLiteral("row"), static_cast<int>(row)},
                {QStringLiteral("height"), AddBrandVC::kRowHeight},
                {QStringLiteral("brandName"), fromStd(cell.brandName)},
                {QStringLiteral("selectedBackgroundColorName"),
                 fromStd(cell.selectedBackgroundColorName)},
                {QStringLiteral("lastInSection"), row + 1 == rows},
            });
        }
        list.push_back(QVariantMap{
            {QStringLiteral("kind"), QStringLiteral("footer")},
            {QStringLiteral("section"), static_cast<int>(section)},
            {QStringLiteral("row"), -1},
            {QStringLiteral("height"), AddBrandVC::kFooterHeight},
        });
    }
    return list;
}

QStringList AddBrandVCScreen::sectionIndexTitles() const {
    QStringList titles;
    for (const std::string& title : controller_.sectionIndexTitles())
        titles.push_back(fromStd(title));
    return titles;
}

int AddBrandVCScreen::entryForSectionIndex(int index) const {
    size_t position = 0;
    if (!toIndex(index, position)) return -1;
    const std::optional<size_t> shown = controller_.sectionForSectionIndex(position);
    if (!shown) return -1;
    // Each section before it takes its header, its rows and its footer.
    size_t entry = 0;
    for (size_t section = 0; section < *shown; ++section) {
        entry += controller_.numberOfRows(section) + 2;
    }
    return static_cast<int>(entry);
}

void AddBrandVCScreen::didSelectRow(int section, int row) {
    size_t sectionIndex = 0;
    size_t rowIndex = 0;
    if (toIndex(section, sectionIndex) && toIndex(row, rowIndex)) {
        controller_.didSelectRow(sectionIndex, rowIndex);
    }
}

void registerChargerScreens(qt::QtNavigator& navigator, ScreenDependencies dependencies) {
    navigator.registerScreen("ChargerListVC", [dependencies](const ui::ScreenArguments& arguments) {
        return std::make_unique<ChargerListVCScreen>(dependencies, arguments);
    });
    navigator.registerScreen("SelectModelVC", [dependencies](const ui::ScreenArguments&) {
        return std::make_unique<SelectModelVCScreen>(dependencies);
    });
    navigator.registerScreen("AddWattsVC", [dependencies](const ui::ScreenArguments& arguments) {
        return std::make_unique<AddWattsVCScreen>(dependencies, arguments);
    });
    navigator.registerScreen("AddBrandVC", [dependencies](const ui::ScreenArguments&) {
        return std::make_unique<AddBrandVCScreen>(dependencies);
    });
}

}  // namespace voltaro::app
