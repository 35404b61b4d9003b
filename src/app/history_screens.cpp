#include "app/screen_dependencies.h"

namespace voltaro::app {

void registerHistoryScreens(qt::QtNavigator& navigator, ScreenDependencies dependencies) {
    (void)navigator;
    (void)dependencies;
}

}  // namespace voltaro::app
