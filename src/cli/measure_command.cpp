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
#include "device/device.h"
#include "device/device_catalogue.h"
#include "engine/test_session.h"
#include "platform/linux/linux_power_supply.h"
#include "platform/sim/replay_battery.h"
#include "platform/sim/simulated_battery.h"
#include "platform/sim/virtual_time.h"
#include "platform/system_main_loop.h"

namespace voltaro::cli {
namespace {

struct BatteryChoice {
    enum class Kind { Auto, Linux, Simulated, Replay } kind = Kind::Auto;
    std::string argument;  // supply name or script path
};

std::optional<BatteryChoice> parseBatteryChoice(const std::string& text) {
    if (text == "auto") return BatteryChoice{BatteryChoice::Kind::Auto, {}};
    if (text == "sim") return BatteryChoice{BatteryChoice::Kind::Simulated, {}};
    if (text == "linux") return BatteryChoice{BatteryChoice::Kind::Linux, {}};
    if (text.rfind("linux:", 0) == 0 && text.size() > 6) {
        return BatteryChoice{BatteryChoice::Kind::Linux, text.substr(6)};
    }
    if (text.rfind("replay:", 0) == 0 && text.size() > 7) {
        return BatteryChoice{BatteryChoice::Kind::Replay, text.substr(7)};
    }
    return std::nullopt;
}

std::string powerSupplyRoot() {
    const char* root = std::getenv("VOLTARO_POWER_SUPPLY_ROOT");
    return root != nullptr && root[0] != '\0' ? root : LinuxPowerSupply::kDefaultRoot;
}

// Keeps what each saved test would store, and shows the rating as the screen would.
class OutcomeRecorder final : public SessionHandoffs {
public:
    struct Outcome {
        ResultSnapshot values;
        StarWidths stars{};
        bool failed = false;
    };

    void appendTestRecord(TestSession& session) override {
        Outcome outcome;
        outcome.values = session.snapshot();
        outcome.failed = !(session.totalWatt() >= 0);
        session.showRating();
        outcome.stars = session.starWidths();
        last = std::move(outcome);
        if (onSaved) onSaved(*last);
    }

