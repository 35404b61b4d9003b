#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/battery_source.h"
#include "platform/main_loop.h"
#include "platform/sim/session_script.h"

namespace voltaro {

// Plays a session script on the main loop: battery lines become the battery's state and level
// (every later line raises its event, even one that repeats the current value), button lines are
// handed to the front-end. Script seconds are seconds of the loop's time from play().
class ReplayBattery final : public BatterySource {
public:
    using CommandHandler = std::function<void(ScriptEvent::Kind)>;

    ReplayBattery(MainLoop& loop, SessionScript script);
    ~ReplayBattery() override;

    float level() const override { return level_; }
    BatteryState state() const override { return state_; }
    void setMonitoringEnabled(bool enabled) override { monitoring_ = enabled; }

    // Start, Stop and Appear lines.
    void onCommand(CommandHandler handler) { commandHandler_ = std::move(handler); }
    // After the last line was played.
    void onFinished(std::function<void()> handler) { finishedHandler_ = std::move(handler); }

    void play();

private:
    void deliver(const ScriptEvent& event);

    MainLoop& loop_;
    SessionScript script_;
    float level_;
    BatteryState state_;
    bool monitoring_ = false;
    size_t delivered_ = 0;
    CommandHandler commandHandler_;
    std::function<void()> finishedHandler_;
    std::vector<std::shared_ptr<Timer>> timers_;
};

}  // namespace voltaro
