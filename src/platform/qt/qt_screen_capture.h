#pragma once

#include <QImage>
#include <QPointer>
#include <QQuickWindow>
#include <memory>

#include "platform/ui/services.h"

namespace voltaro::qt {

// A picture held as a QImage; its size in points is its pixel size over its device pixel ratio.
class QtImage final : public ui::Image {
public:
    explicit QtImage(QImage image) : image_(std::move(image)) {}

    double width() const override { return image_.width() / scale(); }
    double height() const override { return image_.height() / scale(); }
    double scale() const override { return image_.devicePixelRatio(); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

// Pictures of the application window, and the share picture drawn from one.
class QtScreenCapture final : public ui::ScreenCapture {
public:
    void setWindow(QQuickWindow* window) { window_ = window; }

    // The window as it shows now (QQuickWindow::grabWindow), at its device pixel ratio.
    std::shared_ptr<ui::Image> captureScreen() override;
    // A new picture of the base's size in points at `scale` pixels per point, transparent where
    // nothing is drawn: the base over all of it, then the named image fitted into `overlay`.
    // Nothing when the base is not a QtImage or the named image is missing.
    std::shared_ptr<ui::Image> compose(const ui::Image& base, const std::string& overlayImageName,
                                       ui::Rect overlay, double scale) override;

private:
    QPointer<QQuickWindow> window_;
};

}  // namespace voltaro::qt
