#pragma once

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>

#include "platform/qt/qml_properties.h"
#include "platform/ui/services.h"

namespace voltaro::qt {

// Offers a picture to the user in the QML share sheet (ShareOverlay.qml): save it as a PNG file at
// a path of the user's choice, or open it with another application (the desktop's handler for
// PNG files, through a temporary file). The sheet shows `status` as plain text after each try.
class QtShareSheet : public QObject, public ui::ShareSheet {
    Q_OBJECT
    Q_PROPERTY(bool showing READ showing NOTIFY showingChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(QUrl, previewUrl, showingChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(QString, suggestedPath, showingChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(QString, status, statusChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(bool, failed, statusChanged)
    // The last path given to saveAs names a file that is there: saving to it again replaces it.
    Q_PROPERTY(bool confirmingReplace READ confirmingReplace NOTIFY statusChanged)

public:
    using Opener = std::function<bool(const QUrl&)>;

    // `opener` opens a file URL with another application; QDesktopServices::openUrl by default.
    explicit QtShareSheet(Opener opener = {});

    void share(std::shared_ptr<ui::Image> image, std::function<void()> closed = {}) override;

    bool showing() const { return image_ != nullptr; }
    bool confirmingReplace() const { return !replaceablePath_.isEmpty(); }

    // Writes the picture as PNG to `path` (a local path or a file URL); false on failure. A file
    // that is there already is replaced only when this is asked twice in a row for it: the first
    // time the sheet asks whether to.
    Q_INVOKABLE bool saveAs(const QString& path);
    Q_INVOKABLE bool openWithApplication();
    Q_INVOKABLE void close();

signals:
    void showingChanged();
    void statusChanged();

private:
    // Also forgets the file that the sheet asked about, unless told to keep it.
    void setStatus(const QString& status, bool failed, bool keepReplaceable = false);

    Opener opener_;
    std::shared_ptr<ui::Image> image_;
    std::function<void()> closed_;
    std::unique_ptr<QTemporaryDir> temporary_;
    QString temporaryPath_;
    QString replaceablePath_;
    int count_ = 0;
};

}  // namespace voltaro::qt
