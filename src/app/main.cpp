// voltaro: the Qt Quick application.

#include <QtQml/qqmlextensionplugin.h>

#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QQuickWindow>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/app_options.h"
#include "app/application.h"
#include "app/web_engine.h"

Q_IMPORT_QML_PLUGIN(VoltaroPlugin)

namespace {

bool asksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "--version") return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version need no window (nor a display).
    if (asksForHelpOrVersion(argc, argv)) {
        return voltaro::app::parseOptions({argv + 1, argv + argc}, std::cout, std::cerr).exitCode;
    }

    QGuiApplication::setApplicationName(QStringLiteral("voltaro"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Voltaro"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VOLTARO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.voltaro.Voltaro"));
    voltaro::app::prepareWebEngine();
    QGuiApplication application(argc, argv);

    // Qt took its own options out of argv.
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    const voltaro::app::ParsedOptions parsed =
        voltaro::app::parseOptions(arguments, std::cout, std::cerr);
    if (!parsed.options) return parsed.exitCode;

    // Without a display there is no GPU either: the software scene graph draws the window.
    if (QGuiApplication::platformName() == QLatin1String("offscreen") ||
        QGuiApplication::platformName() == QLatin1String("minimal")) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    QGuiApplication::setFont(QFont(QStringLiteral("DejaVu Sans")));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/voltaro/app.voltaro.Voltaro.svg")));

    voltaro::app::Application voltaroApp(*parsed.options);
    return voltaroApp.run(std::cerr);
}
