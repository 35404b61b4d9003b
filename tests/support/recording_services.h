#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/services.h"

namespace voltaro::testing {

class FakeImage final : public ui::Image {
public:
    FakeImage(double width, double height, double scale, std::string imageName)
        : name(std::move(imageName)), width_(width), height_(height), scale_(scale) {}
    double width() const override { return width_; }
    double height() const override { return height_; }
    double scale() const override { return scale_; }

    std::string name;

private:
    double width_, height_, scale_;
};

// Records every call to the toolkit's services, in order, as readable lines.
class RecordingServices final : public ui::Navigator,
                                public ui::Alerts,
                                public ui::Animator,
                                public ui::ScreenCapture,
                                public ui::PhotoAlbum,
                                public ui::ShareSheet,
                                public ui::UrlOpener,
                                public ui::IdleInhibitor {
public:
    struct Animation {
        double duration = 0;
        std::optional<ui::SpringParameters> spring;
        std::function<void(bool)> completion;
    };

    void present(const std::string& screen, ui::Transition transition,
                 const ui::ScreenArguments& arguments) override {
        calls.push_back("present " + screen + " " + transitionName(transition));
        lastArguments = arguments;
    }
    void dismiss(ui::Transition transition) override {
        calls.push_back("dismiss " + transitionName(transition));
    }
    void show(const std::string& title, const std::string& message,
              std::vector<ui::AlertButton> buttons) override {
        calls.push_back("alert " + title + ": " + message);
        alertButtons = std::move(buttons);
    }
    // Changes apply at once; completions wait until the test finishes the animation.
    void animate(double duration, std::function<void()> changes,
                 std::function<void(bool)> completion) override {
        calls.push_back("animate " + std::to_string(duration));
        if (changes) changes();
        animations.push_back({duration, std::nullopt, std::move(completion)});
    }
    void animateSpring(double duration, ui::SpringParameters spring, std::function<void()> changes,
                       std::function<void(bool)> completion) override {
        calls.push_back("spring " + std::to_string(duration));
        insideAnimation = true;
        if (changes) changes();
        insideAnimation = false;
        animations.push_back({duration, spring, std::move(completion)});
    }
    // Runs the completion of the oldest pending animation.
    bool finishNextAnimation() {
        for (auto& animation : animations) {
            if (!animation.completion) continue;
            std::exchange(animation.completion, nullptr)(true);
            return true;
        }
        return false;
    }
    std::shared_ptr<ui::Image> captureScreen() override {
        calls.push_back("capture");
        if (onCapture) onCapture();
        return failCapture ? nullptr : std::make_shared<FakeImage>(390, 844, 3, "screenshot");
    }
    std::shared_ptr<ui::Image> compose(const ui::Image& base, const std::string& overlay,
                                       ui::Rect, double scale) override {
        calls.push_back("compose " + overlay);
        return std::make_shared<FakeImage>(base.width(), base.height(), scale, "composed");
    }
    std::optional<std::string> save(const ui::Image& image) override {
        calls.push_back("save " + static_cast<const FakeImage&>(image).name);
        return saveError;
    }
    void share(std::shared_ptr<ui::Image> image, std::function<void()> closed) override {
        calls.push_back("share " + static_cast<const FakeImage&>(*image).name);
        shareClosed = std::move(closed);
    }
    void open(const std::string& url) override { calls.push_back("open " + url); }
    void openApplicationSettings() override { calls.push_back("open settings"); }
    void inhibit() override { calls.push_back("inhibit"); }

    ui::Services services() { return {*this, *this, *this, *this, *this, *this, *this}; }

    static std::string transitionName(ui::Transition transition) {
        switch (transition) {
            case ui::Transition::None: return "none";
            case ui::Transition::SlideFromRight: return "from-right";
            case ui::Transition::SlideFromLeft: return "from-left";
            case ui::Transition::FlipHorizontal: return "flip";
            case ui::Transition::CrossDissolve: return "dissolve";
        }
        return "?";
    }

    std::vector<std::string> calls;
    std::vector<Animation> animations;
    bool insideAnimation = false;       // while the changes of a spring animation run
    std::function<void()> shareClosed;  // what closing the last share sheet runs
    std::vector<ui::AlertButton> alertButtons;
    ui::ScreenArguments lastArguments;
    bool failCapture = false;
    std::function<void()> onCapture;  // runs as the screen is captured
    std::optional<std::string> saveError;
};

}  // namespace voltaro::testing
