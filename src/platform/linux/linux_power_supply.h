#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/battery_design.h"
#include "platform/battery_source.h"
#include "platform/linux/sysfs.h"
#include "platform/main_loop.h"

namespace voltaro {

// The battery as the Linux power-supply class shows it: one directory per supply under
// class/power_supply of the sysfs root, each with small text files (type, status, capacity,
// online, scope, and the power figures power_now or current_now and voltage_now).
//
// The source reads the supply the user named, or else the first system battery in name order.
// Supplies come and go (hot-plug), so the choice is made afresh on every reading; a missing battery
// reads as level -1 and state Unknown.
//
// While monitoring is on, the values are those of the last poll, so that they always agree with
// the events raised; while it is off, every call reads the files afresh.
class LinuxPowerSupply final : public BatterySource {
public:
    static constexpr double kPollInterval = 1.0;  // seconds

    struct SupplyInfo {
        std::string name;
        std::string type;  // as the `type` file says; empty when unreadable
    };

    explicit LinuxPowerSupply(MainLoop& loop, Sysfs sysfs = Sysfs(),
                              std::optional<std::string> supplyName = std::nullopt);
    ~LinuxPowerSupply() override;

    float level() const override;
    BatteryState state() const override;
    // power_now, else current_now times voltage_now, as a magnitude (drivers differ in sign).
    std::optional<double> reportedWatts() const override;
    void setMonitoringEnabled(bool enabled) override;

    // The supply being read, or nothing while there is none.
    std::optional<std::string> supplyName() const;

    // The first system battery in name order, or nothing.
    static std::optional<std::string> findBattery(const Sysfs& sysfs);

    // Every supply, in name order (for messages that say what is there).
    static std::vector<SupplyInfo> listSupplies(const Sysfs& sysfs);

    // The design figures of the named supply, or of the first system battery.
    static BatteryDesign readDesign(const Sysfs& sysfs,
                                    const std::optional<std::string>& supplyName = std::nullopt);

private:
    struct Reading {
        std::optional<std::string> supply;
        float level = kUnknownBatteryLevel;
        BatteryState state = BatteryState::Unknown;
        std::optional<double> watts;
    };

    Reading read() const;
    void poll();

    MainLoop& loop_;
    Sysfs sysfs_;
    std::optional<std::string> requestedName_;
    std::shared_ptr<Timer> timer_;
    Reading last_;
};

}  // namespace voltaro
