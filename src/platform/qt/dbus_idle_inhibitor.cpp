#include "platform/qt/dbus_idle_inhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "platform/log.h"

namespace voltaro::qt {
namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");

}  // namespace

void DbusIdleInhibitor::inhibit() {
    if (asked_) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        log::debug(log::Category::Platform, "no session bus: the screen may go idle");
        return;
    }
    QDBusConnectionInterface* names = bus.interface();
    if (names == nullptr || !names->isServiceRegistered(kService).value()) {
        log::debug(log::Category::Platform, "no screen saver service: the screen may go idle");
        return;
    }
    asked_ = true;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, QStringLiteral("/ScreenSaver"),
                                                       kService, QStringLiteral("Inhibit"));
    call << QStringLiteral("Voltaro") << QStringLiteral("Measuring a charger");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    log::debug(log::Category::Platform, "the screen saver refused: " +
                                                            reply.error().message().toStdString());
                } else {
                    cookie_ = reply.value();
                }
                finished->deleteLater();
            });
}

}  // namespace voltaro::qt
