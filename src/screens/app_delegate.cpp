#include "screens/app_delegate.h"

#include "platform/strings.h"
#include "platform/watch_channel.h"

namespace voltaro {

RatingPrompt::Settings AppDelegate::ratingSettings() {
    return {};
}

void AppDelegate::configureLaunch(ui::IdleInhibitor& idle, RatingPrompt& rating,
                                  WatchChannel* watch, BatterySource& battery) {
    idle.inhibit();
    rating.configure(ratingSettings());
    rating.appLaunched();
    rating.setTexts(localized("raterAlertTitle"), localized("raterAlertMessage"));
    if (watch != nullptr) watch->activate();
    battery.setMonitoringEnabled(true);
}

}  // namespace voltaro
