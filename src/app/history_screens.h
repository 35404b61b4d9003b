#pragma once

#include <QAbstractListModel>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_navigator.h"
#include "screens/feedback_vc.h"
#include "screens/test_records_vc.h"

// The QML faces of the history screen and the feedback screen, and the adapters of the outlet
// kinds only they use. The pages reach everything through their `screen` property, so none of
// these types needs a QML registration of its own.

namespace voltaro::app {

// The history title: a label whose font size the screen sets (0: the size the page gives it).
class HistoryTitleAdapter : public qt::LabelAdapter {
    Q_OBJECT
    Q_PROPERTY(double pointSize READ pointSize NOTIFY pointSizeChanged)

public:
    explicit HistoryTitleAdapter(ui::Label& label, QObject* parent = nullptr);

    double pointSize() const { return pointSize_; }

signals:
    void pointSizeChanged();

protected:
    void refresh() override;

private:
    ui::Label& label_;
    double pointSize_;
};

// A spinner: shown while `animating`.
class ActivityIndicatorAdapter : public qt::ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(bool animating READ animating NOTIFY animatingChanged)

public:
    explicit ActivityIndicatorAdapter(ui::ActivityIndicator& indicator, QObject* parent = nullptr);

    bool animating() const { return animating_; }

signals:
    void animatingChanged();

protected:
    void refresh() override;

private:
    ui::ActivityIndicator& indicator_;
    bool animating_;
};

// An embedded web page: the address to load and where it goes; its size is the view's.
class WebViewAdapter : public qt::ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(QString url READ url NOTIFY urlChanged)
    Q_PROPERTY(double x READ x NOTIFY frameChanged)
    Q_PROPERTY(double y READ y NOTIFY frameChanged)
    Q_PROPERTY(bool scrollEnabled READ scrollEnabled NOTIFY scrollEnabledChanged)
    Q_PROPERTY(bool opaque READ opaque NOTIFY opaqueChanged)

public:
    explicit WebViewAdapter(ui::WebView& webView, QObject* parent = nullptr);

    QString url() const { return url_; }
    double x() const { return x_; }
    double y() const { return y_; }
    bool scrollEnabled() const { return scrollEnabled_; }
    bool opaque() const { return opaque_; }

signals:
    void urlChanged();
    void frameChanged();
    void scrollEnabledChanged();
    void opaqueChanged();

protected:
    void refresh() override;

private:
    ui::WebView& webView_;
    QString url_;
    double x_;
    double y_;
    bool scrollEnabled_;
    bool opaque_;
};

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

class TestRecordsVCScreen : public qt::QtScreen {
    Q_OBJECT
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::TableAdapter* tableView READ tableView CONSTANT)
    Q_PROPERTY(voltaro::app::HistoryTitleAdapter* titleLabel READ titleLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* topConstraint READ topConstraint CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* leftConstraint READ leftConstraint CONSTANT)
    Q_PROPERTY(
        voltaro::qt::ConstraintAdapter* titleColumnConstraint READ titleColumnConstraint CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* topView READ topView CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* downView READ downView CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* backButton READ backButton CONSTANT)
    Q_PROPERTY(QAbstractListModel* tests READ tests CONSTANT)
    // The table's metrics, in points.
    Q_PROPERTY(double rowHeight READ rowHeight CONSTANT)
    Q_PROPERTY(double headerHeight READ headerHeight CONSTANT)
    Q_PROPERTY(double footerHeight READ footerHeight CONSTANT)
    Q_PROPERTY(double cornerRadius READ cornerRadius CONSTANT)

