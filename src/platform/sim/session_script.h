#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/battery_source.h"

namespace voltaro {

// A recorded session: what the battery did and what the user pressed, one event a line.
//   SECONDS,state,unknown|unplugged|charging|full
//   SECONDS,level,FRACTION      (0..1, or -1 for an unreadable level)
//   SECONDS,start | SECONDS,stop | SECONDS,appear
// SECONDS counts from the start of the script and never decreases. "#" starts a comment.
struct ScriptEvent {
    enum class Kind { State, Level, Start, Stop, Appear };
    Kind kind = Kind::Level;
    double seconds = 0;
    BatteryState state = BatteryState::Unknown;
    float level = 0;
    int line = 0;  // line number in the script, for messages
};

struct SessionScript {
    // The battery the session loads with: the state and level lines at second 0 that come before
    // any other line.
    BatteryState initialState = BatteryState::Unknown;
    float initialLevel = kUnknownBatteryLevel;
    std::vector<ScriptEvent> events;  // everything after those lines, in order
};

class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ScriptError with "NAME:LINE: what is wrong" for the first malformed line.
SessionScript parseSessionScript(std::istream& input, const std::string& name);
SessionScript loadSessionScript(const std::string& path);

}  // namespace voltaro
