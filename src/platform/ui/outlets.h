#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace voltaro::ui {

class Observable;

// A screen's outlets by name, in the order its controller declares them, for a toolkit to bind
// each to what draws it. An outlet given a list at construction adds itself.
class OutletList {
public:
    struct Entry {
        std::string name;
        Observable* outlet;
    };

    void add(std::string name, Observable& outlet) {
        entries_.push_back({std::move(name), &outlet});
    }
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// Something a toolkit binds to: listeners hear every change. Controllers set properties; the
// toolkit draws them. Main thread only.
class Observable {
public:
    using Listener = std::function<void()>;

    Observable() = default;
    Observable(OutletList& list, std::string name) { list.add(std::move(name), *this); }
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;
    virtual ~Observable() = default;

    // Returns a token for unsubscribe().
    int subscribe(Listener listener) {
        listeners_.emplace_back(nextToken_, std::move(listener));
        return nextToken_++;
    }
    void unsubscribe(int token) {
        std::erase_if(listeners_, [token](const auto& entry) { return entry.first == token; });
    }

protected:
    void changed() {
        // A listener may unsubscribe while it runs: iterate over a copy.
        const auto listeners = listeners_;
        for (const auto& [token, listener] : listeners) listener();
    }
    template <typename T>
    void update(T& field, T value) {
        if (field == value) return;
        field = std::move(value);
        changed();
    }

private:
    std::vector<std::pair<int, Listener>> listeners_;
    int nextToken_ = 1;
};

// Text with the styling of the app's messages: the system font at `fontSize` points, lines
// `lineSpacing` points apart. Always plain text, never markup.
struct StyledText {
    std::string text;
    double fontSize = 13;
    double lineSpacing = 0;
    bool operator==(const StyledText&) const = default;
};

// A layer drawn over a view: a two-colour gradient, or a border line.
struct Layer {
    enum class Kind { Gradient, Border };
    Kind kind = Kind::Gradient;
    double x = 0, y = 0, width = 0, height = 0;  // frame in the view, points
    std::vector<std::string> colorNames;  // gradient colours, top to bottom ("black", "clear")
    std::vector<double> locations;        // gradient stops, 0..1
    double startX = 0, startY = 0, endX = 0, endY = 1;  // unit space of the layer
    double borderWidth = 0;
    std::string borderColorName;
    bool operator==(const Layer&) const = default;
};

class View : public Observable {
public:
    using Observable::Observable;

    bool hidden() const { return hidden_; }
    double alpha() const { return alpha_; }
    const std::string& backgroundColorName() const { return backgroundColorName_; }
    int64_t tag() const { return tag_; }

    void setHidden(bool hidden) { update(hidden_, hidden); }
    void setAlpha(double alpha) { update(alpha_, alpha); }
    void setBackgroundColorName(std::string name) { update(backgroundColorName_, std::move(name)); }
    void setTag(int64_t tag) { update(tag_, tag); }

    // Size as the toolkit laid the view out, in points; the toolkit keeps it current.
    double width() const { return width_; }
    double height() const { return height_; }
    void setSize(double width, double height) {
        if (width_ == width && height_ == height) return;
        width_ = width;
        height_ = height;
        changed();
    }

    const std::vector<Layer>& layers() const { return layers_; }
    void addLayer(Layer layer) {
        layers_.push_back(std::move(layer));
        changed();
    }
    void removeAllLayers() {
        if (layers_.empty()) return;
        layers_.clear();
        changed();
    }
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips) { update(clipsToBounds_, clips); }

private:
    double width_ = 0;
    double height_ = 0;
    std::vector<Layer> layers_;
    bool clipsToBounds_ = false;
    bool hidden_ = false;
    double alpha_ = 1.0;
    std::string backgroundColorName_;
    int64_t tag_ = 0;
};

class Label : public View {
public:
    using View::View;

    const std::string& text() const { return text_; }
    // The styled form, when the text was set as styled text.
    const StyledText* styledText() const { return styled_ ? &styledText_ : nullptr; }
    const std::string& textColorName() const { return textColorName_; }
    // Font size in points; 0 keeps the size the layout gives.
    double fontSize() const { return fontSize_; }
    const std::string& borderColorName() const { return borderColorName_; }

