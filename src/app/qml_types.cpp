#include "app/qml_types.h"

#include "platform/qt/named_resources.h"
#include "platform/strings.h"

namespace voltaro::app {

QString Localized::text(const QString& key) const {
    return QString::fromStdString(localized(key.toStdString()));
}

QString Localized::version() const {
    return QStringLiteral(VOLTARO_VERSION);
}

QColor Theme::color(const QString& name) const {
    return qt::NamedResources::color(name);
}

QUrl Theme::image(const QString& name) const {
    return qt::NamedResources::imageUrl(name);
}

}  // namespace voltaro::app
