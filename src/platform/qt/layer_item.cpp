#include "platform/qt/layer_item.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QVariantMap>
#include <algorithm>

#include "platform/qt/named_resources.h"

namespace voltaro::qt {

LayerItem::LayerItem(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &QQuickItem::widthChanged, this, [this] { update(); });
    connect(this, &QQuickItem::heightChanged, this, [this] { update(); });
}

void LayerItem::setLayers(const QVariantList& layers) {
    if (layers_ == layers) return;
    layers_ = layers;
    emit layersChanged();
    update();
}

void LayerItem::setFitWidth(bool fit) {
    if (fitWidth_ == fit) return;
    fitWidth_ = fit;
    emit fitWidthChanged();
    update();
}

void LayerItem::setFitHeight(bool fit) {
    if (fitHeight_ == fit) return;
    fitHeight_ = fit;
    emit fitHeightChanged();
    update();
}

void LayerItem::paint(QPainter* painter) {
    double right = 0;
    double bottom = 0;
    for (const QVariant& entry : layers_) {
        const QVariantMap layer = entry.toMap();
        right = std::max(right, layer["x"].toDouble() + layer["width"].toDouble());
        bottom = std::max(bottom, layer["y"].toDouble() + layer["height"].toDouble());
    }
    const double stretch = fitWidth_ && right > 0 ? width() / right : 1.0;
    const double stretchY = fitHeight_ && bottom > 0 ? height() / bottom : 1.0;

    for (const QVariant& entry : layers_) {
        const QVariantMap layer = entry.toMap();
        const QRectF frame(layer["x"].toDouble() * stretch, layer["y"].toDouble() * stretchY,
                           layer["width"].toDouble() * stretch,
                           layer["height"].toDouble() * stretchY);
        if (layer["kind"].toString() == QLatin1String("border")) {
            const double lineWidth = layer["borderWidth"].toDouble();
            if (lineWidth <= 0) continue;
            // Like a layer's border: drawn inside the frame.
            const double inset = lineWidth / 2;
            painter->setPen(
                QPen(NamedResources::color(layer["borderColorName"].toString()), lineWidth));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(frame.adjusted(inset, inset, -inset, -inset));
            continue;
        }
        const QVariantList colors = layer["colorNames"].toList();
        if (colors.isEmpty()) continue;
        const QVariantList locations = layer["locations"].toList();
        QLinearGradient gradient(frame.left() + layer["startX"].toDouble() * frame.width(),
                                 frame.top() + layer["startY"].toDouble() * frame.height(),
                                 frame.left() + layer["endX"].toDouble() * frame.width(),
                                 frame.top() + layer["endY"].toDouble() * frame.height());
        const qsizetype count = colors.size();
        for (qsizetype i = 0; i < count; ++i) {
            // Without (enough) stops the colours are spread evenly.
            const double position =
                locations.size() == count
                    ? locations[i].toDouble()
                    : (count == 1 ? 0.0 : static_cast<double>(i) / static_cast<double>(count - 1));
            gradient.setColorAt(std::clamp(position, 0.0, 1.0),
                                NamedResources::color(colors[i].toString()));
        }
        painter->fillRect(frame, gradient);
    }
}

}  // namespace voltaro::qt