    void setFontSize(double size) { update(fontSize_, size); }
    void setBorderColorName(std::string name) { update(borderColorName_, std::move(name)); }

    void setText(std::string text) {
        if (!styled_ && text_ == text) return;
        styled_ = false;
        text_ = std::move(text);
        changed();
    }
    void setStyledText(StyledText styled) {
        if (styled_ && styledText_ == styled) return;
        styled_ = true;
        text_ = styled.text;
        styledText_ = std::move(styled);
        changed();
    }
    void setTextColorName(std::string name) { update(textColorName_, std::move(name)); }

private:
    std::string text_;
    StyledText styledText_;
    bool styled_ = false;
    std::string textColorName_;
    double fontSize_ = 0;
    std::string borderColorName_;
};

class Button : public View {
public:
    using View::View;

    const std::string& title() const { return title_; }
    const std::string& imageName() const { return imageName_; }
    const std::string& titleColorName() const { return titleColorName_; }
    bool enabled() const { return enabled_; }
    bool selected() const { return selected_; }

    void setTitle(std::string title) { update(title_, std::move(title)); }
    void setImageName(std::string name) { update(imageName_, std::move(name)); }
    void setTitleColorName(std::string name) { update(titleColorName_, std::move(name)); }
    void setEnabled(bool enabled) { update(enabled_, enabled); }
    void setSelected(bool selected) { update(selected_, selected); }

private:
    std::string title_;
    std::string imageName_;
    std::string titleColorName_;
    bool enabled_ = true;
    bool selected_ = false;
};

class ImageView : public View {
public:
    using View::View;

    const std::string& imageName() const { return imageName_; }
    void setImageName(std::string name) { update(imageName_, std::move(name)); }

private:
    std::string imageName_;
};

// A layout constraint's constant, in points.
class Constraint : public Observable {
public:
    explicit Constraint(double constant = 0) : constant_(constant) {}
    Constraint(OutletList& list, std::string name, double constant = 0)
        : Observable(list, std::move(name)), constant_(constant) {}
    double constant() const { return constant_; }
    void setConstant(double constant) { update(constant_, constant); }

private:
    double constant_;
};

class TextField : public View {
public:
    using View::View;

    const std::string& text() const { return text_; }
    const std::string& placeholder() const { return placeholder_; }
    bool focused() const { return focused_; }

    // Typing in the toolkit calls setText too; controllers read text().
    void setText(std::string text) { update(text_, std::move(text)); }
    void setPlaceholder(std::string text) { update(placeholder_, std::move(text)); }
    void setFocused(bool focused) { update(focused_, focused); }

private:
    std::string text_;
    std::string placeholder_;
    bool focused_ = false;
};

// A spinner.
class ActivityIndicator : public View {
public:
    using View::View;

    bool animating() const { return animating_; }
    void startAnimating() { update(animating_, true); }
    void stopAnimating() { update(animating_, false); }

private:
    bool animating_ = false;
};

// An embedded web page. The toolkit loads `url` and reports navigation to the controller.
class WebView : public View {
public:
    using View::View;

    const std::string& url() const { return url_; }
    double x() const { return x_; }
    double y() const { return y_; }
    bool scrollEnabled() const { return scrollEnabled_; }
    bool opaque() const { return opaque_; }

    void load(std::string url) { update(url_, std::move(url)); }
    void setFrame(double x, double y, double width, double height) {
        x_ = x;
        y_ = y;
        setSize(width, height);
        changed();
    }
    void setScrollEnabled(bool enabled) { update(scrollEnabled_, enabled); }
    void setOpaque(bool opaque) { update(opaque_, opaque); }

private:
    std::string url_;
    double x_ = 0;
    double y_ = 0;
    bool scrollEnabled_ = true;
    bool opaque_ = true;
};

// A table of sections of rows. Controllers describe the content; the toolkit asks for rows.
class Table : public View {
public:
    using View::View;

    // The content changed as a whole (sections, rows or their texts).
    void reloadData() { changed(); }
};

}  // namespace voltaro::ui
