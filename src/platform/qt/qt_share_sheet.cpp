#include "platform/qt/qt_share_sheet.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

#include "platform/qt/qt_screen_capture.h"
#include "platform/strings.h"

namespace voltaro::qt {
namespace {

QString text(const char* key) {
    return QString::fromStdString(localized(key));
}

}  // namespace

QtShareSheet::QtShareSheet(Opener opener) : opener_(std::move(opener)) {
    if (!opener_) opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void QtShareSheet::share(std::shared_ptr<ui::Image> image, std::function<void()> closed) {
    const auto* picture = dynamic_cast<const QtImage*>(image.get());
    if (picture == nullptr) return;
    image_ = std::move(image);
    closed_ = std::move(closed);

    // A fresh name each time: the preview must not show an earlier picture from a cache.
    if (!temporary_) temporary_ = std::make_unique<QTemporaryDir>();
    temporaryPath_.clear();
    previewUrl_.clear();
    if (temporary_->isValid()) {
        const QString path =
            temporary_->filePath(QStringLiteral("Voltaro result %1.png").arg(++count_));
        if (picture->image().save(path, "PNG")) {
            temporaryPath_ = path;
            previewUrl_ = QUrl::fromLocalFile(path);
        }
    }
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty()) pictures = QDir::homePath();
    suggestedPath_ = pictures + QStringLiteral("/Voltaro result ") +
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")) +
                     QStringLiteral(".png");
    setStatus({}, false);
    emit showingChanged();
}

bool QtShareSheet::saveAs(const QString& path) {
    const auto* picture = dynamic_cast<const QtImage*>(image_.get());
    if (picture == nullptr) return false;
    const QUrl url(path);
    QString local = url.isLocalFile() ? url.toLocalFile() : path.trimmed();
    if (local.startsWith(QStringLiteral("~/"))) local = QDir::homePath() + local.mid(1);
    const bool confirmed = !local.isEmpty() && local == std::exchange(replaceablePath_, {});
    if (!confirmed && QFileInfo::exists(local)) {
        replaceablePath_ = local;
        setStatus(text("shareReplaceQuestion").arg(QDir::toNativeSeparators(local)), false, true);
        return false;
    }
    if (local.isEmpty() || !picture->image().save(local, "PNG")) {
        setStatus(text("saveFailedMessage").arg(QDir::toNativeSeparators(local)), true);
        return false;
    }
    setStatus(text("shareSavedMessage").arg(QDir::toNativeSeparators(local)), false);
    return true;
}

bool QtShareSheet::openWithApplication() {
    if (image_ == nullptr) return false;
    if (temporaryPath_.isEmpty() || !opener_(QUrl::fromLocalFile(temporaryPath_))) {
        setStatus(text("shareOpenFailedMessage"), true);
        return false;
    }
    setStatus({}, false);
    return true;
}

void QtShareSheet::close() {
    if (image_ == nullptr) return;
    image_.reset();
    previewUrl_.clear();
    replaceablePath_.clear();
    setStatus({}, false);
    emit showingChanged();
    if (auto closed = std::exchange(closed_, {})) closed();
}

void QtShareSheet::setStatus(const QString& status, bool failed, bool keepReplaceable) {
    if (!keepReplaceable) replaceablePath_.clear();
    status_ = status;
    failed_ = failed;
    emit statusChanged();
}

}  // namespace voltaro::qt
