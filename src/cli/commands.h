#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/cli_app.h"
#include "platform/battery_setup.h"

namespace voltaro::cli {

struct MeasureOptions {
    BatteryOptions battery;
    std::optional<std::string> model;
    std::optional<double> clockStart;
    std::optional<std::string> dataDir;
    bool json = false;
};

struct DeviceOptions {
    std::optional<std::string> model;
    bool json = false;
};

struct HistoryOptions {
    std::optional<std::string> dataDir;
    bool json = false;
    bool csv = false;
    bool clear = false;  // the "clear" subcommand
    bool yes = false;    // clear without asking
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
int runDevice(const DeviceOptions& options, Environment& environment);

// The model identifier source: --model, else VOLTARO_MODEL, else uname.
std::string resolveModelIdentifier(const std::optional<std::string>& model);

}  // namespace voltaro::cli
