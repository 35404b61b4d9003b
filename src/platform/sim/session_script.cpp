#include "platform/sim/session_script.h"

#include <charconv>
#include <cmath>
#include <fstream>

namespace voltaro {
namespace {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        fields.push_back(trim(line.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

bool parseNumber(std::string_view text, double& value) {
    if (text.empty()) return false;
    if (text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool parseState(std::string_view text, BatteryState& state) {
    for (BatteryState candidate : {BatteryState::Unknown, BatteryState::Unplugged,
                                   BatteryState::Charging, BatteryState::Full}) {
        if (text == batteryStateName(candidate)) {
            state = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace

SessionScript parseSessionScript(std::istream& input, const std::string& name) {
    SessionScript script;
    std::string raw;
    int lineNumber = 0;
    double lastSeconds = 0;
    bool inPrologue = true;  // still reading the state and level lines at second 0

    const auto fail = [&](const std::string& message) {
        throw ScriptError(name + ":" + std::to_string(lineNumber) + ": " + message);
    };

    while (std::getline(input, raw)) {
        ++lineNumber;
        std::string_view line = raw;
        if (const auto hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        line = trim(line);
        if (line.empty()) continue;

        const auto fields = splitFields(line);
        ScriptEvent event;
        event.line = lineNumber;
        if (!parseNumber(fields[0], event.seconds)) fail("the time is not a number of seconds");
        if (event.seconds < 0) fail("the time is negative");
        if (event.seconds < lastSeconds) fail("the time goes backwards");
        lastSeconds = event.seconds;
        if (fields.size() < 2 || fields[1].empty()) fail("the event is missing");

        const std::string_view kind = fields[1];
        const auto expectFields = [&](size_t count, const char* usage) {
            if (fields.size() != count) fail(std::string("expected ") + usage);
        };
        if (kind == "state") {
            expectFields(3, "SECONDS,state,unknown|unplugged|charging|full");
            event.kind = ScriptEvent::Kind::State;
            if (!parseState(fields[2], event.state)) {
                fail("unknown state \"" + std::string(fields[2]) +
                     "\" (unknown, unplugged, charging or full)");
            }
        } else if (kind == "level") {
            expectFields(3, "SECONDS,level,FRACTION");
            event.kind = ScriptEvent::Kind::Level;
            double level = 0;
            if (!parseNumber(fields[2], level)) fail("the level is not a number");
            if (level != -1.0 && (level < 0.0 || level > 1.0)) {
                fail("the level must be a fraction from 0 to 1, or -1 when unknown");
            }
            event.level = static_cast<float>(level);
        } else if (kind == "start" || kind == "stop" || kind == "appear") {
            expectFields(2, "SECONDS,start, SECONDS,stop or SECONDS,appear");
            event.kind = kind == "start"  ? ScriptEvent::Kind::Start
                         : kind == "stop" ? ScriptEvent::Kind::Stop
                                          : ScriptEvent::Kind::Appear;
        } else {
            fail("unknown event \"" + std::string(kind) +
                 "\" (state, level, start, stop or appear)");
        }

        const bool setsBattery =
            event.kind == ScriptEvent::Kind::State || event.kind == ScriptEvent::Kind::Level;
        if (inPrologue && setsBattery && event.seconds == 0) {
            if (event.kind == ScriptEvent::Kind::State) script.initialState = event.state;
            if (event.kind == ScriptEvent::Kind::Level) script.initialLevel = event.level;
            continue;
        }
        inPrologue = false;
        script.events.push_back(event);
    }
    if (input.bad()) throw ScriptError(name + ": cannot be read");
    return script;
}

SessionScript loadSessionScript(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw ScriptError(path + ": cannot be opened");
    return parseSessionScript(file, path);
}

}  // namespace voltaro
