#include "app/application.h"

#include "app/screen_dependencies.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickItem>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/screens.h"
#include "app/session_wiring.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/preference_store.h"
#include "screens/app_delegate.h"
#include "screens/init_view_controller.h"

namespace voltaro::app {

namespace {

constexpr int kExitScreenshotFailed = 1;

// The seconds of the loop's time after which --screenshot takes its picture when --after is not
// given: the intro is over by then.
constexpr double kDefaultScreenshotDelay = 5.0;

}  // namespace

Application::Application(AppOptions options) : options_(std::move(options)) {}

Application::~Application() {
    // Screens first: their controllers use the device, the loop and the services.
    if (navigator_) navigator_->clear();
}

std::optional<int> Application::start(std::ostream& err) {
    if (options_.dataDirectory) setenv("VOLTARO_DATA_DIR", options_.dataDirectory->c_str(), 1);

    try {
        const Sysfs sysfs = Sysfs::fromEnvironment();
        setup_ = resolveBatterySetup(options_.battery, sysfs);
        deviceSetup_ =
            resolveDeviceSetup(options_.device, sysfs, setup_.supplyName, &standardPreferences());
        setup_.simulateOn(deviceSetup_.figures());
    } catch (const OptionError& error) {
        err << "voltaro: " << error.what() << '\n';
        return kExitUsage;
    }
    for (const std::string& warning : deviceSetup_.warnings) err << "voltaro: " << warning << '\n';
    if (setup_.chosenAutomatically) {
        log::debug(log::Category::App, "no battery found: using the simulated battery");
    }

    engine_ = std::make_unique<QQmlApplicationEngine>();
    engine_->addImportPath(QStringLiteral("qrc:/"));
    engine_->setInitialProperties({{"shell", QVariant::fromValue<QObject*>(&shell_)}});
    engine_->load(QUrl(QStringLiteral("qrc:/Voltaro/Main.qml")));
    if (engine_->rootObjects().isEmpty()) {
        err << "voltaro: the window could not be loaded\n";
        return EXIT_FAILURE;
    }
    window_ = qobject_cast<QQuickWindow*>(engine_->rootObjects().constFirst());
    auto* stack =
        window_ != nullptr ? window_->property("screenStack").value<QQuickItem*>() : nullptr;
    if (stack == nullptr) {
        err << "voltaro: the window has no screen stack\n";
        return EXIT_FAILURE;
    }

    // The app runs in real time unless --speed asks otherwise, whatever the battery. Its clock
    // starts when the window has laid out its screen stack and the first screen is there.
    loop_ = std::make_unique<qt::QtMainLoop>(options_.battery.speed ? setup_.speed : 1.0,
                                             std::nullopt, qt::QtMainLoop::ClockStart::Later);
    battery_ = makeBattery(setup_, *loop_);
    if (setup_.kind == BatterySetup::Kind::Replay) {
        replay_ = static_cast<ReplayBattery*>(battery_.get());
    }
    device_ = std::make_unique<Device>(*deviceSetup_.modelSource, *battery_, deviceSetup_.design,
                                       deviceSetup_.overrides);
    kernelPower_ = std::make_unique<KernelPowerMeter>(*loop_, *battery_);
    wiring_ = std::make_unique<SessionWiring>(*loop_, standardPreferences(), *device_);
    wiring_->setKernelPowerMeter(kernelPower_.get());
    const bool keepRecords =
        keepsRecords(setup_.onVirtualTimeAllowed(), options_.save, Paths::dataDirectoryNamed());
    wiring_->setKeepingRecords(keepRecords);
    if (!keepRecords) {
        err << "voltaro: results of the simulated or replayed battery are not saved (--save or "
               "--data-dir keeps them)\n";
    }
    rating_ = std::make_unique<RatingPrompt>(standardPreferences(), *loop_,
                                             [this] { urls_.open(VOLTARO_HOME_URL); });

    animator_ = std::make_unique<qt::QtAnimator>(*loop_);
    capture_.setWindow(window_);
    navigator_ = std::make_unique<qt::QtNavigator>(*engine_, *loop_);
    navigator_->setHost(stack);
    services_ = std::make_unique<ui::Services>(ui::Services{
        *navigator_, *shell_.alerts(), *animator_, capture_, album_, *shell_.shareSheet(), urls_});
    registerScreens();
    if (options_.show && !navigator_->knowsScreen(*options_.show)) {
        err << "voltaro: --show: there is no screen \"" << *options_.show << "\"; screens:";
        for (const std::string& name : navigator_->knownScreens()) err << ' ' << name;
        err << '\n';
        return kExitUsage;
    }

    AppDelegate::configureLaunch(idle_, *rating_, wiring_->watchChannel(), *battery_);

    const std::string first = options_.show.value_or("InitViewController");
    if (first == "InitViewController") {
        navigator_->present("InitViewController", ui::Transition::None);
    } else {
        navigator_->present("ViewController", ui::Transition::None);
        if (first != "ViewController") navigator_->present(first, ui::Transition::None);
    }

    // The navigator makes the first screen as soon as the stack has its size; the clock starts
    // with the first frame drawn after that (or half a second later, should the window not be
    // drawn at all), so that a high --speed does not spend the intro on loading.
    QObject::connect(window_, &QQuickWindow::frameSwapped, loop_.get(), [this, stack] {
        if (!navigator_->screenNames().empty()) loop_->startClock();
    });
    QTimer::singleShot(500, loop_.get(), [this] { loop_->startClock(); });

    if (options_.screenshot) {
        // The picture shows the screens at rest, never halfway through a transition.
        const std::string path = *options_.screenshot;
        loop_->scheduleOnce(options_.after.value_or(kDefaultScreenshotDelay), [this, path] {
            navigator_->whenSettled([this, path] { takeScreenshot(path); });
        });
    }
    return std::nullopt;
}

int Application::run(std::ostream& err) {
    if (const std::optional<int> code = start(err)) return *code;
    return QGuiApplication::exec();
}

void Application::registerScreens() {
    navigator_->registerScreen("InitViewController", [this](const ui::ScreenArguments&) {
        return std::make_unique<ControllerScreen<InitViewController>>("InitViewController.qml",
                                                                      *services_);
    });
    navigator_->registerScreen("ViewController", [this](const ui::ScreenArguments&) {
        return std::make_unique<ViewControllerScreen>(*loop_, *device_, wiring_->handoffs(),
                                                      *services_);
    });
    const ScreenDependencies dependencies{*loop_, *services_, standardPreferences(), *rating_,
                                          *wiring_};
    registerHistoryScreens(*navigator_, dependencies);
    registerChargerScreens(*navigator_, dependencies);
    registerCurveScreens(*navigator_, dependencies);
    navigator_->onPresented([this](const std::string& name, qt::QtScreen& screen) {
        if (name == "ViewController") startReplay(screen);
    });
}

void Application::startReplay(qt::QtScreen& mainScreen) {
    // A replayed session starts when the main screen is there to show it, and its button lines
    // press the main screen's buttons.
    auto* screen = qobject_cast<ViewControllerScreen*>(&mainScreen);
    if (replay_ == nullptr || replayStarted_ || screen == nullptr) return;
    replayStarted_ = true;
    QPointer<ViewControllerScreen> target = screen;
    replay_->onCommand([target](ScriptEvent::Kind kind) {
        if (target == nullptr) return;
        TestSession& session = target->controller().session();
        switch (kind) {
            case ScriptEvent::Kind::Start:
                if (!session.isStart()) target->controller().buttonClicked();
                break;
            case ScriptEvent::Kind::Stop:
                if (session.isStart()) target->controller().buttonClicked();
                break;
            case ScriptEvent::Kind::Appear:
                target->controller().viewWillAppear();
                break;
            case ScriptEvent::Kind::State:
            case ScriptEvent::Kind::Level:
                break;
        }
    });
    replay_->play();
}

void Application::takeScreenshot(const std::string& path) {
    const QImage image = window_ != nullptr ? window_->grabWindow() : QImage();
    if (image.isNull() || !image.save(QString::fromStdString(path), "PNG")) {
        std::fprintf(stderr, "voltaro: cannot write the screenshot to %s\n", path.c_str());
        QCoreApplication::exit(kExitScreenshotFailed);
        return;
    }
    QCoreApplication::exit(0);
}

}  // namespace voltaro::app
