#pragma once

#include <QUrl>
#include <functional>

#include "platform/ui/services.h"

namespace voltaro::qt {

// Opens addresses with the desktop's handlers (QDesktopServices). Linux desktops have no settings
// page of an application's own, so openApplicationSettings() only logs.
class QtUrlOpener final : public ui::UrlOpener {
public:
    using Opener = std::function<bool(const QUrl&)>;
    explicit QtUrlOpener(Opener opener = {});

    void open(const std::string& url) override;
    void openApplicationSettings() override;

private:
    Opener opener_;
};

}  // namespace voltaro::qt
