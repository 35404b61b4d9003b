#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "engine/session_view.h"

namespace voltaro::cli {

// Shows the test session in a terminal: a line for each change of situation and each processed
// level, or, on an interactive terminal in real time, one status line redrawn in place.
class TerminalView final : public SessionView {
public:
    enum class Mode { Lines, LiveLine, Quiet };

    // `columns`: the terminal's width, which the live line never reaches (0: not known).
    TerminalView(std::ostream& out, Mode mode, int columns = 0)
        : out_(out), mode_(mode), columns_(columns) {}

    void showUnpluggedLayout(int64_t maxChargingWatts, bool showFastChargeBadge) override;
    void showConnectedLayout(bool fullyCharged) override;
    void showTestingLayout(int64_t testTime, double totalWatt) override;
    void showResult(double totalWatt, int64_t testTime) override;
    void hideChargeMessage() override {}
    void showFinishedControls() override;
    void showFailedTexts() override;
    void hideRatingViews() override {}
    void showRating(const StarWidths& widths) override { (void)widths; }
    void setStartButtonImage(std::string_view imageName) override { (void)imageName; }
    void showClockText(const std::string& text) override;
    void showBatteryLevelText(const std::string& text) override;
    void showModelName(const std::string& name) override { (void)name; }
    void showTestLog(const std::string& log) override { (void)log; }
    void flashFade() override {}
    void showReplyText(const std::string& text) override;

    // The power of each step so far (NaN where a step has none): the live line's sparkline.
    void showStepPowers(const std::vector<double>& watts);

    // Prints what changed since the last call: called after each event the session processed.
    void flush();
    // Ends the live line before other output.
    void finishLine();
    // Whether the screen would offer Start now: not while unplugged, full or testing.
    bool offersStart() const {
        return situation_ != Situation::Unplugged && situation_ != Situation::Full &&
               situation_ != Situation::Testing;
    }

private:
    enum class Situation { None, Unplugged, Ready, Full, Testing, Finished, Failed };
    std::string statusText() const;
    std::string liveText() const;
    void redrawLiveLine(bool force);

    std::ostream& out_;
    Mode mode_;
    int columns_;
    Situation situation_ = Situation::None;
    Situation shownSituation_ = Situation::None;
    std::string prompt_;
    std::string level_ = "--%";
    std::string shownLevel_;
    std::string clock_ = "00:00:00";
    std::string power_;
    std::string shownPower_;
    std::vector<double> stepPowers_;
    bool liveLineOpen_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

// "★★☆☆☆" for the five star widths, a partly filled star counting as empty.
std::string starText(const StarWidths& widths);
// The rating as a number of stars, e.g. 1.35.
double starCount(const StarWidths& widths);

}  // namespace voltaro::cli
