#include "platform/qt/outlet_adapters.h"

#include <QQmlPropertyMap>
#include <QVariantMap>

namespace voltaro::qt {
namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

template <typename T>
bool assign(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

QVariantMap layerMap(const ui::Layer& layer) {
    QVariantList colors;
    for (const std::string& name : layer.colorNames) colors.push_back(fromStd(name));
    QVariantList locations;
    for (const double location : layer.locations) locations.push_back(location);
    return {
        {"kind", layer.kind == ui::Layer::Kind::Gradient ? "gradient" : "border"},
        {"x", layer.x},
        {"y", layer.y},
        {"width", layer.width},
        {"height", layer.height},
        {"colorNames", colors},
        {"locations", locations},
        {"startX", layer.startX},
        {"startY", layer.startY},
        {"endX", layer.endX},
        {"endY", layer.endY},
        {"borderWidth", layer.borderWidth},
        {"borderColorName", fromStd(layer.borderColorName)},
    };
}

}  // namespace

OutletAdapter::OutletAdapter(ui::Observable& outlet, QObject* parent)
    : QObject(parent), outlet_(outlet) {
    token_ = outlet_.subscribe([this] {
        // The animation first, so that Behaviors know it when the values change.
        if (assign(animation_, AnimationContext::current())) emit animationChanged();
        refresh();
    });
}

OutletAdapter::~OutletAdapter() {
    outlet_.unsubscribe(token_);
}

ConstraintAdapter::ConstraintAdapter(ui::Constraint& constraint, QObject* parent)
    : OutletAdapter(constraint, parent),
      constraint_(constraint),
      constant_(constraint.constant()) {}

void ConstraintAdapter::refresh() {
    if (assign(constant_, constraint_.constant())) emit constantChanged();
}

ViewAdapter::ViewAdapter(ui::View& view, QObject* parent)
    : OutletAdapter(view, parent),
      view_(view),
      hidden_(view.hidden()),
      alpha_(view.alpha()),
      backgroundColorName_(fromStd(view.backgroundColorName())),
      tag_(view.tag()),
      width_(view.width()),
      height_(view.height()),
      clipsToBounds_(view.clipsToBounds()),
      layers_(view.layers()) {}

QVariantList ViewAdapter::layers() const {
    QVariantList list;
    for (const ui::Layer& layer : layers_) list.push_back(layerMap(layer));
    return list;
}

void ViewAdapter::refresh() {
    refreshView();
}

template <typename T>
bool ViewAdapter::publish(T& kept, const T& value, void (ViewAdapter::*changed)()) {
    if (!assign(kept, value)) return false;
    emit(this->*changed)();
    return true;
}

bool ViewAdapter::refreshView() {
    bool any = publish(hidden_, view_.hidden(), &ViewAdapter::hiddenChanged);
    any |= publish(alpha_, view_.alpha(), &ViewAdapter::alphaChanged);
    any |= publish(backgroundColorName_, fromStd(view_.backgroundColorName()),
                   &ViewAdapter::backgroundColorNameChanged);
    any |= publish(tag_, qint64{view_.tag()}, &ViewAdapter::tagChanged);
    const bool widthChanged = assign(width_, view_.width());
    if (assign(height_, view_.height()) || widthChanged) {
        any = true;
        emit sizeChanged();
    }
    any |= publish(layers_, view_.layers(), &ViewAdapter::layersChanged);
    any |= publish(clipsToBounds_, view_.clipsToBounds(), &ViewAdapter::clipsToBoundsChanged);
    return any;
}

LabelAdapter::LabelAdapter(ui::Label& label, QObject* parent)
    : ViewAdapter(label, parent), label_(label) {
    read();
}

void LabelAdapter::read() {
    text_ = fromStd(label_.text());
    const ui::StyledText* styled = label_.styledText();
    styled_ = styled != nullptr;
    fontSize_ = styled ? styled->fontSize : 0;
    lineSpacing_ = styled ? styled->lineSpacing : 0;
    textColorName_ = fromStd(label_.textColorName());
    pointSize_ = label_.fontSize();
}

void LabelAdapter::refresh() {
    ViewAdapter::refresh();
    const QString oldText = text_;
    const bool oldStyled = styled_;
    const double oldFontSize = fontSize_;
    const double oldLineSpacing = lineSpacing_;
    const QString oldColor = textColorName_;
    const double oldPointSize = pointSize_;
    read();
    if (styled_ != oldStyled || fontSize_ != oldFontSize || lineSpacing_ != oldLineSpacing) {
        emit styleChanged();
    }
    if (text_ != oldText) emit textChanged();
    if (textColorName_ != oldColor) emit textColorNameChanged();
    if (pointSize_ != oldPointSize) emit pointSizeChanged();
}

ButtonAdapter::ButtonAdapter(ui::Button& button, QObject* parent)
    : ViewAdapter(button, parent),
      button_(button),
      title_(fromStd(button.title())),
      imageName_(fromStd(button.imageName())),
      titleColorName_(fromStd(button.titleColorName())),
      enabled_(button.enabled()),
      selected_(button.selected()) {}

void ButtonAdapter::refresh() {
    ViewAdapter::refresh();
    if (assign(title_, fromStd(button_.title()))) emit titleChanged();
    if (assign(imageName_, fromStd(button_.imageName()))) emit imageNameChanged();
    if (assign(titleColorName_, fromStd(button_.titleColorName()))) emit titleColorNameChanged();
    if (assign(enabled_, button_.enabled())) emit enabledChanged();
    if (assign(selected_, button_.selected())) emit selectedChanged();
}

ImageViewAdapter::ImageViewAdapter(ui::ImageView& image, QObject* parent)
    : ViewAdapter(image, parent), image_(image), imageName_(fromStd(image.imageName())) {}

void ImageViewAdapter::refresh() {
    ViewAdapter::refresh();
    if (assign(imageName_, fromStd(image_.imageName()))) emit imageNameChanged();
}

TextFieldAdapter::TextFieldAdapter(ui::TextField& field, QObject* parent)
    : ViewAdapter(field, parent),
      field_(field),
      text_(fromStd(field.text())),
      placeholder_(fromStd(field.placeholder())),
      focused_(field.focused()) {}

void TextFieldAdapter::refresh() {
    ViewAdapter::refresh();
    if (assign(text_, fromStd(field_.text()))) emit textChanged();
    if (assign(placeholder_, fromStd(field_.placeholder()))) emit placeholderChanged();
    if (assign(focused_, field_.focused())) emit focusedChanged();
}

TableAdapter::TableAdapter(ui::Table& table, QObject* parent) : ViewAdapter(table, parent) {}

void TableAdapter::refresh() {
    // A notification that changed none of the view's properties is a reload of the content.
    if (refreshView()) return;
    ++revision_;
    emit reloaded();
}

ActivityIndicatorAdapter::ActivityIndicatorAdapter(ui::ActivityIndicator& indicator,
                                                   QObject* parent)
    : ViewAdapter(indicator, parent), indicator_(indicator), animating_(indicator.animating()) {}

void ActivityIndicatorAdapter::refresh() {
    ViewAdapter::refresh();
    if (assign(animating_, indicator_.animating())) emit animatingChanged();
}

WebViewAdapter::WebViewAdapter(ui::WebView& webView, QObject* parent)
    : ViewAdapter(webView, parent),
      webView_(webView),
      url_(fromStd(webView.url())),
      x_(webView.x()),
      y_(webView.y()),
      scrollEnabled_(webView.scrollEnabled()),
      opaque_(webView.opaque()) {}

void WebViewAdapter::refresh() {
    ViewAdapter::refresh();
    if (assign(url_, fromStd(webView_.url()))) emit urlChanged();
    const bool xChanged = assign(x_, webView_.x());
    if (assign(y_, webView_.y()) || xChanged) emit frameChanged();
    if (assign(scrollEnabled_, webView_.scrollEnabled())) emit scrollEnabledChanged();
    if (assign(opaque_, webView_.opaque())) emit opaqueChanged();
}

namespace {

// Makes an `Adapter` when the outlet is an `Outlet`.
template <class Outlet, class Adapter>
bool adaptAs(ui::Observable& outlet, std::unique_ptr<OutletAdapter>& adapter) {
    auto* typed = dynamic_cast<Outlet*>(&outlet);
    if (typed != nullptr) adapter = std::make_unique<Adapter>(*typed);
    return typed != nullptr;
}

// The adapter of the outlet's kind; the most derived kinds are tried first (a label is a view).
std::unique_ptr<OutletAdapter> adapterOf(ui::Observable& outlet) {
    std::unique_ptr<OutletAdapter> adapter;
    const bool known = adaptAs<ui::Label, LabelAdapter>(outlet, adapter) ||
                       adaptAs<ui::Button, ButtonAdapter>(outlet, adapter) ||
                       adaptAs<ui::ImageView, ImageViewAdapter>(outlet, adapter) ||
                       adaptAs<ui::TextField, TextFieldAdapter>(outlet, adapter) ||
                       adaptAs<ui::Table, TableAdapter>(outlet, adapter) ||
                       adaptAs<ui::ActivityIndicator, ActivityIndicatorAdapter>(outlet, adapter) ||
                       adaptAs<ui::WebView, WebViewAdapter>(outlet, adapter) ||
                       adaptAs<ui::View, ViewAdapter>(outlet, adapter) ||
                       adaptAs<ui::Constraint, ConstraintAdapter>(outlet, adapter);
    return known ? std::move(adapter) : nullptr;
}

}  // namespace

ScreenOutlets::ScreenOutlets(QQmlPropertyMap& screen, const ui::OutletList& outlets) {
    for (const ui::OutletList::Entry& entry : outlets.entries()) {
        std::unique_ptr<OutletAdapter> adapter = adapterOf(*entry.outlet);
        if (!adapter) continue;
        const QString name = QString::fromStdString(entry.name);
        adapter->setObjectName(name);
        screen.insert(name, QVariant::fromValue<QObject*>(adapter.get()));
        adapters_.push_back(std::move(adapter));
    }
}

}  // namespace voltaro::qt
