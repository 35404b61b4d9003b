#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace voltaro::qt {

// The application's named colours and images. Colours come from one table in the resources,
// `:/voltaro/colors.json`, mapping each name ("highlightColor", "clear") to "#RRGGBB" or
// "#AARRGGBB"; image "NAME" is the SVG file `:/voltaro/images/NAME.svg`.
class NamedResources {
public:
    // Transparent for an unknown name.
    static QColor color(const QString& name);
    static bool hasColor(const QString& name);
    static QStringList colorNames();

    static bool hasImage(const QString& name);
    // qrc URL of an image for QML; empty for an empty or unknown name.
    static QUrl imageUrl(const QString& name);
    // The image drawn at `pixelSize`; a null image for an unknown name.
    static QImage image(const QString& name, QSize pixelSize);

    static QString imagePath(const QString& name);
};

}  // namespace voltaro::qt
