#pragma once

#include <memory>

#include "device/device.h"
#include "platform/curl/curl_http_client.h"
#include "platform/main_loop.h"
#include "platform/preference_store.h"
#include "platform/socket/socket_watch_channel.h"
#include "screens/session_services.h"
#include "watch/watch_link.h"

namespace voltaro::app {

// What the test session hands its results to: the history, the remote service and the watch
// link, owned together for the life of the application.
class SessionWiring {
public:
    SessionWiring(MainLoop& loop, PreferenceStore& preferences, Device& device);

    SessionHandoffs& handoffs() { return services_; }
    // The watch link that launch work activates.
    WatchChannel* watchChannel() { return &watch_; }
    const Utility& utility() const { return services_.utility(); }
    // The kernel's own power figure, saved beside each result.
    void setKernelPowerMeter(const KernelPowerMeter* meter) { services_.setKernelPowerMeter(meter); }
    // Off for a simulated or replayed battery unless a history was named or saving asked for.
    void setKeepingRecords(bool keep) { services_.setKeepingRecords(keep); }

private:
    CurlHttpClient http_;
    SocketWatchChannel watch_;
    WatchLink link_;
    SessionServices services_;
};

}  // namespace voltaro::app
