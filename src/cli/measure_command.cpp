#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli/commands.h"
#include "cli/terminal_view.h"
#include "curve/charge_curve.h"
#include "device/device.h"
#include "engine/kernel_power_meter.h"
#include "engine/test_session.h"
#include "platform/curl/curl_http_client.h"
#include "platform/paths.h"
#include "platform/socket/socket_watch_channel.h"
#include "screens/session_services.h"
#include "store/history.h"
#include "watch/watch_link.h"
#include "platform/sim/replay_battery.h"
#include "platform/sim/simulated_battery.h"
#include "platform/sim/virtual_time.h"
#include "platform/system_main_loop.h"

namespace voltaro::cli {
namespace {

constexpr double kReplyWaitSeconds = 5.0;

// Counts the requests in flight, so the terminal can wait for the last reply before it exits.
class CountingHttpClient final : public HttpClient {
public:
    explicit CountingHttpClient(HttpClient& inner) : inner_(inner) {}

    void send(HttpRequest request, ReplyHandler onReply) override {
        ++pending_;
        inner_.send(std::move(request), [this, onReply](const HttpReply& reply) {
            if (onReply) onReply(reply);
            if (--pending_ == 0 && onIdle) onIdle();
        });
    }
    int pending() const { return pending_; }
    std::function<void()> onIdle;

private:
    HttpClient& inner_;
    int pending_ = 0;  // main loop only
};

// Keeps what each saved test stores, around the real hand-offs.
class OutcomeRecorder final : public SessionHandoffs {
public:
    struct Outcome {
        ResultSnapshot values;
        StarWidths stars{};
        bool failed = false;
        bool saved = false;  // written to the history
        std::optional<double> kernelWatts;  // the kernel's own figure over the same window
    };

    OutcomeRecorder(SessionServices& services, const KernelPowerMeter& kernelPower)
        : services_(services), kernelPower_(kernelPower) {
        services_.onRecordSaved = [this](const TestRecord&) { savedNow_ = true; };
    }

    void appendTestRecord(TestSession& session) override {
        Outcome outcome;
        outcome.values = session.snapshot();
        outcome.failed = !(session.totalWatt() >= 0);
        if (!outcome.failed) {
            outcome.kernelWatts =
                kernelPower_.averageBetween(outcome.values.starttime, outcome.values.finishtime);
        }
        savedNow_ = false;
        services_.appendTestRecord(session);
        outcome.saved = savedNow_;
        outcome.stars = session.starWidths();
        last = std::move(outcome);
        if (onSaved) onSaved(*last);
    }
    void refreshBrandCatalogue() override { services_.refreshBrandCatalogue(); }
    void updateToWatch(TestSession& session) override { services_.updateToWatch(session); }

