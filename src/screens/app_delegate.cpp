#include "screens/app_delegate.h"

#include "platform/strings.h"
#include "platform/watch_channel.h"

namespace voltaro {

RatingPrompt::Settings AppDelegate::ratingSettings() {
    RatingPrompt::Settings settings;
    settings.daysUntilPrompt = 7;
    settings.usesUntilPrompt = 10;
    settings.significantUsesUntilPrompt = 5;
    settings.daysBeforeReminding = 5;
    settings.showLaterButton = true;
    settings.debugMode = false;
    return settings;
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
