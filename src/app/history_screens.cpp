#include "app/history_screens.h"


#include "app/screen_dependencies.h"
#include "app/web_engine.h"

namespace voltaro::app {
namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

QVariantMap headerMap(const TestResultHeaderView& header) {
    return {
        {"unknownCharger", header.unknownCharger}, {"brandText", fromStd(header.brandText)},
        {"wattText", fromStd(header.wattText)},    {"dateText", fromStd(header.dateText)},
        {"dateHidden", header.dateHidden},
    };
}

QVariantMap cellMap(const TestResultCell& cell) {
    return {
        {"wattText", fromStd(cell.wattText)},
        {"mahText", fromStd(cell.mahText)},
        {"timeText", fromStd(cell.timeText)},
        {"startLevel", fromStd(cell.startLevel)},
        {"finishLevel", fromStd(cell.finishLevel)},
        {"wattTextColorName", fromStd(cell.wattTextColorName)},
        {"wattBorderColorName", fromStd(cell.wattBorderColorName)},
    };
}

}  // namespace

TestRecordsTableModel::TestRecordsTableModel(const TestRecordsVC& controller, QObject* parent)
    : QAbstractListModel(parent), controller_(controller) {}

int TestRecordsTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(controller_.numberOfSections());
}

QVariant TestRecordsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto section = static_cast<size_t>(index.row());
    if (role == TestHeaderRole) return headerMap(controller_.header(section));
    if (role == TestRowsRole) {
        QVariantList rows;
        for (size_t row = 0; row < controller_.numberOfRows(section); ++row) {
            rows.push_back(cellMap(controller_.cell(section, row)));
        }
        return rows;
    }
    return {};
}

QHash<int, QByteArray> TestRecordsTableModel::roleNames() const {
    return {{TestHeaderRole, "testHeader"}, {TestRowsRole, "testRows"}};
}

void TestRecordsTableModel::reload() {
    // The same tests again (back from the charger list or the form): their contents change in
    // place, so the list keeps its scroll position as a table's reload does.
    const int count = rowCount();
    if (count == shownCount_) {
        if (count > 0) emit dataChanged(index(0), index(count - 1));
        return;
    }
    beginResetModel();
    shownCount_ = count;
    endResetModel();
}

TestRecordsVCScreen::TestRecordsVCScreen(ui::Services& services, RatingPrompt& rating)
    : ControllerScreen(this, "TestRecordsVC.qml", services, rating) {
    connect(outlets_.adapter<qt::TableAdapter>(QStringLiteral("tableView")),
            &qt::TableAdapter::reloaded, &tests_, &TestRecordsTableModel::reload);
}

void TestRecordsVCScreen::handleTap(int section) {
    if (section >= 0) controller_.handleTap(static_cast<size_t>(section));
}

void TestRecordsVCScreen::curveButtonTapped(int section, int row) {
    if (section >= 0 && row >= 0) {
        controller_.curveButtonTapped(static_cast<size_t>(section), static_cast<size_t>(row));
    }
}

FeedbackVCScreen::FeedbackVCScreen(ui::Services& services, bool webViewAvailable)
    : ControllerScreen(this, "FeedbackVC.qml", services, webViewAvailable),
      webViewAvailable_(webViewAvailable) {}

void registerHistoryScreens(qt::QtNavigator& navigator, ScreenDependencies dependencies) {
    navigator.registerScreen("TestRecordsVC", [dependencies](const ui::ScreenArguments&) {
        return std::make_unique<TestRecordsVCScreen>(dependencies.services, dependencies.rating);
    });
    navigator.registerScreen("FeedbackVC", [dependencies](const ui::ScreenArguments&) {
        return std::make_unique<FeedbackVCScreen>(dependencies.services,
                                                  embeddedWebViewAvailable());
    });
}

}  // namespace voltaro::app
