#include "platform/qt/qt_photo_album.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/log.h"
#include "platform/qt/qt_screen_capture.h"
#include "platform/strings.h"

namespace voltaro::qt {
namespace {

std::string failure(const QString& directory) {
    return QString::fromStdString(localized("saveFailedMessage"))
        .arg(QDir::toNativeSeparators(directory))
        .toStdString();
}

}  // namespace

QtPhotoAlbum::QtPhotoAlbum(QString directory) : directory_(std::move(directory)) {}

QString QtPhotoAlbum::defaultDirectory() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty()) pictures = QDir::homePath();
    return pictures + QStringLiteral("/Voltaro");
}

std::optional<std::string> QtPhotoAlbum::save(const ui::Image& image) {
    const auto* picture = dynamic_cast<const QtImage*>(&image);
    if (picture == nullptr || picture->image().isNull()) return failure(directory_);
    if (!QDir().mkpath(directory_)) return failure(directory_);

    const QString stem = QStringLiteral("Voltaro ") + QDateTime::currentDateTime().toString(
                                                          QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    QString path = directory_ + '/' + stem + QStringLiteral(".png");
    for (int copy = 2; QFileInfo::exists(path); ++copy) {
        path = directory_ + '/' + stem + QStringLiteral(" (%1).png").arg(copy);
    }
    if (!picture->image().save(path, "PNG")) return failure(directory_);
    lastSavedPath_ = path;
    log::debug(log::Category::Platform, "save is success");
    return std::nullopt;
}

}  // namespace voltaro::qt