public:
    TestRecordsVCScreen(ui::Services& services, RatingPrompt& rating);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }
    void viewDidAppear() override { controller_.viewDidAppear(); }
    // Back from the saved charger list or the feedback form: the history may have changed.
    void screenRevealed() override { controller_.viewDidAppear(); }

    TestRecordsVC& controller() { return controller_; }

    Q_INVOKABLE void backButtonTapped() { controller_.backButtonTapped(); }
    Q_INVOKABLE void pop() { controller_.pop(); }
    Q_INVOKABLE void rateButtonTapped() { controller_.rateButtonTapped(); }
    Q_INVOKABLE void settingButtonTapped() { controller_.settingButtonTapped(); }
    Q_INVOKABLE void feedbackButtonTapped() { controller_.feedbackButtonTapped(); }
    Q_INVOKABLE void removeButtonTapped() { controller_.removeButtonTapped(); }
    Q_INVOKABLE void handleTap(int section);
    Q_INVOKABLE void curveButtonTapped(int section, int row);
    Q_INVOKABLE void scrollViewWillBeginDragging(double contentOffsetY) {
        controller_.scrollViewWillBeginDragging(contentOffsetY);
    }
    Q_INVOKABLE void scrollViewDidScroll(double contentOffsetY) {
        controller_.scrollViewDidScroll(contentOffsetY);
    }

    qt::ViewAdapter* view() { return &view_; }
    qt::TableAdapter* tableView() { return &tableView_; }
    HistoryTitleAdapter* titleLabel() { return &titleLabel_; }
    qt::ConstraintAdapter* topConstraint() { return &topConstraint_; }
    qt::ConstraintAdapter* leftConstraint() { return &leftConstraint_; }
    qt::ConstraintAdapter* titleColumnConstraint() { return &titleColumnConstraint_; }
    qt::ViewAdapter* topView() { return &topView_; }
    qt::ViewAdapter* downView() { return &downView_; }
    qt::ButtonAdapter* backButton() { return &backButton_; }
    QAbstractListModel* tests() { return &tests_; }
    static double rowHeight() { return TestRecordsVC::kRowHeight; }
    static double headerHeight() { return TestRecordsVC::kHeaderHeight; }
    static double footerHeight() { return TestRecordsVC::kFooterHeight; }
    static double cornerRadius() { return TestRecordsVC::kCornerRadius; }

private:
    // The adapters come after the controller, so they go before its outlets do.
    TestRecordsVC controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::TableAdapter tableView_{controller_.tableView};
    HistoryTitleAdapter titleLabel_{controller_.titleLabel};
    qt::ConstraintAdapter topConstraint_{controller_.topConstraint};
    qt::ConstraintAdapter leftConstraint_{controller_.leftConstraint};
    qt::ConstraintAdapter titleColumnConstraint_{controller_.titleColumnConstraint};
    qt::ViewAdapter topView_{controller_.topView};
    qt::ViewAdapter downView_{controller_.downView};
    qt::ButtonAdapter backButton_{controller_.backButton};
    TestRecordsTableModel tests_{controller_};
};

class FeedbackVCScreen : public qt::QtScreen {
    Q_OBJECT
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* topView READ topView CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* downView READ downView CONSTANT)
    Q_PROPERTY(voltaro::app::WebViewAdapter* webView READ webView CONSTANT)
    Q_PROPERTY(
        voltaro::app::ActivityIndicatorAdapter* activityIndicator READ activityIndicator CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* messageLabel READ messageLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* browserButton READ browserButton CONSTANT)
    // Whether the page can embed the form (the QtWebEngine QML module is there to do it).
    Q_PROPERTY(bool webViewAvailable READ webViewAvailable CONSTANT)

public:
    FeedbackVCScreen(ui::Services& services, bool webViewAvailable);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }

    FeedbackVC& controller() { return controller_; }
    bool webViewAvailable() const { return webViewAvailable_; }

    Q_INVOKABLE void backButtonTapped() { controller_.backButtonTapped(); }
    Q_INVOKABLE void browserButtonTapped() { controller_.browserButtonTapped(); }
    Q_INVOKABLE void webViewDidFinishNavigation() { controller_.webViewDidFinishNavigation(); }
    Q_INVOKABLE void webViewDidFailNavigation() { controller_.webViewDidFailNavigation(); }
    Q_INVOKABLE void webViewDidFailProvisionalNavigation() {
        controller_.webViewDidFailProvisionalNavigation();
    }

    qt::ViewAdapter* view() { return &view_; }
    qt::ViewAdapter* topView() { return &topView_; }
    qt::ViewAdapter* downView() { return &downView_; }
    WebViewAdapter* webView() { return &webView_; }
    ActivityIndicatorAdapter* activityIndicator() { return &activityIndicator_; }
    qt::LabelAdapter* messageLabel() { return &messageLabel_; }
    qt::ButtonAdapter* browserButton() { return &browserButton_; }

private:
    bool webViewAvailable_;
    FeedbackVC controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::ViewAdapter topView_{controller_.topView};
    qt::ViewAdapter downView_{controller_.downView};
    WebViewAdapter webView_{controller_.webView};
    ActivityIndicatorAdapter activityIndicator_{controller_.activityIndicator};
    qt::LabelAdapter messageLabel_{controller_.messageLabel};
    qt::ButtonAdapter browserButton_{controller_.browserButton};
};

}  // namespace voltaro::app
