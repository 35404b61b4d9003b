#pragma once

#include <QAbstractListModel>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include "app/controller_screen.h"
#include "screens/feedback_vc.h"
#include "screens/test_records_vc.h"

// The QML faces of the history screen and the feedback screen.

namespace voltaro::app {

// The history table for a ListView: one entry per test (section), newest first, with its header
// (`testHeader`, a map of TestResultHeaderView's fields) and its rows (`testRows`, a list of maps
// of TestResultCell's fields). Reset whenever the screen reloads its table.
class TestRecordsTableModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { TestHeaderRole = Qt::UserRole + 1, TestRowsRole };

    explicit TestRecordsTableModel(const TestRecordsVC& controller, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void reload();

private:
    const TestRecordsVC& controller_;
    int shownCount_ = 0;  // tests in the model since the last reset
};

class TestRecordsVCScreen : public ControllerScreen<TestRecordsVC> {
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* tests READ tests CONSTANT)
    // The table's metrics, in points.
    Q_PROPERTY(double rowHeight READ rowHeight CONSTANT)
    Q_PROPERTY(double headerHeight READ headerHeight CONSTANT)
    Q_PROPERTY(double footerHeight READ footerHeight CONSTANT)
    Q_PROPERTY(double cornerRadius READ cornerRadius CONSTANT)

public:
    TestRecordsVCScreen(ui::Services& services, RatingPrompt& rating);

    // Back from the saved charger list or the feedback form: the history may have changed.
    void screenRevealed() override { controller_.viewDidAppear(); }

    Q_INVOKABLE void rateButtonTapped() { controller_.rateButtonTapped(); }
    Q_INVOKABLE void settingButtonTapped() { controller_.settingButtonTapped(); }
    Q_INVOKABLE void feedbackButtonTapped() { controller_.feedbackButtonTapped(); }
    Q_INVOKABLE void removeButtonTapped() { controller_.removeButtonTapped(); }
    Q_INVOKABLE void handleTap(int section);
    Q_INVOKABLE void curveButtonTapped(int section, int row);

    QAbstractListModel* tests() { return &tests_; }
    static double rowHeight() { return TestRecordsVC::kRowHeight; }
    static double headerHeight() { return TestRecordsVC::kHeaderHeight; }
    static double footerHeight() { return TestRecordsVC::kFooterHeight; }
    static double cornerRadius() { return TestRecordsVC::kCornerRadius; }

private:
    TestRecordsTableModel tests_{controller_};
};

class FeedbackVCScreen : public ControllerScreen<FeedbackVC> {
    Q_OBJECT
    // Whether the page can embed the form (the QtWebEngine QML module is there to do it).
    Q_PROPERTY(bool webViewAvailable READ webViewAvailable CONSTANT)

public:
    FeedbackVCScreen(ui::Services& services, bool webViewAvailable);

    bool webViewAvailable() const { return webViewAvailable_; }

    Q_INVOKABLE void browserButtonTapped() { controller_.browserButtonTapped(); }
    Q_INVOKABLE void webViewDidFinishNavigation() { controller_.webViewDidFinishNavigation(); }
    Q_INVOKABLE void webViewDidFailNavigation() { controller_.webViewDidFailNavigation(); }
    Q_INVOKABLE void webViewDidFailProvisionalNavigation() {
        controller_.webViewDidFailProvisionalNavigation();
    }

private:
    bool webViewAvailable_;
};

}  // namespace voltaro::app
