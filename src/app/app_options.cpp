#include "app/app_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace voltaro::app {

ParsedOptions parseOptions(const std::vector<std::string>& arguments, std::ostream& out,
                           std::ostream& err) {
    CLI::App app{"Measures how fast a charger charges this device.", "voltaro"};
    app.set_version_flag("--version", VOLTARO_VERSION);

    AppOptions options;
    app.add_option("--battery", options.battery.battery,
                   "auto, upower, linux[:NAME], sim or replay:FILE (default auto: UPower, else "
                   "the kernel's battery, else the simulated one)");
    app.add_option("--model", options.device.model,
                   "Model identifier to use instead of the machine's own (VOLTARO_MODEL)");
    app.add_option("--capacity", options.device.capacity,
                   "Battery capacity in mAh, for a battery that reports none (setting "
                   "\"batteryCapacity\")");
    app.add_option("--voltage", options.device.voltage,
                   "Nominal voltage of the battery in volts (setting \"nominalVoltage\")");
    app.add_option("--max-watts", options.device.maxWatts,
                   "The most power the device accepts, in watts (setting \"maxChargingWatts\")");
    app.add_option("--watts", options.battery.watts, "Simulated charger power in watts (18)")
        ->check(CLI::PositiveNumber);
    app.add_option("--start-level", options.battery.startLevel,
                   "Simulated start level, a fraction from 0 to 1 (0.80)")
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--speed", options.battery.speed,
                   "How many times faster than real time the application's clock runs, with a "
                   "simulated or replayed battery (1)")
        ->check(CLI::PositiveNumber);
    app.add_option("--data-dir", options.dataDirectory,
                   "Directory of the history and brand files (sets VOLTARO_DATA_DIR)")
        ->type_name("DIR");
    app.add_flag("--save", options.save,
                 "Save the results of a simulated or replayed battery in the history (done "
                 "without asking when --data-dir or VOLTARO_DATA_DIR names one)");
    CLI::Option* screenshot = app.add_option("--screenshot", options.screenshot,
                                             "Write a PNG picture of the window to FILE, then quit")
                                  ->type_name("FILE");
    app.add_option("--after", options.after,
                   "Seconds of the application's clock before the screenshot (5)")
        ->type_name("SECONDS")
        ->check(CLI::NonNegativeNumber)
        ->needs(screenshot);
    app.add_option("--show", options.show,
                   "Open this screen at once over the main screen, skipping the intro; "
                   "InitViewController starts with the intro as usual")
        ->type_name("SCREEN");

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error, out, err);
        return {std::nullopt, code == 0 ? 0 : kExitUsage};
    }
    return {options, 0};
}

}  // namespace voltaro::app
