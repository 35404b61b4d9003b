#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/commands.h"

namespace voltaro::cli {

sigset_t interruptSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

void blockInterrupts() {
    const sigset_t signals = interruptSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int runCli(const std::vector<std::string>& arguments, Environment& environment) {
    CLI::App app{"Measures how fast a charger charges this device.", "voltaro-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", VOLTARO_VERSION);

    MeasureOptions measure;
    CLI::App* measureCommand = app.add_subcommand("measure", "Run a charge test");
    measureCommand->add_option("--battery", measure.battery.battery,
                               "auto, upower, linux[:NAME], sim or replay:FILE (default auto: "
                               "UPower, else the kernel's battery, else the simulated one)");
    addDeviceOptions(*measureCommand, measure.device);
    measureCommand->add_option("--watts", measure.battery.watts, "Simulated charger power in watts (18)")
        ->check(CLI::PositiveNumber);
    measureCommand->add_option("--start-level", measure.battery.startLevel,
                               "Simulated start level, a fraction from 0 to 1 (0.80)")
        ->check(CLI::Range(0.0, 1.0));
    measureCommand->add_option("--speed", measure.battery.speed,
                               "How many times faster than real time a simulated or replayed "
                               "battery runs (60 simulated, 1 replayed)")
        ->check(CLI::PositiveNumber);
    measureCommand->add_flag("--instant", measure.battery.instant,
                             "Run a simulated or replayed battery on virtual time, without waiting");
    measureCommand->add_option("--clock-start", measure.clockStart,
                               "Absolute time at the start, in seconds since 2001-01-01 UTC");
    measureCommand->add_flag("--json", measure.json, "Print the result as one JSON object");
    measureCommand->add_option("--data-dir", measure.dataDir,
                               "Directory of the history (default $VOLTARO_DATA_DIR or "
                               "$XDG_DATA_HOME/voltaro)");
    measureCommand->add_flag("--save", measure.save,
                             "Save the result of a simulated or replayed battery in the history "
                             "(done without asking when --data-dir or VOLTARO_DATA_DIR names one)");

    DeviceCommandOptions device;
    CLI::App* deviceCommand = app.add_subcommand(
        "device", "Show the device's figures that the results rest on, and where each came from");
    addDeviceOptions(*deviceCommand, device.device);
    deviceCommand->add_flag("--json", device.json, "Print one JSON object");

    HistoryOptions history;
    CLI::App* historyCommand =
        app.add_subcommand("history", "Show the saved results, newest test first");
    historyCommand->add_option("--data-dir", history.dataDir, "Directory of the history");
    CLI::Option* jsonFlag =
        historyCommand->add_flag("--json", history.json, "Export every record as JSON");
    historyCommand->add_flag("--csv", history.csv, "Export every record as CSV")->excludes(jsonFlag);
    CLI::App* clearCommand = historyCommand->add_subcommand("clear", "Remove every saved result");
    clearCommand->add_flag("--yes", history.yes, "Do not ask for confirmation");
    clearCommand->add_option("--data-dir", history.dataDir, "Directory of the history");
    std::string shown;
    CLI::App* showCommand = historyCommand->add_subcommand(
        "show", "Show one saved result with the curve of its charge");
    showCommand->add_option("N", shown, "The result, as 'history' numbers it (1 is the newest)")
        ->required();
    showCommand->add_option("--svg", history.svg, "Also write the curve as an SVG picture to FILE")
        ->type_name("FILE");
    showCommand->add_flag("--json", history.json, "Print the figures and the samples as JSON");
    showCommand->add_option("--data-dir", history.dataDir, "Directory of the history");

    ChargersOptions chargers;
    CLI::App* chargersCommand = app.add_subcommand("chargers", "List the saved charger descriptions");
    chargersCommand->add_flag("--json", chargers.json, "Print them as JSON");
    chargersCommand->add_option("--data-dir", chargers.dataDir, "Directory of the brand catalogue");

    LabelOptions label;
    CLI::App* labelCommand = app.add_subcommand("label", "Say which charger a saved test used");
    labelCommand->add_option("STARTTIME", label.startTime, "The test, as 'history' shows it")
        ->required();
    labelCommand->add_option("--kind", label.kind, "wall, bank or car");
    labelCommand->add_option("--brand", label.brand, "Brand name or number from the catalogue");
    labelCommand->add_option("--watts", label.watts, "Rated power in watts");
    labelCommand->add_option("--capacity", label.capacity, "Power bank capacity in mAh");
    labelCommand->add_option("--port", label.port, "usb-a, usb-c or wireless");
    labelCommand->add_flag("--clear", label.clear, "Forget the test's charger");
    labelCommand->add_option("--data-dir", label.dataDir, "Directory of the history");

    WatchOptions watch;
    CLI::App* watchCommand = app.add_subcommand(
        "watch", "Be a watch companion: print the battery messages of a running test");
    watchCommand->add_option("--socket", watch.socket, "Socket of the application");
    watchCommand->add_flag("--json", watch.json, "Print the raw messages");
    watchCommand->add_flag("--ask", watch.ask, "Ask once for the battery, print the reply, exit");
    watchCommand->add_option("--timeout", watch.timeout, "Seconds to wait for the reply to --ask")
        ->check(CLI::Range(0.1, 600.0));

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        // Prints the help or version asked for, or the error, for the right subcommand.
        const int code = app.exit(error, environment.out, environment.err);
        return code == 0 ? 0 : kExitUsage;
    }

    if (measureCommand->parsed()) return runMeasure(measure, environment);
    if (environment.handleInterrupts) {
        const sigset_t signals = interruptSignals();
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    }
    if (historyCommand->parsed()) {
        history.clear = clearCommand->parsed();
        if (showCommand->parsed()) history.show = shown;
        return runHistory(history, environment);
    }
    if (watchCommand->parsed()) return runWatch(watch, environment);
    if (chargersCommand->parsed()) return runChargers(chargers, environment);
    if (labelCommand->parsed()) return runLabel(label, environment);
    return runDevice(device, environment);
}

void addDeviceOptions(CLI::App& command, DeviceOptions& options) {
    command.add_option("--model", options.model,
                       "Model identifier to use instead of the machine's own (VOLTARO_MODEL)");
    command.add_option("--capacity", options.capacity,
                       "Battery capacity in mAh, for a battery that reports none");
    command.add_option("--voltage", options.voltage,
                       "Nominal voltage of the battery in volts (5 for phones)");
    command.add_option("--max-watts", options.maxWatts,
                       "The most power the device accepts, in watts (the top of the rating)");
}

}  // namespace voltaro::cli
