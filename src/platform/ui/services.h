#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace voltaro::ui {

// How a screen comes and goes.
enum class Transition {
    None,
    SlideFromRight,  // going forward: the new screen pushes in from the right
    SlideFromLeft,   // going back: the previous screen pushes in from the left
    FlipHorizontal,
    CrossDissolve,
};

inline constexpr double kSlideDuration = 0.25;

// What a screen is opened with.
struct ScreenArguments {
    std::optional<double> startTime;  // the test a screen is about (saved charger list)
    std::optional<int64_t> entryType{};  // what the value entry screen takes: 1 watts, 2 capacity
    std::optional<double> finishTime{};  // with startTime: one saved result (charge curve)
};

// Opens and closes full-screen screens, each named by its controller's class name
// ("TestRecordsVC"). A screen is created when opened and destroyed when dismissed.
class Navigator {
public:
    virtual ~Navigator() = default;
    virtual void present(const std::string& screenName, Transition transition,
                         const ScreenArguments& arguments = {}) = 0;
    // Closes the topmost screen.
    virtual void dismiss(Transition transition) = 0;
};

struct AlertButton {
    enum class Style { Default, Cancel, Destructive };
    std::string title;  // already localized
    Style style = Style::Default;
    std::function<void()> action;
};

// One-button or few-button alerts. Titles and messages are plain text.
class Alerts {
public:
    virtual ~Alerts() = default;
    virtual void show(const std::string& title, const std::string& message,
                      std::vector<AlertButton> buttons) = 0;
};

struct SpringParameters {
    double dampingRatio = 1.0;
    double initialVelocity = 0.0;
};

// Animates the outlet changes that `changes` makes. The completion is told whether the
// animation ran to its end.
class Animator {
public:
    virtual ~Animator() = default;
    virtual void animate(double duration, std::function<void()> changes,
                         std::function<void(bool finished)> completion = {}) = 0;
    virtual void animateSpring(double duration, SpringParameters spring,
                               std::function<void()> changes,
                               std::function<void(bool finished)> completion = {}) = 0;
};

// A picture of the window, held by the toolkit.
class Image {
public:
    virtual ~Image() = default;
    virtual double width() const = 0;   // points
    virtual double height() const = 0;  // points
    virtual double scale() const = 0;   // pixels per point
};

struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    // The window as it shows now, at the screen's scale; nothing when it cannot be captured.
    virtual std::shared_ptr<Image> captureScreen() = 0;
    // Draws `overlayImageName` into `overlay` on top of `base`, into a new picture of the same
    // size at `scale`.
    virtual std::shared_ptr<Image> compose(const Image& base, const std::string& overlayImageName,
                                           Rect overlay, double scale) = 0;
};

// The user's pictures folder. Returns an error text, or nothing on success.
class PhotoAlbum {
public:
    virtual ~PhotoAlbum() = default;
    virtual std::optional<std::string> save(const Image& image) = 0;
};

// Offers a picture to the user: save it as a file, or open it with another application.
class ShareSheet {
public:
    virtual ~ShareSheet() = default;
    // `closed` runs once the user has closed the sheet, which covered the screen.
    virtual void share(std::shared_ptr<Image> image, std::function<void()> closed) = 0;
};

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const std::string& url) = 0;
    // The desktop's settings page for this application, where the desktop has one.
    virtual void openApplicationSettings() = 0;
};

// Keeps the screen awake for the whole run.
class IdleInhibitor {
public:
    virtual ~IdleInhibitor() = default;
    virtual void inhibit() = 0;
};

// Everything a screen controller may ask of the toolkit.
struct Services {
    Navigator& navigator;
    Alerts& alerts;
    Animator& animator;
    ScreenCapture& capture;
    PhotoAlbum& album;
    ShareSheet& share;
    UrlOpener& urls;
};

}  // namespace voltaro::ui
