#pragma once

#include <QQuickPaintedItem>
#include <QVariantList>

namespace voltaro::qt {

// Draws the layers of a view (ViewAdapter::layers): two-or-more-colour linear gradients and
// border lines, each in its frame, colours by name. With `fitWidth` the frames are stretched
// horizontally to the item's width, so that bands made for one window width still span the
// window after a resize; with `fitHeight` likewise vertically, to the item's height.
class LayerItem : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(QVariantList layers READ layers WRITE setLayers NOTIFY layersChanged)
    Q_PROPERTY(bool fitWidth READ fitWidth WRITE setFitWidth NOTIFY fitWidthChanged)
    Q_PROPERTY(bool fitHeight READ fitHeight WRITE setFitHeight NOTIFY fitHeightChanged)

public:
    explicit LayerItem(QQuickItem* parent = nullptr);

    QVariantList layers() const { return layers_; }
    void setLayers(const QVariantList& layers);
    bool fitWidth() const { return fitWidth_; }
    void setFitWidth(bool fit);
    bool fitHeight() const { return fitHeight_; }
    void setFitHeight(bool fit);

    void paint(QPainter* painter) override;

signals:
    void layersChanged();
    void fitWidthChanged();
    void fitHeightChanged();

private:
    QVariantList layers_;
    bool fitWidth_ = false;
    bool fitHeight_ = false;
};

}  // namespace voltaro::qt