    std::optional<Outcome> last;
    std::function<void(const Outcome&)> onSaved;
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

nlohmann::json outcomeJson(const std::optional<OutcomeRecorder::Outcome>& outcome) {
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
            {"timeList", v.timeList}};
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

}  // namespace

std::string resolveModelIdentifier(const std::optional<std::string>& model) {
    if (model) return *model;
    if (const char* fromEnvironment = std::getenv("VOLTARO_MODEL");
        fromEnvironment != nullptr && fromEnvironment[0] != '\0') {
        return fromEnvironment;
    }
    return UnameModelSource().modelIdentifier();
}

int runMeasure(const MeasureOptions& options, Environment& env) {
    std::optional<BatteryChoice> choice = parseBatteryChoice(options.battery);
    if (!choice) {
        env.err << "voltaro-cli: --battery must be auto, linux, linux:NAME, sim or replay:FILE, not \""
                << options.battery << "\"\n";
        return kExitUsage;
    }
    const std::string root = powerSupplyRoot();
    if (choice->kind == BatteryChoice::Kind::Auto) {
        if (LinuxPowerSupply::findBattery(root)) {
            choice->kind = BatteryChoice::Kind::Linux;
        } else {
            choice->kind = BatteryChoice::Kind::Simulated;
            if (!options.json) env.out << "No battery found: using the simulated battery.\n";
        }
    }
    const bool simulated = choice->kind == BatteryChoice::Kind::Simulated;
    const bool replayed = choice->kind == BatteryChoice::Kind::Replay;
    if (!simulated && (options.watts || options.startLevel)) {
        env.err << "voltaro-cli: --watts and --start-level apply to the simulated battery only\n";
        return kExitUsage;
    }
    if (choice->kind == BatteryChoice::Kind::Linux && (options.speed || options.instant)) {
        env.err << "voltaro-cli: --speed and --instant apply to a simulated or replayed battery "
                   "only; a real battery charges in real time\n";
        return kExitUsage;
    }
    if (options.clockStart && !std::isfinite(*options.clockStart)) {
        env.err << "voltaro-cli: --clock-start must be a finite number of seconds\n";
        return kExitUsage;
    }
    if (choice->kind == BatteryChoice::Kind::Linux && !choice->argument.empty()) {
        bool found = false;
        for (const auto& supply : LinuxPowerSupply::listSupplies(root)) {
            found = found || supply.name == choice->argument;
        }
        if (!found) {
            env.err << "voltaro-cli: there is no power supply \"" << choice->argument << "\" in "
                    << root << '\n';
            return kExitUsage;
        }
    }

    std::optional<SessionScript> script;
    if (replayed) {
        try {
            script = loadSessionScript(choice->argument);
        } catch (const ScriptError& error) {
            env.err << "voltaro-cli: " << error.what() << '\n';
            return kExitUsage;
        }
    }

    const FixedModelSource modelSource(resolveModelIdentifier(options.model));

    std::unique_ptr<MainLoop> loop;
    if (options.instant) {
        loop = std::make_unique<VirtualTime>(options.clockStart.value_or(SystemClock().now()));
    } else {
        const double speed = options.speed.value_or(simulated ? 60.0 : 1.0);
        loop = std::make_unique<SystemMainLoop>(speed, options.clockStart);
    }

    std::unique_ptr<BatterySource> battery;
    ReplayBattery* replay = nullptr;
    if (simulated) {
        SimulatedBattery::Settings settings;
        settings.chargerWatts = options.watts.value_or(settings.chargerWatts);
        settings.startLevel = static_cast<float>(options.startLevel.value_or(settings.startLevel));
        settings.capacityMah = batteryCapacityFor(modelSource.modelIdentifier());
        settings.modelMaxWatts = maxChargingWattsFor(modelSource.modelIdentifier());
        battery = std::make_unique<SimulatedBattery>(*loop, settings);
        if (!options.json) {
            char line[160];
            std::snprintf(line, sizeof line,
                          "Simulated charger: %.1f W, from %.0f%%, on a %lld mAh battery.\n",
                          settings.chargerWatts, static_cast<double>(settings.startLevel) * 100.0,
                          static_cast<long long>(settings.capacityMah));
            env.out << line;
        }
    } else if (replayed) {
        auto replayBattery = std::make_unique<ReplayBattery>(*loop, std::move(*script));
        replay = replayBattery.get();
        battery = std::move(replayBattery);
    } else {
        auto supply = std::make_unique<LinuxPowerSupply>(
            *loop, root,
            choice->argument.empty() ? std::nullopt : std::optional<std::string>(choice->argument));
        if (!options.json) {
            env.out << "Battery: " << supply->supplyName().value_or("none found yet") << " in "
                    << root << '\n';
        }
        battery = std::move(supply);
    }

    Device device(modelSource, *battery);
    const TerminalView::Mode mode = options.json ? TerminalView::Mode::Quiet
                                    : env.interactiveTerminal && !options.instant
                                        ? TerminalView::Mode::LiveLine
                                        : TerminalView::Mode::Lines;
    TerminalView view(env.out, mode);
    OutcomeRecorder recorder;
    TestSession session(*loop, device, view, recorder);

    if (!options.json) {
        env.out << "Model: " << device.modelName() << " (" << device.modelIdentifier() << "), "
                << device.batteryCapacity() << " mAh, up to " << device.maxChargingWatts()
                << " W\n";
    }

    recorder.onSaved = [&](const OutcomeRecorder::Outcome& outcome) {
        if (!options.json) {
            view.flush();
            view.finishLine();
            printOutcome(env.out, outcome);
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
        if (options.json) env.out << outcomeJson(std::nullopt).dump() << '\n';
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
    interrupts.reset();
    view.finishLine();

    if (options.json) {
        env.out << outcomeJson(recorder.last).dump() << '\n';
    } else if (!recorder.last) {
        env.out << "No result: the test did not run long enough to time a whole percent step.\n";
    }
    return recorder.last && !recorder.last->failed ? kExitResult : kExitNoResult;
}

}  // namespace voltaro::cli
