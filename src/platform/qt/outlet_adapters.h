#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

#include "platform/qt/animation_context.h"
#include "platform/ui/outlets.h"

class QQmlPropertyMap;

namespace voltaro::qt {

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
    Q_PROPERTY(double constant READ constant WRITE setConstant NOTIFY constantChanged)

public:
    explicit ConstraintAdapter(ui::Constraint& constraint, QObject* parent = nullptr);

    double constant() const { return constant_; }
    // The scene's starting value; the controller's changes arrive through the outlet.
    void setConstant(double constant) { constraint_.setConstant(constant); }

signals:
    void constantChanged();

protected:
    void refresh() override;

private:
    ui::Constraint& constraint_;
    double constant_;
};

class ViewAdapter : public OutletAdapter {
    Q_OBJECT
    Q_PROPERTY(bool hidden READ hidden WRITE setHidden NOTIFY hiddenChanged)
    Q_PROPERTY(double alpha READ alpha WRITE setAlpha NOTIFY alphaChanged)
    Q_PROPERTY(
        QString backgroundColorName READ backgroundColorName NOTIFY backgroundColorNameChanged)
    Q_PROPERTY(qint64 tag READ tag NOTIFY tagChanged)
    Q_PROPERTY(double width READ width NOTIFY sizeChanged)
    Q_PROPERTY(double height READ height NOTIFY sizeChanged)
    Q_PROPERTY(QVariantList layers READ layers NOTIFY layersChanged)
    Q_PROPERTY(bool clipsToBounds READ clipsToBounds NOTIFY clipsToBoundsChanged)

public:
    explicit ViewAdapter(ui::View& view, QObject* parent = nullptr);

    bool hidden() const { return hidden_; }
    double alpha() const { return alpha_; }
    QString backgroundColorName() const { return backgroundColorName_; }
    qint64 tag() const { return tag_; }
    double width() const { return width_; }
    double height() const { return height_; }
    QVariantList layers() const;
    bool clipsToBounds() const { return clipsToBounds_; }

    // The scene's starting state.
    void setHidden(bool hidden) { view_.setHidden(hidden); }
    void setAlpha(double alpha) { view_.setAlpha(alpha); }
    // The size QML laid the view out at, in points.
    Q_INVOKABLE void setSize(double width, double height) { view_.setSize(width, height); }

signals:
    void hiddenChanged();
    void alphaChanged();
    void backgroundColorNameChanged();
    void tagChanged();
    void sizeChanged();
    void layersChanged();
    void clipsToBoundsChanged();

protected:
    void refresh() override;
    // Publishes the view's own properties; true when any of them changed.
    bool refreshView();

private:
    // Keeps `value` and emits `changed` when it differs from the value kept; true when it did.
    template <typename T>
    bool publish(T& kept, const T& value, void (ViewAdapter::*changed)());

    ui::View& view_;
    bool hidden_;
    double alpha_;
    QString backgroundColorName_;
    qint64 tag_;
    double width_;
    double height_;
    std::vector<ui::Layer> layers_;
    bool clipsToBounds_;
};

// A label's text is always plain text; `styled` tells that it came with the message styling
// (`fontSize` and `lineSpacing` in points). `pointSize` is the font size its screen sets (0: the
// size the page gives it).
class LabelAdapter : public ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(bool styled READ styled NOTIFY styleChanged)
    Q_PROPERTY(double fontSize READ fontSize NOTIFY styleChanged)
    Q_PROPERTY(double lineSpacing READ lineSpacing NOTIFY styleChanged)
    Q_PROPERTY(QString textColorName READ textColorName NOTIFY textColorNameChanged)
    Q_PROPERTY(double pointSize READ pointSize NOTIFY pointSizeChanged)

public:
    explicit LabelAdapter(ui::Label& label, QObject* parent = nullptr);

    QString text() const { return text_; }
    bool styled() const { return styled_; }
    double fontSize() const { return fontSize_; }
    double lineSpacing() const { return lineSpacing_; }
    QString textColorName() const { return textColorName_; }
    double pointSize() const { return pointSize_; }
    // The scene's own text.
    void setText(const QString& text) { label_.setText(text.toStdString()); }

signals:
    void textChanged();
    void styleChanged();
    void textColorNameChanged();
    void pointSizeChanged();

protected:
    void refresh() override;

