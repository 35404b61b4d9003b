#pragma once

#include <QObject>
#include <optional>

#include "platform/ui/services.h"

namespace voltaro::qt {

// Keeps the screen awake through org.freedesktop.ScreenSaver's Inhibit on the session bus. Without
// a session bus, or without the service, nothing happens. The inhibition ends with the process.
class DbusIdleInhibitor final : public QObject, public ui::IdleInhibitor {
    Q_OBJECT

public:
    using QObject::QObject;

    void inhibit() override;

    // The service's cookie, once it answered.
    std::optional<uint> cookie() const { return cookie_; }

private:
    std::optional<uint> cookie_;
    bool asked_ = false;
};

}  // namespace voltaro::qt