    std::optional<Outcome> last;
    std::function<void(const Outcome&)> onSaved;

private:
    SessionServices& services_;
    const KernelPowerMeter& kernelPower_;
    bool savedNow_ = false;
};

void printOutcome(std::ostream& out, const OutcomeRecorder::Outcome& outcome) {
    char line[160];
    if (outcome.failed) {
        out << "Result: the test failed. The level rose faster than the test could time it;\n"
               "keep the charger connected and start again.\n";
        return;
    }
    const ResultSnapshot& v = outcome.values;
    out << "Result\n";
    std::snprintf(line, sizeof line, "  Power          %.1f W\n", v.watt);
    out << line;
    if (outcome.kernelWatts) {
        std::snprintf(line, sizeof line, "  kernel: %.1f W\n", *outcome.kernelWatts);
        out << line;
    }
    std::snprintf(line, sizeof line, "  Charge rate    %.1f mAh/min\n", v.amp);
    out << line;
    std::snprintf(line, sizeof line, "  Per percent    %.0f s\n", v.averageTime);
    out << line;
    std::snprintf(line, sizeof line, "  Levels         %.0f%% to %.0f%%\n", v.startlevel, v.finishlevel);
    out << line;
    std::snprintf(line, sizeof line, "  Rating         %s  %.1f of 5 stars\n",
                  starText(outcome.stars).c_str(), starCount(outcome.stars));
    out << line;
}

nlohmann::json outcomeJson(const std::optional<OutcomeRecorder::Outcome>& outcome,
                           const std::optional<std::string>& reply) {
    if (!outcome) return {{"hasResult", false}, {"failed", false}};
    const ResultSnapshot& v = outcome->values;
    return {{"hasResult", !outcome->failed},
            {"failed", outcome->failed},
            {"watt", v.watt},
            {"amp", v.amp},
            {"min", v.min},
            {"averageTime", v.averageTime},
            {"startlevel", v.startlevel},
            {"finishlevel", v.finishlevel},
            {"starttime", v.starttime},
            {"finishtime", v.finishtime},
            {"userStartTime", v.userStartTime},
            {"userStartlevel", v.userStartlevel},
            {"stars", outcome->stars},
            {"levelList", v.levelList},
            {"timeList", v.timeList},
            {"saved", outcome->saved},
            {"kernelWatts",
             outcome->kernelWatts ? nlohmann::json(*outcome->kernelWatts) : nlohmann::json()},
            {"reply", reply ? nlohmann::json(*reply) : nlohmann::json()}};
}

// Ctrl-C and SIGTERM arrive on a thread of their own, which hands them to the main loop.
class InterruptWatcher {
public:
    InterruptWatcher(MainLoop& loop, std::function<void()> onInterrupt) {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        thread_ = std::thread([this, signals, &loop, onInterrupt = std::move(onInterrupt)] {
            int received = 0;
            while (sigwait(&signals, &received) == 0) {
                if (stopping_) return;
                loop.post(onInterrupt);
            }
        });
    }
    ~InterruptWatcher() {
        stopping_ = true;
        pthread_kill(thread_.native_handle(), SIGTERM);
        thread_.join();
    }

private:
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

void printDevice(std::ostream& out, const DeviceFigures& figures, bool realBattery) {
    char volts[32];
    std::snprintf(volts, sizeof volts, "%.2f", figures.nominalVoltage);
    out << "Model: " << figures.name << " (" << figures.identifier << "), " << figures.capacity
        << " mAh at " << volts << " V, up to " << figures.maxChargingWatts << " W\n";
    // Never let a made-up capacity pass for a real battery's own.
    if (realBattery && figures.capacitySource == FigureSource::Default) {
        out << "The battery reports no design capacity: the results assume " << figures.capacity
            << " mAh. Set --capacity to your battery's.\n";
    }
}

// The power of each step of the running test, worked out as its result is.
void showStepPowers(TerminalView& view, TestSession& session) {
    const SampleWindow& window = session.samples();
    const ChargeCurve curve = makeChargeCurve(
        window.timeList, std::vector<double>(window.levelList.begin(), window.levelList.end()),
        StepFigures{session.device().batteryCapacity(), session.device().maxChargingWatts(),
                    session.device().nominalVoltage()});
    std::vector<double> watts;
    for (const CurveStep& step : curve.steps) watts.push_back(step.watts.value_or(NAN));
    view.showStepPowers(watts);
}

}  // namespace

int runMeasure(const MeasureOptions& options, Environment& env) {
    if (options.clockStart && !std::isfinite(*options.clockStart)) {
        env.err << "voltaro-cli: --clock-start must be a finite number of seconds\n";
        return kExitUsage;
    }
    if (options.dataDir) Paths::setDataDirectory(*options.dataDir);
    BatterySetup setup;
    DeviceSetup deviceSetup;
    try {
        const Sysfs sysfs = Sysfs::fromEnvironment();
        setup = resolveBatterySetup(options.battery, sysfs);
        deviceSetup = setUpDevice(options.device, sysfs, setup.supplyName, env.err);
        setup.simulateOn(deviceSetup.figures());
    } catch (const OptionError& error) {
        env.err << "voltaro-cli: " << error.what() << '\n';
        return kExitUsage;
    }
    const bool replayed = setup.kind == BatterySetup::Kind::Replay;

    std::unique_ptr<MainLoop> loop;
    if (options.battery.instant) {
        loop = std::make_unique<VirtualTime>(options.clockStart.value_or(SystemClock().now()));
    } else {
        loop = std::make_unique<SystemMainLoop>(setup.speed, options.clockStart);
    }
    std::unique_ptr<BatterySource> battery = makeBattery(setup, *loop);
    auto* replay = replayed ? static_cast<ReplayBattery*>(battery.get()) : nullptr;

    if (!options.json) {
        if (setup.chosenAutomatically) env.out << "No battery found: using the simulated battery.\n";
        if (setup.kind == BatterySetup::Kind::Simulated) {
            char line[160];
            std::snprintf(line, sizeof line,
                          "Simulated charger: %.1f W, from %.0f%%, on a %lld mAh battery.\n",
                          setup.simulation.chargerWatts,
                          static_cast<double>(setup.simulation.startLevel) * 100.0,
                          static_cast<long long>(setup.simulation.capacityMah));
            env.out << line;
        } else if (!setup.onVirtualTimeAllowed()) {
            env.out << "Battery: " << describeBattery(setup, *battery) << '\n';
        }
    }

    Device device(*deviceSetup.modelSource, *battery, deviceSetup.design, deviceSetup.overrides);
    const KernelPowerMeter kernelPower(*loop, *battery);
    const TerminalView::Mode mode = options.json ? TerminalView::Mode::Quiet
                                    : env.interactiveTerminal && !options.battery.instant
                                        ? TerminalView::Mode::LiveLine
                                        : TerminalView::Mode::Lines;
    TerminalView view(env.out, mode, env.columns);
    CurlHttpClient curl(*loop);
    CountingHttpClient http(curl);
    SocketWatchChannel watch(*loop);
    const WatchLink watchLink(watch, device);
    const bool watchServed = watch.activate();
    SessionServices services(*loop, http, ServiceEndpoints::fromConfiguration(),
                             standardPreferences(), device, watchServed ? &watch : nullptr);
    std::optional<std::string> reply;
    services.onReplyText = [&](const std::string& text) { reply = text; };
    services.setKernelPowerMeter(&kernelPower);
    OutcomeRecorder recorder(services, kernelPower);
    TestSession session(*loop, device, view, recorder);
    if (!options.json && watchServed) {
        env.out << "Watch companions can connect at " << watch.socketPath() << '\n';
    }

    if (!options.json) printDevice(env.out, device.figures(), !setup.onVirtualTimeAllowed());

    recorder.onSaved = [&](const OutcomeRecorder::Outcome& outcome) {
        if (!options.json) {
            view.flush();
            view.finishLine();
            printOutcome(env.out, outcome);
            if (outcome.saved) {
                env.out << "Saved to " << (Paths::dataDirectory() / kHistoryKey).string() << '\n';
            } else {
                env.out << "The history could not be written: this result is not kept.\n";
            }
        }
    };

    // Outside a replay the terminal presses Start whenever a test can start.
    const auto startWhenReady = [&] {
        if (replayed || session.isStart()) return;
        if (device.batteryState() == BatteryState::Unplugged) return;
        if (device.batteryLevel() < 0 || session.levelPercent() >= 100) return;
        session.buttonClicked();
    };
    const auto afterEvent = [&] {
        showStepPowers(view, session);
        view.flush();
        if (recorder.last && !recorder.last->failed && !session.isStart() &&
            session.levelPercent() >= 100) {
            loop->quit();
            return;
        }
        loop->post([&] {
            startWhenReady();
            view.flush();
        });
    };

    battery->setMonitoringEnabled(true);
    session.viewDidLoad();
    session.viewWillAppear();
    battery->onStateChanged(afterEvent);
    battery->onLevelChanged(afterEvent);
    view.flush();

    if (!replayed && device.batteryState() != BatteryState::Unplugged &&
        session.levelPercent() >= 100) {
        if (options.json) env.out << outcomeJson(std::nullopt, std::nullopt).dump() << "\n";
        if (!options.json) env.out << "The battery is full: there is nothing to measure.\n";
        return kExitNoResult;
    }

    if (replay != nullptr) {
        replay->onCommand([&](ScriptEvent::Kind kind) {
            if (kind == ScriptEvent::Kind::Start && !session.isStart()) session.buttonClicked();
            if (kind == ScriptEvent::Kind::Stop && session.isStart()) session.buttonClicked();
            if (kind == ScriptEvent::Kind::Appear) session.viewWillAppear();
            view.flush();
        });
        replay->onFinished([&] { loop->post([&] { loop->quit(); }); });
        replay->play();
    } else {
        loop->post([&] {
            startWhenReady();
            view.flush();
        });
    }

    std::unique_ptr<InterruptWatcher> interrupts;
    if (env.handleInterrupts) {
        interrupts = std::make_unique<InterruptWatcher>(*loop, [&] {
            if (session.isStart()) session.buttonClicked();
            view.flush();
            loop->quit();
        });
    }
    loop->run();

    // The service's text for the last result may still be on its way: wait a few seconds.
    if (http.pending() > 0) {
        const double realSeconds = options.battery.instant ? 1.0 : setup.speed;
        const auto timeout = loop->scheduleOnce(kReplyWaitSeconds * realSeconds, [&] { loop->quit(); });
        http.onIdle = [&] { loop->quit(); };
        loop->run();
        timeout->invalidate();
        http.onIdle = nullptr;
    }
    interrupts.reset();
    view.finishLine();

    if (options.json) {
        env.out << outcomeJson(recorder.last, reply).dump() << '\n';
    } else if (!recorder.last) {
        env.out << "No result: the test did not run long enough to time a whole percent step.\n";
    }
    return recorder.last && !recorder.last->failed ? kExitResult : kExitNoResult;
}

}  // namespace voltaro::cli
