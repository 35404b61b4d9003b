#include "app/curve_screens.h"

#include <QPointF>

#include "app/screen_dependencies.h"

namespace voltaro::app {
namespace {

QVariantList pointList(const std::vector<PlotPoint>& points) {
    QVariantList list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const PlotPoint& point : points) list.push_back(QPointF(point.x, point.y));
    return list;
}

QVariantList tickList(const std::vector<CurveTick>& ticks) {
    QVariantList list;
    for (const CurveTick& tick : ticks) {
        list.push_back(QVariantMap{{QStringLiteral("position"), tick.position},
                                   {QStringLiteral("text"), QString::fromStdString(tick.text)}});
    }
    return list;
}

}  // namespace

ChargeCurveVCScreen::ChargeCurveVCScreen(ui::Services& services,
                                         const ui::ScreenArguments& arguments)
    : ControllerScreen(this, "ChargeCurveVC.qml", services, arguments) {}

QVariantMap ChargeCurveVCScreen::drawing() const {
    const CurveDrawing& drawing = controller_.drawing();
    QVariantList power;
    for (const auto& line : drawing.power) power.push_back(pointList(line));
    return {
        {QStringLiteral("level"), pointList(drawing.level)},
        {QStringLiteral("comparedLevel"), pointList(drawing.comparedLevel)},
        {QStringLiteral("power"), power},
        {QStringLiteral("timeTicks"), tickList(drawing.timeTicks)},
        {QStringLiteral("levelTicks"), tickList(drawing.levelTicks)},
        {QStringLiteral("powerTicks"), tickList(drawing.powerTicks)},
    };
}

QStringList ChargeCurveVCScreen::choices() const {
    QStringList list;
    for (size_t row = 0; row < controller_.numberOfChoices(); ++row) {
        list.push_back(QString::fromStdString(controller_.choiceText(row)));
    }
    return list;
}

void ChargeCurveVCScreen::didSelectChoice(int row) {
    if (row >= 0) controller_.didSelectChoice(static_cast<size_t>(row));
}

void registerCurveScreens(qt::QtNavigator& navigator, ScreenDependencies dependencies) {
    navigator.registerScreen("ChargeCurveVC", [dependencies](const ui::ScreenArguments& arguments) {
        return std::make_unique<ChargeCurveVCScreen>(dependencies.services, arguments);
    });
}

}  // namespace voltaro::app
