#pragma once

#include <QString>

#include "platform/ui/services.h"

namespace voltaro::qt {

// The user's pictures: PNG files in a folder ("Voltaro" in the pictures folder by default), which
// is made when missing. Each picture gets a new name from the time it was saved.
class QtPhotoAlbum final : public ui::PhotoAlbum {
public:
    explicit QtPhotoAlbum(QString directory = defaultDirectory());

    static QString defaultDirectory();

    // Returns a localized error text naming the folder when the picture cannot be written.
    std::optional<std::string> save(const ui::Image& image) override;

    const QString& directory() const { return directory_; }
    const QString& lastSavedPath() const { return lastSavedPath_; }

private:
    QString directory_;
    QString lastSavedPath_;
};

}  // namespace voltaro::qt
