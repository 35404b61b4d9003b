#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/battery_source.h"
#include "platform/main_loop.h"

namespace voltaro {

// The battery as the UPower service on the system bus reports it: its display device's
// Percentage, State, IsPresent and EnergyRate, followed through PropertiesChanged signals, without
// polling. The bus is the one DBUS_SYSTEM_BUS_ADDRESS names, else the system's.
//
// The bus is read on a thread of its own that only hands what it heard to the main loop. When the
// service goes away the level and state turn unknown; when it comes back they are read afresh.
// A property of an unexpected type makes its value unknown, never a guess. While monitoring is
// on, the source holds the loop open (as external work), since it has no timer of its own.
class UPowerBattery final : public BatterySource {
public:
    static constexpr const char* kService = "org.freedesktop.UPower";
    static constexpr const char* kDisplayDevice = "/org/freedesktop/UPower/devices/DisplayDevice";

    // Whether the system bus has UPower, and whether its display device has a battery. `problem`
    // says in words why not.
    struct Availability {
        bool serviceRunning = false;
        bool batteryPresent = false;
        std::string problem;
    };
    static Availability probe();

    explicit UPowerBattery(MainLoop& loop);
    ~UPowerBattery() override;

    float level() const override;
    BatteryState state() const override;
    std::optional<double> reportedWatts() const override;
    void setMonitoringEnabled(bool enabled) override;

    // Whether the system bus could be reached at all.
    bool connected() const;

    // What the display device said last, as far as it was understood.
    struct Properties {
        std::optional<double> percentage;  // 0 to 100
        std::optional<uint32_t> state;     // UPower's state code
        std::optional<double> energyRate;  // watts, above 0
        std::optional<bool> isPresent;
    };

private:
    struct Bus;

    // Takes what the service said on the main loop; raises the events of what changed.
    void receive(const Properties& next);

    MainLoop& loop_;
    Properties properties_;
    bool monitoring_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<Bus> bus_;
};

// UPower's state codes as battery states: charging and pending charge (a charger that holds back)
// are charging, discharging, empty and pending discharge unplugged, fully charged full.
BatteryState batteryStateFromUPower(uint32_t state);

}  // namespace voltaro
