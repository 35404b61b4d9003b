#pragma once

#include "platform/battery_source.h"
#include "platform/ui/services.h"
#include "screens/rating_prompt.h"

namespace voltaro {

class WatchChannel;

// Launch work of the application, in order: keep the screen awake, set up the rating prompt,
// start the watch link where the device has one, turn battery monitoring on.
class AppDelegate {
public:
    // The prompt's own defaults: a week and ten launches before the first prompt.
    static RatingPrompt::Settings ratingSettings();

    // `watch` is null where watch links are not supported.
    static void configureLaunch(ui::IdleInhibitor& idle, RatingPrompt& rating,
                                WatchChannel* watch, BatterySource& battery);
};

}  // namespace voltaro
