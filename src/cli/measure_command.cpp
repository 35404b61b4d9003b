#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
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
#include "engine/charge_test_session.h"
#include "extensions/number_text.h"
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
        SessionServices::SaveOutcome save = SessionServices::SaveOutcome::None;
        bool saved = false;  // written to the history
        std::optional<double> kernelWatts;  // the kernel's own figure over the same window
    };

    OutcomeRecorder(SessionServices& services, const KernelPowerMeter& kernelPower)
        : services_(services), kernelPower_(kernelPower) {}

    void appendTestRecord(TestSession& session) override {
        Outcome outcome;
        outcome.values = session.snapshot();
        outcome.failed = !(session.totalWatt() >= 0);
        if (!outcome.failed) {
            outcome.kernelWatts =
                kernelPower_.averageBetween(outcome.values.starttime, outcome.values.finishtime);
        }
        services_.appendTestRecord(session);
        outcome.save = services_.lastSaveOutcome();
        outcome.saved = outcome.save == SessionServices::SaveOutcome::Saved;
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
};

// One line on what became of the result in the history.
void printSave(std::ostream& out, SessionServices::SaveOutcome save) {
    const std::string history = (Paths::dataDirectory() / kHistoryKey).string();
    switch (save) {
        case SessionServices::SaveOutcome::Saved:
            out << "Saved to " << history << '\n';
            break;
        case SessionServices::SaveOutcome::NotWritten:
            out << "The history " << history << " could not be written: this result is not kept.\n";
            break;
        case SessionServices::SaveOutcome::NotKept:
            out << "Not saved: a simulated or replayed run is saved only with --save, --data-dir "
                   "or VOLTARO_DATA_DIR.\n";
            break;
        case SessionServices::SaveOutcome::NoSamples:
            out << "Not saved: the test has no samples.\n";
            break;
        case SessionServices::SaveOutcome::None:
            break;
    }
}

void printOutcome(std::ostream& out, const OutcomeRecorder::Outcome& outcome) {
    if (outcome.failed) {
        out << "Result: the test failed. The level rose faster than the test could time it;\n"
               "keep the charger connected and start again.\n";
        return;
    }
    const ResultSnapshot& v = outcome.values;
    out << "Result\n";
    out << "  Power          " << fixedText(v.watt, 1) << " W\n";
    if (outcome.kernelWatts) out << "  kernel: " << fixedText(*outcome.kernelWatts, 1) << " W\n";
    out << "  Charge rate    " << fixedText(v.amp, 1) << " mAh/min\n";
    out << "  Per percent    " << fixedText(v.averageTime, 0) << " s\n";
    out << "  Levels         " << fixedText(v.startlevel, 0) << "% to " << fixedText(v.finishlevel, 0)
        << "%\n";
    out << "  Rating         " << starText(outcome.stars) << "  " << fixedText(starCount(outcome.stars), 1)
        << " of 5 stars\n";
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

// Ctrl-C and SIGTERM, blocked in every thread since main() began (blockInterrupts), are read
// from a signalfd by a thread of their own. The first is handed to the main loop, which stops the
// test as Stop does; a second, while that stop and its save are under way, ends the process as
// the signal would have.
class InterruptWatcher {
public:
    InterruptWatcher(MainLoop& loop, std::function<void()> onInterrupt) {
        const sigset_t signals = interruptSignals();
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // already so when main() blocked them
        signalFd_ = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
        stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (signalFd_ < 0 || stopFd_ < 0) return;
        thread_ = std::thread([this, &loop, onInterrupt = std::move(onInterrupt)] {
            watch(loop, onInterrupt);
        });
    }
    ~InterruptWatcher() {
        if (thread_.joinable()) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = write(stopFd_, &one, sizeof one);
            thread_.join();
        }
        if (signalFd_ >= 0) close(signalFd_);
        if (stopFd_ >= 0) close(stopFd_);
    }
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

private:
    void watch(MainLoop& loop, const std::function<void()>& onInterrupt) const {
        int received = 0;
        for (;;) {
            pollfd fds[] = {{signalFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents != 0) return;
            signalfd_siginfo info{};
            if (read(signalFd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
            if (++received == 1) {
                loop.post(onInterrupt);
                continue;
            }
            // The second: die of it, as an interrupted program does.
            const int signal = static_cast<int>(info.ssi_signo);
            std::signal(signal, SIG_DFL);
            sigset_t only;
            sigemptyset(&only);
            sigaddset(&only, signal);
            pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
            raise(signal);
            _exit(128 + signal);
        }
    }

    int signalFd_ = -1;
    int stopFd_ = -1;
    std::thread thread_;
};

void printDevice(std::ostream& out, const DeviceFigures& figures, bool realBattery) {
    out << "Model: " << figures.name << " (" << figures.identifier << "), " << figures.capacity
        << " mAh at " << fixedText(figures.nominalVoltage, 2) << " V, up to " << figures.maxChargingWatts << " W\n";
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
    const bool historyNamed = Paths::dataDirectoryNamed();
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
            env.out << "Simulated charger: " << fixedText(setup.simulation.chargerWatts, 1)
                    << " W, from "
                    << fixedText(static_cast<double>(setup.simulation.startLevel) * 100.0, 0)
                    << "%, on a " << setup.simulation.capacityMah << " mAh battery.\n";
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
    services.setKeepingRecords(keepsRecords(setup.onVirtualTimeAllowed(), options.save, historyNamed));
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
            printSave(env.out, outcome.save);
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
        // A test that ended, finished or failed, ends the run; a replay goes on to its script's
        // end unless the battery is full.
        if (recorder.last && !session.isStart() &&
            (!replayed || (!recorder.last->failed && session.levelPercent() >= 100))) {
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
            // A scripted press does what the button could do then: there is no Start while
            // unplugged or full.
            if (kind == ScriptEvent::Kind::Start && !session.isStart() && view.offersStart()) {
                session.buttonClicked();
            }
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
