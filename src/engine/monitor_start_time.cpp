#include "engine/monitor_start_time.h"

namespace voltaro {
namespace {
AbsoluteTime g_monitorStartTime = 0;
}

AbsoluteTime monitorStartTime() { return g_monitorStartTime; }
void setMonitorStartTime(AbsoluteTime time) { g_monitorStartTime = time; }

}  // namespace voltaro
