#include "platform/qt/qt_alerts.h"

#include <QVariantMap>

namespace voltaro::qt {
namespace {

QString styleName(ui::AlertButton::Style style) {
    switch (style) {
        case ui::AlertButton::Style::Cancel:
            return QStringLiteral("cancel");
        case ui::AlertButton::Style::Destructive:
            return QStringLiteral("destructive");
        case ui::AlertButton::Style::Default:
            break;
    }
    return QStringLiteral("default");
}

}  // namespace

void QtAlerts::show(const std::string& title, const std::string& message,
                    std::vector<ui::AlertButton> buttons) {
    queue_.push_back({title, message, std::move(buttons)});
    if (queue_.size() == 1) emit currentChanged();
}

QString QtAlerts::title() const {
    return queue_.empty() ? QString() : QString::fromStdString(queue_.front().title);
}

QString QtAlerts::message() const {
    return queue_.empty() ? QString() : QString::fromStdString(queue_.front().message);
}

QVariantList QtAlerts::buttons() const {
    QVariantList list;
    if (queue_.empty()) return list;
    for (const ui::AlertButton& button : queue_.front().buttons) {
        list.push_back(QVariantMap{{"title", QString::fromStdString(button.title)},
                                   {"style", styleName(button.style)}});
    }
    return list;
}

void QtAlerts::answer(int index) {
    if (queue_.empty()) return;
    Alert alert = std::move(queue_.front());
    queue_.pop_front();
    emit currentChanged();
    if (index < 0 || static_cast<size_t>(index) >= alert.buttons.size()) return;
    if (const auto& action = alert.buttons[static_cast<size_t>(index)].action) action();
}

}  // namespace voltaro::qt
