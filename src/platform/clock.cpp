#include "platform/clock.h"

#include <chrono>

namespace voltaro {

AbsoluteTime SystemClock::now() const {
    using namespace std::chrono;
    const double unixSeconds = duration<double>(system_clock::now().time_since_epoch()).count();
    return absoluteFromUnixTime(unixSeconds);
}

}  // namespace voltaro
