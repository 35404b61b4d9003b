#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace voltaro {

// The charging state as the operating system reports it. The numbers are part of stored and sent
// data (the watch message), so they never change.
enum class BatteryState : int { Unknown = 0, Unplugged = 1, Charging = 2, Full = 3 };

std::string_view batteryStateName(BatteryState state);  // "unknown", "unplugged", "charging", "full"

// Level fraction that a source reports while it cannot read the level.
inline constexpr float kUnknownBatteryLevel = -1.0f;

// What the operating system tells about the battery: a level fraction (0..1, or -1 while unknown),
// a state, and an event when either changes. Events are raised on the main loop thread.
class BatterySource {
public:
    using Listener = std::function<void()>;

    BatterySource() = default;
    virtual ~BatterySource() = default;
    // A source stands for one battery and holds its listeners: it is never copied.
    BatterySource(const BatterySource&) = delete;
    BatterySource& operator=(const BatterySource&) = delete;

    virtual float level() const = 0;
    virtual BatteryState state() const = 0;

    // The power flowing through the battery as the system itself reports it, in watts (the
    // kernel's own figure, shown beside the estimate and never used for it). Nothing where the
    // source has no such figure.
    virtual std::optional<double> reportedWatts() const { return std::nullopt; }

    // Events are only raised while monitoring is on.
    virtual void setMonitoringEnabled(bool enabled) = 0;

    // Listeners live as long as the source; the session and the watch link subscribe once.
    void onLevelChanged(Listener listener) { levelListeners_.push_back(std::move(listener)); }
    void onStateChanged(Listener listener) { stateListeners_.push_back(std::move(listener)); }
    void onReportedPowerChanged(Listener listener) { powerListeners_.push_back(std::move(listener)); }

protected:
    void notifyLevelChanged() { notify(levelListeners_); }
    void notifyStateChanged() { notify(stateListeners_); }
    void notifyReportedPowerChanged() { notify(powerListeners_); }

private:
    static void notify(const std::vector<Listener>& listeners) {
        for (size_t i = 0; i < listeners.size(); ++i) listeners[i]();
    }
    std::vector<Listener> levelListeners_;
    std::vector<Listener> stateListeners_;
    std::vector<Listener> powerListeners_;
};

}  // namespace voltaro
