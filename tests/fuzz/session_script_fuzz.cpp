// Replay scripts (recorded sessions that users attach to bug reports): either a clear error that
// names the line, or a script that plays to its end in order on virtual time.
#include <sstream>

#include "fuzz_support.h"
#include "platform/sim/replay_battery.h"
#include "platform/sim/virtual_time.h"

VOLTARO_FUZZ(bytes) {
    std::istringstream input{std::string(bytes)};
    SessionScript script;
    try {
        script = parseSessionScript(input, "fuzz");
    } catch (const ScriptError& error) {
        fuzz::check(std::string_view(error.what()).starts_with("fuzz:"),
                    "an error without a place");
        return;
    }
    const size_t events = script.events.size();
    VirtualTime loop;
    ReplayBattery battery(loop, std::move(script));
    battery.setMonitoringEnabled(true);
    size_t seen = 0;
    double last = 0;
    const auto onEvent = [&] {
        fuzz::check(loop.now() >= last, "a script event went back in time");
        last = loop.now();
        ++seen;
    };
    battery.onLevelChanged(onEvent);
    battery.onStateChanged(onEvent);
    battery.onCommand([&](ScriptEvent::Kind) { onEvent(); });
    bool finished = false;
    battery.onFinished([&] { finished = true; });
    battery.play();
    loop.run();
    fuzz::check(finished && seen == events, "the script did not play to its end");
}
