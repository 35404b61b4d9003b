#pragma once

#include <QObject>

#include "platform/qt/qt_alerts.h"
#include "platform/qt/qt_share_sheet.h"

namespace voltaro::app {

// What the window (Main.qml) shows above the screens: the alert and the share sheet. Handed to
// the window as its `shell` property.
class AppShell : public QObject {
    Q_OBJECT
    Q_PROPERTY(voltaro::qt::QtAlerts* alerts READ alerts CONSTANT)
    Q_PROPERTY(voltaro::qt::QtShareSheet* shareSheet READ shareSheet CONSTANT)

public:
    using QObject::QObject;

    qt::QtAlerts* alerts() { return &alerts_; }
    qt::QtShareSheet* shareSheet() { return &shareSheet_; }

private:
    qt::QtAlerts alerts_;
    qt::QtShareSheet shareSheet_;
};

}  // namespace voltaro::app
