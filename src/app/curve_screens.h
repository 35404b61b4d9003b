#pragma once

#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include "app/controller_screen.h"
#include "screens/charge_curve_vc.h"

// The QML face of the charge curve screen. The page reaches everything through its `screen`
// property.

namespace voltaro::app {

class ChargeCurveVCScreen : public ControllerScreen<ChargeCurveVC> {
    Q_OBJECT

public:
    ChargeCurveVCScreen(ui::Services& services, const ui::ScreenArguments& arguments);

    // The drawing in the chart's points: "level", "comparedLevel" (lists of points), "power" (a
    // list of such lists), "timeTicks", "levelTicks", "powerTicks" (lists of {position, text}).
    Q_INVOKABLE QVariantMap drawing() const;
    // The tests to compare with, as the list shows them.
    Q_INVOKABLE QStringList choices() const;

    Q_INVOKABLE void compareButtonTapped() { controller_.compareButtonTapped(); }
    Q_INVOKABLE void didSelectChoice(int row);
    Q_INVOKABLE void cancelCompare() { controller_.cancelCompare(); }
};

}  // namespace voltaro::app
