// The main of the Qt tests: a QGuiApplication drawing with the software scene graph, the
// application's QML module, and every warning of Qt and QML kept for the tests to look at.

#include <QtQml/qqmlextensionplugin.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QQuickWindow>
#include <mutex>
#include <utility>

#include "app/web_engine.h"
#include "qt_test_support.h"

Q_IMPORT_QML_PLUGIN(VoltaroPlugin)

namespace {

// Qt's threads (the web engine's among them) may log at any time.
std::mutex warningsMutex;
QStringList warnings;

void keepWarning(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    // Qt 6.4's web engine module says this of its own value types as it registers them, and
    // that it composes pages without a GPU under the software scene graph these tests draw
    // with; its browser engine notes a deprecation of its own error pages.
    const QString line = text.trimmed();
    if ((line.startsWith(QLatin1String("QWebEngine")) &&
         line.endsWith(QLatin1String("You should not use it as a QML type."))) ||
        line == QLatin1String("No suitable graphics backend found") ||
        line.startsWith(QLatin1String("crbug/1173575"))) {
        return;
    }
    const std::lock_guard lock(warningsMutex);
    warnings.push_back(text);
    fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace

QStringList voltaro::testing::takeQtWarnings() {
    const std::lock_guard lock(warningsMutex);
    return std::exchange(warnings, {});
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qInstallMessageHandler(keepWarning);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    voltaro::app::prepareWebEngine();
    QGuiApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    qInstallMessageHandler(nullptr);  // what Qt says while it shuts down is not kept
    return result;
}
