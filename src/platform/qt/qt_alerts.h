#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <deque>

#include "platform/ui/services.h"

namespace voltaro::qt {

// Alerts for the QML alert overlay (AlertOverlay.qml): the first alert of a queue is `current`;
// the overlay shows its title, message and buttons as plain text and answers with the index of
// the button tapped, which runs that button's action. Alerts shown while one is up wait their turn.
class QtAlerts : public QObject, public ui::Alerts {
    Q_OBJECT
    Q_PROPERTY(bool showing READ showing NOTIFY currentChanged)
    Q_PROPERTY(QString title READ title NOTIFY currentChanged)
    Q_PROPERTY(QString message READ message NOTIFY currentChanged)
    // One map per button: {"title": text, "style": "default" | "cancel" | "destructive"}.
    Q_PROPERTY(QVariantList buttons READ buttons NOTIFY currentChanged)

public:
    using QObject::QObject;

    void show(const std::string& title, const std::string& message,
              std::vector<ui::AlertButton> buttons) override;

    bool showing() const { return !queue_.empty(); }
    QString title() const;
    QString message() const;
    QVariantList buttons() const;

    // The button at `index` of the current alert was tapped.
    Q_INVOKABLE void answer(int index);

signals:
    void currentChanged();

private:
    struct Alert {
        std::string title;
        std::string message;
        std::vector<ui::AlertButton> buttons;
    };
    std::deque<Alert> queue_;
};

}  // namespace voltaro::qt
