#include "app/session_wiring.h"

#include "service/endpoints.h"

namespace voltaro::app {

SessionWiring::SessionWiring(MainLoop& loop, PreferenceStore& preferences, Device& device)
    : http_(loop),
      watch_(loop),
      link_(watch_, device),
      services_(loop, http_, ServiceEndpoints::fromConfiguration(), preferences, device, &watch_) {}

}  // namespace voltaro::app
