#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>

namespace voltaro::testing {

// Runs Qt's event loop until `condition` holds or `timeout` passes; true when it held. The loop
// waits for events, woken every 20 ms to look again.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const QDeadlineTimer deadline(timeout);
    QTimer wake;
    wake.start(20);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Collects every warning, critical and fatal message of Qt and QML while it lives.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const QStringList& messages() const { return messages_; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);
    QStringList messages_;
    QtMessageHandler previous_;
};

}  // namespace voltaro::testing
