#include "app/web_engine.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

#ifdef VOLTARO_HAVE_WEB_ENGINE
#include <QtWebEngineQuick/qtwebenginequickglobal.h>
#endif

namespace voltaro::app {
namespace {
bool prepared = false;
}  // namespace

void prepareWebEngine() {
#ifdef VOLTARO_HAVE_WEB_ENGINE
    if (prepared || qEnvironmentVariableIsSet("VOLTARO_NO_WEB_ENGINE")) return;
    // The engine's helper processes refuse to start sandboxed for the superuser.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QtWebEngineQuick::initialize();
    prepared = true;
#endif
}

bool embeddedWebViewAvailable() {
    const QDir imports(QLibraryInfo::path(QLibraryInfo::QmlImportsPath));
    return prepared && QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts) &&
           imports.exists(QStringLiteral("QtWebEngine/qmldir"));
}

}  // namespace voltaro::app
