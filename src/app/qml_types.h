#pragma once

// Every C++ type that QML sees, registered in this one place: the adapters and services of the
// Qt platform layer by QML_FOREIGN, and two singletons for the scenes' texts and named resources.

#include <QtQml/qqmlregistration.h>

#include <QColor>
#include <QObject>
#include <QString>
#include <QUrl>

#include "app/app_shell.h"
#include "app/screens.h"
#include "platform/qt/layer_item.h"
#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_alerts.h"
#include "platform/qt/qt_navigator.h"
#include "platform/qt/qt_share_sheet.h"

namespace voltaro::app {

struct ForeignOutletAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::OutletAdapter)
    QML_NAMED_ELEMENT(OutletAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignConstraintAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::ConstraintAdapter)
    QML_NAMED_ELEMENT(ConstraintAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignViewAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::ViewAdapter)
    QML_NAMED_ELEMENT(ViewAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignLabelAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::LabelAdapter)
    QML_NAMED_ELEMENT(LabelAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignButtonAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::ButtonAdapter)
    QML_NAMED_ELEMENT(ButtonAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignImageViewAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::ImageViewAdapter)
    QML_NAMED_ELEMENT(ImageViewAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignTextFieldAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::TextFieldAdapter)
    QML_NAMED_ELEMENT(TextFieldAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignTableAdapter {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::TableAdapter)
    QML_NAMED_ELEMENT(TableAdapter)
    QML_UNCREATABLE("Outlet adapters belong to their screens.")
};

struct ForeignLayerItem {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::LayerItem)
    QML_NAMED_ELEMENT(LayerItem)
};

struct ForeignAlerts {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::QtAlerts)
    QML_NAMED_ELEMENT(Alerts)
    QML_UNCREATABLE("The application shell owns the alerts.")
};

struct ForeignShareSheet {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::QtShareSheet)
    QML_NAMED_ELEMENT(ShareSheet)
    QML_UNCREATABLE("The application shell owns the share sheet.")
};

struct ForeignScreen {
    Q_GADGET
    QML_FOREIGN(voltaro::qt::QtScreen)
    QML_NAMED_ELEMENT(Screen)
    QML_UNCREATABLE("The navigator makes the screens.")
};

struct ForeignViewControllerScreen {
    Q_GADGET
    QML_FOREIGN(voltaro::app::ViewControllerScreen)
    QML_NAMED_ELEMENT(ViewControllerScreen)
    QML_UNCREATABLE("The navigator makes the screens.")
};

struct ForeignInitViewControllerScreen {
    Q_GADGET
    QML_FOREIGN(voltaro::app::InitViewControllerScreen)
    QML_NAMED_ELEMENT(InitViewControllerScreen)
    QML_UNCREATABLE("The navigator makes the screens.")
};

struct ForeignAppShell {
    Q_GADGET
    QML_FOREIGN(voltaro::app::AppShell)
    QML_NAMED_ELEMENT(AppShell)
    QML_UNCREATABLE("The application makes its shell.")
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
