#pragma once

#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_navigator.h"
#include "screens/charge_curve_vc.h"

// The QML face of the charge curve screen. The page reaches everything through its `screen`
// property.

namespace voltaro::app {

class ChargeCurveVCScreen : public qt::QtScreen {
    Q_OBJECT
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* backButton READ backButton CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* titleLabel READ titleLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* dateLabel READ dateLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* wattLabel READ wattLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* mahLabel READ mahLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* timeLabel READ timeLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* levelsLabel READ levelsLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* durationLabel READ durationLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* noteLabel READ noteLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::TableAdapter* chartView READ chartView CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* comparedLegendLabel READ comparedLegendLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* compareButton READ compareButton CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* compareSheet READ compareSheet CONSTANT)
    Q_PROPERTY(voltaro::qt::TableAdapter* compareTable READ compareTable CONSTANT)

public:
    ChargeCurveVCScreen(ui::Services& services, const ui::ScreenArguments& arguments);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }

    ChargeCurveVC& controller() { return controller_; }

    // The drawing in the chart's points: "level", "comparedLevel" (lists of points), "power" (a
    // list of such lists), "timeTicks", "levelTicks", "powerTicks" (lists of {position, text}).
    Q_INVOKABLE QVariantMap drawing() const;
    // The tests to compare with, as the list shows them.
    Q_INVOKABLE QStringList choices() const;

    Q_INVOKABLE void backButtonTapped() { controller_.backButtonTapped(); }
    Q_INVOKABLE void pop() { controller_.pop(); }
    Q_INVOKABLE void compareButtonTapped() { controller_.compareButtonTapped(); }
    Q_INVOKABLE void didSelectChoice(int row);
    Q_INVOKABLE void cancelCompare() { controller_.cancelCompare(); }

    qt::ViewAdapter* view() { return &view_; }
    qt::ButtonAdapter* backButton() { return &backButton_; }
    qt::LabelAdapter* titleLabel() { return &titleLabel_; }
    qt::LabelAdapter* dateLabel() { return &dateLabel_; }
    qt::LabelAdapter* wattLabel() { return &wattLabel_; }
    qt::LabelAdapter* mahLabel() { return &mahLabel_; }
    qt::LabelAdapter* timeLabel() { return &timeLabel_; }
    qt::LabelAdapter* levelsLabel() { return &levelsLabel_; }
    qt::LabelAdapter* durationLabel() { return &durationLabel_; }
    qt::LabelAdapter* noteLabel() { return &noteLabel_; }
    qt::TableAdapter* chartView() { return &chartView_; }
    qt::LabelAdapter* comparedLegendLabel() { return &comparedLegendLabel_; }
    qt::ButtonAdapter* compareButton() { return &compareButton_; }
    qt::ViewAdapter* compareSheet() { return &compareSheet_; }
    qt::TableAdapter* compareTable() { return &compareTable_; }

private:
    // The adapters come after the controller, so they go before its outlets do.
    ChargeCurveVC controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::ButtonAdapter backButton_{controller_.backButton};
    qt::LabelAdapter titleLabel_{controller_.titleLabel};
    qt::LabelAdapter dateLabel_{controller_.dateLabel};
    qt::LabelAdapter wattLabel_{controller_.wattLabel};
    qt::LabelAdapter mahLabel_{controller_.mahLabel};
    qt::LabelAdapter timeLabel_{controller_.timeLabel};
    qt::LabelAdapter levelsLabel_{controller_.levelsLabel};
    qt::LabelAdapter durationLabel_{controller_.durationLabel};
    qt::LabelAdapter noteLabel_{controller_.noteLabel};
    qt::TableAdapter chartView_{controller_.chartView};
    qt::LabelAdapter comparedLegendLabel_{controller_.comparedLegendLabel};
    qt::ButtonAdapter compareButton_{controller_.compareButton};
    qt::ViewAdapter compareSheet_{controller_.compareSheet};
    qt::TableAdapter compareTable_{controller_.compareTable};
};

}  // namespace voltaro::app
