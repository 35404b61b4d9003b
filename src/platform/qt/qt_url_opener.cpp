#include "platform/qt/qt_url_opener.h"

#include <QDesktopServices>

#include "platform/log.h"

namespace voltaro::qt {

QtUrlOpener::QtUrlOpener(Opener opener) : opener_(std::move(opener)) {
    if (!opener_) opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void QtUrlOpener::open(const std::string& url) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.scheme().isEmpty()) {
        log::debug(log::Category::Platform, "not an address to open: " + url);
        return;
    }
    if (!opener_(address)) log::debug(log::Category::Platform, "no application opened " + url);
}

void QtUrlOpener::openApplicationSettings() {
    log::debug(log::Category::Platform, "this desktop has no settings page for applications");
}

}  // namespace voltaro::qt
