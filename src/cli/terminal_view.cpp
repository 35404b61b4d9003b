#include "cli/terminal_view.h"

#include <cstdio>

#include "curve/curve_text.h"
#include "extensions/number_text.h"

namespace voltaro::cli {
namespace {

// The steps the live line's sparkline shows, the latest ones.
constexpr size_t kSparklineSteps = 24;

std::string powerText(double watts) { return fixedText(watts, 1) + " W"; }

}  // namespace

std::string starText(const StarWidths& widths) {
    std::string text;
    for (double width : widths) text += width >= kFullStarWidth ? "★" : "☆";
    return text;
}

double starCount(const StarWidths& widths) {
    double count = 0;
    for (double width : widths) count += width / kFullStarWidth;
    return count;
}

void TerminalView::showUnpluggedLayout(int64_t maxChargingWatts, bool showFastChargeBadge) {
    situation_ = Situation::Unplugged;
    prompt_ = "Connect a charger: this model charges at up to " + std::to_string(maxChargingWatts) +
              " W" + (showFastChargeBadge ? " (fast charging supported)." : ".");
    power_.clear();
}

void TerminalView::showConnectedLayout(bool fullyCharged) {
    situation_ = fullyCharged ? Situation::Full : Situation::Ready;
    prompt_ = fullyCharged ? "Fully charged: there is nothing left to measure."
                           : "Charger connected: ready to test.";
    power_.clear();
}

void TerminalView::showTestingLayout(int64_t testTime, double totalWatt) {
    (void)testTime;
    (void)totalWatt;
    situation_ = Situation::Testing;
    prompt_ = "Testing: keep the charger connected while the level rises.";
    power_.clear();
}

void TerminalView::showResult(double totalWatt, int64_t testTime) {
    (void)testTime;
    power_ = powerText(totalWatt);
}

void TerminalView::showFinishedControls() {
    situation_ = Situation::Finished;
    prompt_ = "Test finished.";
}

void TerminalView::showFailedTexts() {
    situation_ = Situation::Failed;
    prompt_ = "Test failed: the level rose faster than the test could time it. "
              "Keep the charger connected and try again.";
    power_.clear();
}

void TerminalView::showClockText(const std::string& text) {
    clock_ = text;
    if (mode_ == Mode::LiveLine) redrawLiveLine(false);
}

void TerminalView::showBatteryLevelText(const std::string& text) { level_ = text; }

void TerminalView::showReplyText(const std::string& text) {
    if (mode_ == Mode::Quiet) return;
    finishLine();
    out_ << text << '\n';
    out_.flush();
}

std::string TerminalView::statusText() const {
    std::string status = level_;
    if (situation_ == Situation::Testing) status += "  " + clock_;
    if (!power_.empty()) status += "  " + power_;
    return status;
}

void TerminalView::showStepPowers(const std::vector<double>& watts) {
    const size_t shown = std::min(watts.size(), kSparklineSteps);
    stepPowers_.assign(watts.end() - static_cast<std::ptrdiff_t>(shown), watts.end());
}

std::string TerminalView::liveText() const {
    std::string text = statusText();
    if (situation_ == Situation::Testing && !stepPowers_.empty()) {
        text += "  " + sparkline(stepPowers_);
    }
    // A line as wide as the terminal would wrap, and the next redraw could not take it back.
    if (columns_ > 1) {
        size_t characters = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
            if (starts && ++characters == static_cast<size_t>(columns_)) {
                text.resize(i);
                break;
            }
        }
    }
    return text;
}

void TerminalView::redrawLiveLine(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    out_ << "\r\033[K" << liveText();
    out_.flush();
    liveLineOpen_ = true;
}

void TerminalView::finishLine() {
    if (liveLineOpen_) {
        out_ << '\n';
        liveLineOpen_ = false;
    }
}

void TerminalView::flush() {
    if (mode_ == Mode::Quiet) return;
    const bool situationChanged = situation_ != shownSituation_;
    if (situationChanged) {
        finishLine();
        out_ << prompt_ << '\n';
        shownSituation_ = situation_;
    }
    if (mode_ == Mode::LiveLine) {
        redrawLiveLine(true);
    } else if (situationChanged || level_ != shownLevel_ || power_ != shownPower_) {
        out_ << "  " << statusText() << '\n';
    }
    shownLevel_ = level_;
    shownPower_ = power_;
    out_.flush();
}

}  // namespace voltaro::cli
