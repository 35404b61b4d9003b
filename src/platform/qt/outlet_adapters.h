#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/animation_context.h"
#include "platform/qt/qml_properties.h"
#include "platform/ui/outlets.h"

class QQmlPropertyMap;

namespace voltaro::qt {

inline std::string toOutlet(const QString& text) {
    return text.toStdString();
}
template <typename T>
const T& toOutlet(const T& value) {
    return value;
}

// A property that QML reads and sets: setting it hands the value to the outlet's setter of the
// same name (the scene's starting state, the text typed), whose change comes back through
// refresh() like any other.
#define VOLTARO_OUTLET_SETTABLE(Type, name, setter, outlet)           \
    Q_PROPERTY(Type name READ name WRITE setter NOTIFY name##Changed) \
                                                                      \
public:                                                               \
    Q_SIGNAL void name##Changed();                                    \
    void setter(const Type& value) {                                  \
        outlet.setter(toOutlet(value));                               \
    }                                                                 \
    VOLTARO_QML_KEPT(Type, name)

// The QML face of one outlet: Q_PROPERTYs that mirror the outlet and notify on each change. Every
// adapter also carries the animation its outlet's last change belongs to (none outside
// Animator::animate), so that QML Behaviors animate exactly the changes made inside an animation.
// An adapter must not outlive its outlet. Main thread only.
class OutletAdapter : public QObject {
    Q_OBJECT
    Q_PROPERTY(int animationDuration READ animationDuration NOTIFY animationChanged)
    Q_PROPERTY(int animationEasing READ animationEasing NOTIFY animationChanged)
    Q_PROPERTY(double animationOvershoot READ animationOvershoot NOTIFY animationChanged)

public:
    ~OutletAdapter() override;

    int animationDuration() const { return animation_.durationMs; }
    int animationEasing() const { return static_cast<int>(animation_.easing); }
    double animationOvershoot() const { return animation_.overshoot; }

signals:
    void animationChanged();

protected:
    OutletAdapter(ui::Observable& outlet, QObject* parent);
    // Compares the outlet with the values last published and emits what changed.
    virtual void refresh() = 0;

private:
    ui::Observable& outlet_;
    int token_ = 0;
    AnimationStyle animation_;
};

// A layout constraint: its constant in points, usually an offset or a width.
class ConstraintAdapter : public OutletAdapter {
    Q_OBJECT
    ui::Constraint& constraint_;
    VOLTARO_OUTLET_SETTABLE(double, constant, setConstant, constraint_)

public:
    explicit ConstraintAdapter(ui::Constraint& constraint, QObject* parent = nullptr);

protected:
    void refresh() override;
};

class ViewAdapter : public OutletAdapter {
    Q_OBJECT
    ui::View& view_;
    VOLTARO_OUTLET_SETTABLE(bool, hidden, setHidden, view_)
    VOLTARO_OUTLET_SETTABLE(double, alpha, setAlpha, view_)
    VOLTARO_QML_VALUE(QString, backgroundColorName)
    VOLTARO_QML_VALUE(qint64, tag)
    VOLTARO_QML_VALUE_NOTIFIED_BY(double, width, sizeChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(double, height, sizeChanged)
    Q_PROPERTY(QVariantList layers READ layers NOTIFY layersChanged)
    VOLTARO_QML_VALUE(bool, clipsToBounds)

public:
    explicit ViewAdapter(ui::View& view, QObject* parent = nullptr);

    QVariantList layers() const;

    // The size QML laid the view out at, in points.
    Q_INVOKABLE void setSize(double width, double height) { view_.setSize(width, height); }

signals:
    void sizeChanged();
    void layersChanged();

protected:
    void refresh() override;
    // Publishes the view's own properties; true when any of them changed.
    bool refreshView();

private:
    // Keeps `value` and emits `changed` when it differs from the value kept; true when it did.
    template <typename T>
    bool publish(T& kept, const T& value, void (ViewAdapter::*changed)());

    std::vector<ui::Layer> layers_;
};

// A label's text is always plain text; `styled` tells that it came with the message styling
// (`fontSize` and `lineSpacing` in points). `pointSize` is the font size its screen sets (0: the
// size the page gives it).
class LabelAdapter : public ViewAdapter {
    Q_OBJECT
    ui::Label& label_;
    VOLTARO_OUTLET_SETTABLE(QString, text, setText, label_)
    VOLTARO_QML_VALUE_NOTIFIED_BY(bool, styled, styleChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(double, fontSize, styleChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(double, lineSpacing, styleChanged)
    VOLTARO_QML_VALUE(QString, textColorName)
    VOLTARO_QML_VALUE(double, pointSize)

public:
    explicit LabelAdapter(ui::Label& label, QObject* parent = nullptr);

signals:
    void styleChanged();

protected:
    void refresh() override;

private:
    void read();
};

class ButtonAdapter : public ViewAdapter {
    Q_OBJECT
    ui::Button& button_;
    VOLTARO_OUTLET_SETTABLE(QString, title, setTitle, button_)
    VOLTARO_OUTLET_SETTABLE(QString, imageName, setImageName, button_)
    VOLTARO_QML_VALUE(QString, titleColorName)
    VOLTARO_QML_VALUE(bool, enabled)
    VOLTARO_QML_VALUE(bool, selected)

public:
    explicit ButtonAdapter(ui::Button& button, QObject* parent = nullptr);

protected:
    void refresh() override;
};

class ImageViewAdapter : public ViewAdapter {
    Q_OBJECT
    ui::ImageView& image_;
    VOLTARO_OUTLET_SETTABLE(QString, imageName, setImageName, image_)

public:
    explicit ImageViewAdapter(ui::ImageView& image, QObject* parent = nullptr);

protected:
    void refresh() override;
};

// Typing sets the field's text through `text`; the controller reads it from the outlet.
class TextFieldAdapter : public ViewAdapter {
    Q_OBJECT
    ui::TextField& field_;
    VOLTARO_OUTLET_SETTABLE(QString, text, setText, field_)
    VOLTARO_QML_VALUE(QString, placeholder)
    VOLTARO_OUTLET_SETTABLE(bool, focused, setFocused, field_)

public:
    explicit TextFieldAdapter(ui::TextField& field, QObject* parent = nullptr);

protected:
    void refresh() override;
};

// A table's rows come from its screen; the adapter tells QML when to ask for them again.
class TableAdapter : public ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(int revision READ revision NOTIFY reloaded)

public:
    explicit TableAdapter(ui::Table& table, QObject* parent = nullptr);

    int revision() const { return revision_; }

signals:
    void reloaded();

protected:
    void refresh() override;

private:
    int revision_ = 0;
};

// A spinner: shown while `animating`.
class ActivityIndicatorAdapter : public ViewAdapter {
    Q_OBJECT
    ui::ActivityIndicator& indicator_;
    VOLTARO_QML_VALUE(bool, animating)

public:
    explicit ActivityIndicatorAdapter(ui::ActivityIndicator& indicator, QObject* parent = nullptr);

protected:
    void refresh() override;
};

// An embedded web page: the address to load and where it goes; its size is the view's.
class WebViewAdapter : public ViewAdapter {
    Q_OBJECT
    ui::WebView& webView_;
    VOLTARO_QML_VALUE(QString, url)
    VOLTARO_QML_VALUE_NOTIFIED_BY(double, x, frameChanged)
    VOLTARO_QML_VALUE_NOTIFIED_BY(double, y, frameChanged)
    VOLTARO_QML_VALUE(bool, scrollEnabled)
    VOLTARO_QML_VALUE(bool, opaque)

public:
    explicit WebViewAdapter(ui::WebView& webView, QObject* parent = nullptr);

signals:
    void frameChanged();

protected:
    void refresh() override;
};

// A screen's outlets shown to its page: each outlet of the list becomes a property of the
// screen's map under the outlet's name, through the adapter of the outlet's kind. Declared after
// the controller that holds the outlets, so that the adapters go first.
class ScreenOutlets {
public:
    ScreenOutlets(QQmlPropertyMap& screen, const ui::OutletList& outlets);

    // The adapter of the outlet `name`, of the kind asked for; null for none.
    template <class Adapter>
    Adapter* adapter(const QString& name) const {
        for (const auto& adapter : adapters_) {
            if (adapter->objectName() == name) return qobject_cast<Adapter*>(adapter.get());
        }
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<OutletAdapter>> adapters_;
};

}  // namespace voltaro::qt