private:
    void read();

    ui::Label& label_;
    QString text_;
    bool styled_ = false;
    double fontSize_ = 0;
    double lineSpacing_ = 0;
    QString textColorName_;
    double pointSize_ = 0;
};

class ButtonAdapter : public ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QString imageName READ imageName WRITE setImageName NOTIFY imageNameChanged)
    Q_PROPERTY(QString titleColorName READ titleColorName NOTIFY titleColorNameChanged)
    Q_PROPERTY(bool enabled READ enabled NOTIFY enabledChanged)
    Q_PROPERTY(bool selected READ selected NOTIFY selectedChanged)

public:
    explicit ButtonAdapter(ui::Button& button, QObject* parent = nullptr);

    QString title() const { return title_; }
    QString imageName() const { return imageName_; }
    QString titleColorName() const { return titleColorName_; }
    bool enabled() const { return enabled_; }
    bool selected() const { return selected_; }
    void setTitle(const QString& title) { button_.setTitle(title.toStdString()); }
    void setImageName(const QString& name) { button_.setImageName(name.toStdString()); }

signals:
    void titleChanged();
    void imageNameChanged();
    void titleColorNameChanged();
    void enabledChanged();
    void selectedChanged();

protected:
    void refresh() override;

private:
    ui::Button& button_;
    QString title_;
    QString imageName_;
    QString titleColorName_;
    bool enabled_;
    bool selected_;
};

class ImageViewAdapter : public ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(QString imageName READ imageName WRITE setImageName NOTIFY imageNameChanged)

public:
    explicit ImageViewAdapter(ui::ImageView& image, QObject* parent = nullptr);

    QString imageName() const { return imageName_; }
    void setImageName(const QString& name) { image_.setImageName(name.toStdString()); }

signals:
    void imageNameChanged();

protected:
    void refresh() override;

private:
    ui::ImageView& image_;
    QString imageName_;
};

// Typing sets the field's text through `text`; the controller reads it from the outlet.
class TextFieldAdapter : public ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QString placeholder READ placeholder NOTIFY placeholderChanged)
    Q_PROPERTY(bool focused READ focused WRITE setFocused NOTIFY focusedChanged)

public:
    explicit TextFieldAdapter(ui::TextField& field, QObject* parent = nullptr);

    QString text() const { return text_; }
    QString placeholder() const { return placeholder_; }
    bool focused() const { return focused_; }
    void setText(const QString& text) { field_.setText(text.toStdString()); }
    void setFocused(bool focused) { field_.setFocused(focused); }

signals:
    void textChanged();
    void placeholderChanged();
    void focusedChanged();

protected:
    void refresh() override;

private:
    ui::TextField& field_;
    QString text_;
    QString placeholder_;
    bool focused_;
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
    Q_PROPERTY(bool animating READ animating NOTIFY animatingChanged)

public:
    explicit ActivityIndicatorAdapter(ui::ActivityIndicator& indicator, QObject* parent = nullptr);

    bool animating() const { return animating_; }

signals:
    void animatingChanged();

protected:
    void refresh() override;

private:
    ui::ActivityIndicator& indicator_;
    bool animating_;
};

// An embedded web page: the address to load and where it goes; its size is the view's.
class WebViewAdapter : public ViewAdapter {
    Q_OBJECT
    Q_PROPERTY(QString url READ url NOTIFY urlChanged)
    Q_PROPERTY(double x READ x NOTIFY frameChanged)
    Q_PROPERTY(double y READ y NOTIFY frameChanged)
    Q_PROPERTY(bool scrollEnabled READ scrollEnabled NOTIFY scrollEnabledChanged)
    Q_PROPERTY(bool opaque READ opaque NOTIFY opaqueChanged)

public:
    explicit WebViewAdapter(ui::WebView& webView, QObject* parent = nullptr);

    QString url() const { return url_; }
    double x() const { return x_; }
    double y() const { return y_; }
    bool scrollEnabled() const { return scrollEnabled_; }
    bool opaque() const { return opaque_; }

signals:
    void urlChanged();
    void frameChanged();
    void scrollEnabledChanged();
    void opaqueChanged();

protected:
    void refresh() override;

private:
    ui::WebView& webView_;
    QString url_;
    double x_;
    double y_;
    bool scrollEnabled_;
    bool opaque_;
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
