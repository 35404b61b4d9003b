#pragma once

#include <QPointer>
#include <QQuickWindow>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/app_shell.h"
#include "app/session_wiring.h"
#include "device/device.h"
#include "engine/session_handoffs.h"
#include "engine/kernel_power_meter.h"
#include "setup/battery_setup.h"
#include "setup/device_setup.h"
#include "platform/qt/dbus_idle_inhibitor.h"
#include "platform/qt/qt_animator.h"
#include "platform/qt/qt_main_loop.h"
#include "platform/qt/qt_navigator.h"
#include "platform/qt/qt_photo_album.h"
#include "platform/qt/qt_screen_capture.h"
#include "platform/qt/qt_url_opener.h"
#include "platform/sim/replay_battery.h"
#include "platform/watch_channel.h"
#include "screens/rating_prompt.h"

class QQmlApplicationEngine;

namespace voltaro::app {

// The application: the window, the loop on Qt's event loop, the battery and device, the toolkit
// services, the screens. start() does the launch work and opens the intro (or the screen of
// --show); the main screen follows the intro and stays underneath for the rest of the run.
class Application {
public:
    explicit Application(AppOptions options);
    ~Application();

    // Loads the window and launches. Writes a message to `err` and returns an exit code when
    // something stops the launch (bad options: 2), else nothing.
    std::optional<int> start(std::ostream& err);
    // start(), then Qt's event loop; returns the process's exit code.
    int run(std::ostream& err);

    QQuickWindow* window() const { return window_; }
    qt::QtNavigator& navigator() { return *navigator_; }
    qt::QtMainLoop& loop() { return *loop_; }
    AppShell& shell() { return shell_; }

private:
    void registerScreens();
    void startReplay(qt::QtScreen& mainScreen);
    void takeScreenshot(const std::string& path);

    AppOptions options_;
    AppShell shell_;  // outlives the engine, whose window binds to it
    std::unique_ptr<QQmlApplicationEngine> engine_;
    QPointer<QQuickWindow> window_;

    std::unique_ptr<qt::QtMainLoop> loop_;
    DeviceSetup deviceSetup_;
    BatterySetup setup_;
    std::unique_ptr<BatterySource> battery_;
    std::unique_ptr<KernelPowerMeter> kernelPower_;
    ReplayBattery* replay_ = nullptr;
    bool replayStarted_ = false;
    std::unique_ptr<Device> device_;
    std::unique_ptr<SessionWiring> wiring_;
    std::unique_ptr<RatingPrompt> rating_;

    std::unique_ptr<qt::QtAnimator> animator_;
    qt::QtScreenCapture capture_;
    qt::QtPhotoAlbum album_;
    qt::QtUrlOpener urls_;
    qt::DbusIdleInhibitor idle_;
    std::unique_ptr<ui::Services> services_;
    std::unique_ptr<qt::QtNavigator> navigator_;
};

}  // namespace voltaro::app
