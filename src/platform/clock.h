#pragma once

namespace voltaro {

// Absolute time: seconds since 2001-01-01 00:00:00 UTC, as a double. Every time the program keeps
// (samples, start times, records) uses this base, except the history's "date", which counts from 1970.
using AbsoluteTime = double;

// Seconds between 1970-01-01 and 2001-01-01, both UTC.
inline constexpr double kUnixToAbsoluteOffset = 978307200.0;

inline double unixTimeFromAbsolute(AbsoluteTime t) { return t + kUnixToAbsoluteOffset; }
inline AbsoluteTime absoluteFromUnixTime(double unixSeconds) { return unixSeconds - kUnixToAbsoluteOffset; }

class Clock {
public:
    virtual ~Clock() = default;
    virtual AbsoluteTime now() const = 0;
};

// The machine's wall clock.
class SystemClock final : public Clock {
public:
    AbsoluteTime now() const override;
};

}  // namespace voltaro
