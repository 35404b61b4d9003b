#pragma once

#include "platform/clock.h"

namespace voltaro {

// The moment the main screen last appeared (or a test last failed). The history screen marks the
// records whose test began counting after it. Process-wide; main thread only.
AbsoluteTime monitorStartTime();
void setMonitorStartTime(AbsoluteTime time);

}  // namespace voltaro
