// The main of the Qt tests: a QGuiApplication drawing with the software scene graph, and the
// application's QML module.

#include <QtQml/qqmlextensionplugin.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QQuickWindow>

#include "qt_test_support.h"

Q_IMPORT_QML_PLUGIN(VoltaroPlugin)

namespace voltaro::testing {
namespace {
MessageRecorder* activeRecorder = nullptr;
}  // namespace

MessageRecorder::MessageRecorder() : previous_(qInstallMessageHandler(&MessageRecorder::handle)) {
    activeRecorder = this;
}

MessageRecorder::~MessageRecorder() {
    activeRecorder = nullptr;
    qInstallMessageHandler(previous_);
}

void MessageRecorder::handle(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    if (activeRecorder != nullptr) activeRecorder->messages_.push_back(text);
    fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace voltaro::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
