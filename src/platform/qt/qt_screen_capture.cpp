#include "platform/qt/qt_screen_capture.h"

#include <QPainter>
#include <cmath>

#include "platform/qt/named_resources.h"

namespace voltaro::qt {

std::shared_ptr<ui::Image> QtScreenCapture::captureScreen() {
    if (window_ == nullptr) return nullptr;
    QImage image = window_->grabWindow();
    if (image.isNull()) return nullptr;
    return std::make_shared<QtImage>(std::move(image));
}

std::shared_ptr<ui::Image> QtScreenCapture::compose(const ui::Image& base,
                                                    const std::string& overlayImageName,
                                                    ui::Rect overlay, double scale) {
    const auto* baseImage = dynamic_cast<const QtImage*>(&base);
    if (baseImage == nullptr || !(scale > 0)) return nullptr;
    const QImage overlayImage =
        NamedResources::image(QString::fromStdString(overlayImageName),
                              QSize(static_cast<int>(std::lround(overlay.width * scale)),
                                    static_cast<int>(std::lround(overlay.height * scale))));
    if (overlayImage.isNull()) return nullptr;

    const QSize pixels(static_cast<int>(std::ceil(base.width() * scale)),
                       static_cast<int>(std::ceil(base.height() * scale)));
    QImage composed(pixels, QImage::Format_ARGB32_Premultiplied);
    composed.fill(Qt::transparent);
    composed.setDevicePixelRatio(scale);
    {
        QPainter painter(&composed);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setOpacity(1.0);
        painter.drawImage(QRectF(0, 0, base.width(), base.height()), baseImage->image());
        painter.drawImage(QRectF(overlay.x, overlay.y, overlay.width, overlay.height),
                          overlayImage);
    }
    return std::make_shared<QtImage>(std::move(composed));
}

}  // namespace voltaro::qt
