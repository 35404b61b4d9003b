#pragma once

// Every C++ type that QML sees, registered in this one place: the outlet adapters, services and
// screens by QML_FOREIGN, and two singletons for the scenes' texts and named resources.

#include <QtQml/qqmlregistration.h>

#include <QColor>
#include <QObject>
#include <QString>
#include <QUrl>

#include "app/app_shell.h"
#include "app/charger_screens.h"
#include "app/curve_screens.h"
#include "app/history_screens.h"
#include "app/screens.h"
#include "platform/qt/layer_item.h"
#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_alerts.h"
#include "platform/qt/qt_navigator.h"
#include "platform/qt/qt_share_sheet.h"

namespace voltaro::app {

// A type that QML names but cannot make: the type, its name in QML and the reason.
#define VOLTARO_QML_FOREIGN(Type, Name, Reason) \
    struct Foreign##Name {                      \
        Q_GADGET                                \
        QML_FOREIGN(Type)                       \
        QML_NAMED_ELEMENT(Name)                 \
        QML_UNCREATABLE(Reason)                 \
    };
#define VOLTARO_QML_ADAPTER(Name) \
    VOLTARO_QML_FOREIGN(voltaro::qt::Name, Name, "Adapters belong to their screens.")
#define VOLTARO_QML_SCREEN(Name) \
    VOLTARO_QML_FOREIGN(voltaro::app::Name, Name, "The navigator makes the screens.")

// clang-format off
VOLTARO_QML_ADAPTER(OutletAdapter) VOLTARO_QML_ADAPTER(ViewAdapter)
VOLTARO_QML_ADAPTER(ConstraintAdapter) VOLTARO_QML_ADAPTER(LabelAdapter)
VOLTARO_QML_ADAPTER(ButtonAdapter) VOLTARO_QML_ADAPTER(ImageViewAdapter)
VOLTARO_QML_ADAPTER(TextFieldAdapter) VOLTARO_QML_ADAPTER(TableAdapter)
VOLTARO_QML_ADAPTER(ActivityIndicatorAdapter) VOLTARO_QML_ADAPTER(WebViewAdapter)

VOLTARO_QML_SCREEN(SharedScreenActions) VOLTARO_QML_SCREEN(ViewControllerScreen)
VOLTARO_QML_SCREEN(TestRecordsVCScreen) VOLTARO_QML_SCREEN(FeedbackVCScreen)
VOLTARO_QML_SCREEN(ChargeCurveVCScreen) VOLTARO_QML_SCREEN(ChargerListVCScreen)
VOLTARO_QML_SCREEN(SelectModelVCScreen) VOLTARO_QML_SCREEN(AddWattsVCScreen)
VOLTARO_QML_SCREEN(AddBrandVCScreen)

VOLTARO_QML_FOREIGN(voltaro::qt::QtScreen, Screen, "The navigator makes the screens.")
VOLTARO_QML_FOREIGN(voltaro::qt::QtAlerts, Alerts, "The application shell owns the alerts.")
VOLTARO_QML_FOREIGN(voltaro::qt::QtShareSheet, ShareSheet, "The shell owns the share sheet.")
VOLTARO_QML_FOREIGN(voltaro::app::AppShell, AppShell, "The application makes its shell.")
// clang-format on

#undef VOLTARO_QML_SCREEN
#undef VOLTARO_QML_ADAPTER
#undef VOLTARO_QML_FOREIGN

// A layer of a view, drawn by QML.
struct ForeignLayerItem {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::LayerItem)
    QML_NAMED_ELEMENT(LayerItem)
};

// The texts of the string tables, for what the scenes show of their own.
class Localized : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString version READ version CONSTANT)

public:
    using QObject::QObject;

    Q_INVOKABLE QString text(const QString& key) const;
    QString version() const;
};

// Named colours and images of the resources.
class Theme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE QColor color(const QString& name) const;
    // Empty for an empty or unknown name.
    Q_INVOKABLE QUrl image(const QString& name) const;
};

}  // namespace voltaro::app
