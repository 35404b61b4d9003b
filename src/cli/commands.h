#pragma once

#include <signal.h>

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/cli_app.h"
#include "setup/battery_setup.h"
#include "setup/device_setup.h"

namespace voltaro::cli {

struct MeasureOptions {
    BatteryOptions battery;
    DeviceOptions device;
    std::optional<double> clockStart;
    std::optional<std::string> dataDir;
    bool json = false;
    bool save = false;  // keep a simulated or replayed run's result in the history
};

struct DeviceCommandOptions {
    DeviceOptions device;
    bool json = false;
};

struct HistoryOptions {
    std::optional<std::string> dataDir;
    bool json = false;
    bool csv = false;
    bool clear = false;  // the "clear" subcommand
    bool yes = false;    // clear without asking
    std::optional<std::string> show;  // the "show" subcommand: which result, as 'history' numbers it
    std::optional<std::string> svg;   // show: also write the curve as an SVG picture here
};

struct WatchOptions {
    std::optional<std::string> socket;
    bool json = false;
    bool ask = false;
    double timeout = 5.0;  // seconds to wait for the reply to --ask
};

struct ChargersOptions {
    std::optional<std::string> dataDir;
    bool json = false;
};

struct LabelOptions {
    std::string startTime;  // the test's "starttime", as 'history' shows it
    std::optional<std::string> kind;
    std::optional<std::string> brand;
    std::optional<std::string> watts;
    std::optional<std::string> capacity;
    std::optional<std::string> port;
    bool clear = false;
    std::optional<std::string> dataDir;
};

int runChargers(const ChargersOptions& options, Environment& environment);
int runLabel(const LabelOptions& options, Environment& environment);
int runHistory(const HistoryOptions& options, Environment& environment);
int runWatch(const WatchOptions& options, Environment& environment);
int runMeasure(const MeasureOptions& options, Environment& environment);
int runDevice(const DeviceCommandOptions& options, Environment& environment);

// SIGINT and SIGTERM, which the measure command handles on its main loop.
sigset_t interruptSignals();

// Adds --model, --capacity, --voltage and --max-watts to a command.
void addDeviceOptions(CLI::App& command, DeviceOptions& options);

// The device of a run as the user asked for it and the machine says it is; the settings file's
// ignored figures are reported on `err`. Throws OptionError.
DeviceSetup setUpDevice(const DeviceOptions& options, const Sysfs& sysfs,
                        const std::optional<std::string>& supplyName, std::ostream& err);

}  // namespace voltaro::cli
