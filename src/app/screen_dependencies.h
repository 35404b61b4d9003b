#pragma once

#include "app/session_wiring.h"
#include "platform/main_loop.h"
#include "platform/preference_store.h"
#include "platform/qt/qt_navigator.h"
#include "platform/ui/services.h"
#include "screens/rating_prompt.h"

namespace voltaro::app {

// What the screens of the application are made with.
struct ScreenDependencies {
    MainLoop& loop;
    ui::Services& services;
    PreferenceStore& preferences;
    RatingPrompt& rating;
    SessionWiring& wiring;
};

// The history and feedback screens ("TestRecordsVC", "FeedbackVC").
void registerHistoryScreens(qt::QtNavigator& navigator, ScreenDependencies dependencies);

// The charge curve of a saved result ("ChargeCurveVC").
void registerCurveScreens(qt::QtNavigator& navigator, ScreenDependencies dependencies);

// The charger setup screens ("ChargerListVC", "SelectModelVC", "AddWattsVC", "AddBrandVC").
void registerChargerScreens(qt::QtNavigator& navigator, ScreenDependencies dependencies);

}  // namespace voltaro::app
