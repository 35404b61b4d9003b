#include "platform/qt/named_resources.h"

#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/log.h"

namespace voltaro::qt {
namespace {

const QHash<QString, QColor>& colorTable() {
    static const QHash<QString, QColor> table = [] {
        QHash<QString, QColor> colors;
        QFile file(QStringLiteral(":/voltaro/colors.json"));
        if (!file.open(QIODevice::ReadOnly)) {
            log::debug(log::Category::Platform, "the colour table is missing from the resources");
            return colors;
        }
        const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QColor color(it.value().toString());
            if (color.isValid()) colors.insert(it.key(), color);
        }
        return colors;
    }();
    return table;
}

}  // namespace

QColor NamedResources::color(const QString& name) {
    const auto& table = colorTable();
    const auto it = table.find(name);
    if (it == table.end()) {
        if (!name.isEmpty()) {
            log::debug(log::Category::Platform, "unknown colour " + name.toStdString());
        }
        return QColor(Qt::transparent);
    }
    return *it;
}

bool NamedResources::hasColor(const QString& name) {
    return colorTable().contains(name);
}

QStringList NamedResources::colorNames() {
    return colorTable().keys();
}

QString NamedResources::imagePath(const QString& name) {
    return QStringLiteral(":/voltaro/images/") + name + QStringLiteral(".svg");
}

bool NamedResources::hasImage(const QString& name) {
    return !name.isEmpty() && QFile::exists(imagePath(name));
}

QUrl NamedResources::imageUrl(const QString& name) {
    if (!hasImage(name)) return {};
    return QUrl(QStringLiteral("qrc") + imagePath(name));
}

QImage NamedResources::image(const QString& name, QSize pixelSize) {
    if (!hasImage(name)) return {};
    QImageReader reader(imagePath(name));
    if (pixelSize.isValid()) reader.setScaledSize(pixelSize);
    return reader.read();
}

}  // namespace voltaro::qt
