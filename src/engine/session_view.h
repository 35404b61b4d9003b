#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/rate_estimator.h"

namespace voltaro {

// What the test session asks of the screen that shows it. Each layout changes only the elements it
// names; everything else keeps its last state. The screen owns the texts behind localized keys.
class SessionView {
public:
    virtual ~SessionView() = default;

    // No charger: connect prompt naming the model's maximum watts, fast-charge badge if supported.
    virtual void showUnpluggedLayout(int64_t maxChargingWatts, bool showFastChargeBadge) = 0;
    // Charger connected, no test: "connectMessageInit" and Start, or "fullyCharged" and no Start.
    virtual void showConnectedLayout(bool fullyCharged) = 0;
    // Test running: Stop image, "startMessageInit", the plain test time.
    virtual void showTestingLayout(int64_t testTime, double totalWatt) = 0;
    // The power of an interim or final result.
    virtual void showResult(double totalWatt, int64_t testTime) = 0;

    // A normal result arrived during the test: the instruction text goes away.
    virtual void hideChargeMessage() = 0;
    // The test stopped with a result: share and reply text shown, the clock hidden.
    virtual void showFinishedControls() = 0;
    // A failed result: "errorTitle" for the power, "errorMessage" below it, the share button,
    // reply text and clock hidden.
    virtual void showFailedTexts() = 0;
    // After a failed result is saved: the power's captions and the stars hidden.
    virtual void hideRatingViews() = 0;
    // The star view shown with these widths (13 points a whole star).
    virtual void showRating(const StarWidths& widths) = 0;

    virtual void setStartButtonImage(std::string_view imageName) = 0;  // "testButton"/"stopButton"
    virtual void showClockText(const std::string& text) = 0;
    virtual void showBatteryLevelText(const std::string& text) = 0;
    virtual void showModelName(const std::string& name) = 0;
    virtual void showTestLog(const std::string& log) = 0;
    // The screen prepares itself (no test running): edge shading and the like.
    virtual void prepareScreen() {}
    // The 0.7 s pulse of the lightning image while a test runs.
    virtual void flashFade() = 0;
    // The remote service's text for a saved result; plain text.
    virtual void showReplyText(const std::string& text) = 0;
};

}  // namespace voltaro
