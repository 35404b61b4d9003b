#include "platform/sim/replay_battery.h"

#include <utility>

namespace voltaro {

ReplayBattery::ReplayBattery(MainLoop& loop, SessionScript script)
    : loop_(loop),
      script_(std::move(script)),
      level_(script_.initialLevel),
      state_(script_.initialState) {}

ReplayBattery::~ReplayBattery() {
    for (auto& timer : timers_) timer->invalidate();
}

void ReplayBattery::play() {
    // Every line is scheduled from the same moment, so its time is exact whatever ran before.
    for (const ScriptEvent& event : script_.events) {
        timers_.push_back(loop_.scheduleOnce(event.seconds, [this, &event] { deliver(event); }));
    }
    if (script_.events.empty()) {
        timers_.push_back(loop_.scheduleOnce(0, [this] {
            if (finishedHandler_) finishedHandler_();
        }));
    }
}

void ReplayBattery::deliver(const ScriptEvent& event) {
    switch (event.kind) {
        case ScriptEvent::Kind::State:
            state_ = event.state;
            if (monitoring_) notifyStateChanged();
            break;
        case ScriptEvent::Kind::Level:
            level_ = event.level;
            if (monitoring_) notifyLevelChanged();
            break;
        case ScriptEvent::Kind::Start:
        case ScriptEvent::Kind::Stop:
        case ScriptEvent::Kind::Appear:
            if (commandHandler_) commandHandler_(event.kind);
            break;
    }
    if (++delivered_ == script_.events.size() && finishedHandler_) finishedHandler_();
}

}  // namespace voltaro
