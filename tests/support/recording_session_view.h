#pragma once

#include <string>
#include <vector>

#include "engine/session_view.h"

namespace voltaro::testing {

// Keeps what the session last asked the screen to show, and the order of the layout calls.
class RecordingSessionView final : public SessionView {
public:
    enum class Layout { None, Unplugged, Connected, Testing };

    void showUnpluggedLayout(int64_t maxWatts, bool badge) override {
        calls.push_back("unplugged");
        layout = Layout::Unplugged;
        promptWatts = maxWatts;
        fastChargeBadge = badge;
    }
    void showConnectedLayout(bool full) override {
        calls.push_back("connected");
        layout = Layout::Connected;
        fullyCharged = full;
    }
    void showTestingLayout(int64_t, double) override {
        calls.push_back("testing");
        layout = Layout::Testing;
        powerShown = false;
        failedShown = false;
    }
    void showResult(double, int64_t) override {
        calls.push_back("result");
        powerShown = true;
    }
    void hideChargeMessage() override { calls.push_back("hideChargeMessage"); }
    void showFinishedControls() override { calls.push_back("finished"); }
    void showFailedTexts() override {
        calls.push_back("failed");
        failedShown = true;
    }
    void hideRatingViews() override {
        calls.push_back("hideRating");
        ratingShown = false;
    }
    void showRating(const StarWidths& widths) override {
        calls.push_back("rating");
        ratingShown = true;
        stars = widths;
    }
    void setStartButtonImage(std::string_view image) override { startButtonImage = image; }
    void showClockText(const std::string& text) override { clockText = text; }
    void showBatteryLevelText(const std::string& text) override { batteryLevelText = text; }
    void showModelName(const std::string& name) override { modelName = name; }
    void showTestLog(const std::string& text) override { testLog = text; }
    void flashFade() override { ++flashes; }
    void showReplyText(const std::string&) override {}

    std::vector<std::string> calls;
    Layout layout = Layout::None;
    int64_t promptWatts = 0;
    bool fastChargeBadge = false;
    bool fullyCharged = false;
    bool powerShown = false;
    bool failedShown = false;
    bool ratingShown = false;
    StarWidths stars{};
    std::string startButtonImage;
    std::string clockText;
    std::string batteryLevelText;
    std::string modelName;
    std::string testLog;
    int flashes = 0;
};

}  // namespace voltaro::testing
