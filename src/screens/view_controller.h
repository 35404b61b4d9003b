#pragma once

#include <array>
#include <memory>

#include "device/device.h"
#include "engine/charge_test_session.h"
#include "engine/session_handoffs.h"
#include "engine/session_view.h"
#include "platform/main_loop.h"
#include "platform/ui/outlets.h"
#include "platform/ui/services.h"

namespace voltaro {

// The main test screen: the device model, the battery level, what to do next, the running clock
// with a pulsing lightning, and after a test the power, the stars and the service's text. It owns
// the one test session of the program and stays underneath every other screen.
class ViewController final : public SessionView {
public:
    ViewController(MainLoop& loop, Device& device, SessionHandoffs& handoffs,
                   ui::Services& services);

    // Outlets, bound by the toolkit by name: each adds itself to `outlets`.
    ui::OutletList outlets;
    ui::View view{outlets, "view"};  // the screen's own view; the toolkit keeps its size current
    ui::Label phoneVersionLabel{outlets, "phoneVersionLabel"};
    ui::Constraint topCharge{outlets, "topCharge", -2};
    ui::Constraint topFlash{outlets, "topFlash", 18};
    ui::Constraint topWatt{outlets, "topWatt", 0};
    ui::ImageView flashImage{outlets, "flashImage"};
    ui::Button startButton{outlets, "startButton"};
    ui::Label wattLabel{outlets, "wattLabel"};
    ui::Label wattAfterLabel{outlets, "wattAfterLabel"};
    ui::Label wattUnderLabel{outlets, "wattUnderLabel"};
    ui::Label timeLabel{outlets, "timeLabel"};
    ui::Label timeAfterLabel{outlets, "timeAfterLabel"};
    ui::Label chargeMessageLabel{outlets, "chargeMessageLabel"};
    ui::Button shareButton{outlets, "shareButton"};
    ui::Label optimalMessageLabel{outlets, "optimalMessageLabel"};
    ui::Label connectMessageLabel{outlets, "connectMessageLabel"};
    ui::View pageController{outlets, "pageController"};
    ui::Label beatLabel{outlets, "beatLabel"};
    ui::View starView{outlets, "starView"};
    ui::View topView{outlets, "topView"};
    ui::View downView{outlets, "downView"};
    ui::Label PDLabel{outlets, "PDLabel"};
    ui::View batteryLevelView{outlets, "batteryLevelView"};
    ui::Label batteryLevelLabel{outlets, "batteryLevelLabel"};
    ui::Constraint star1Width{outlets, "star1Width"};
    ui::Constraint star2Width{outlets, "star2Width"};
    ui::Constraint star3Width{outlets, "star3Width"};
    ui::Constraint star4Width{outlets, "star4Width"};
    ui::Constraint star5Width{outlets, "star5Width"};
    ui::Label testMessageLabel{outlets, "testMessageLabel"};

    // Life cycle, called by the toolkit.
    void viewDidLoad();
    void viewWillAppear();

    // Actions.
    void buttonClicked();           // Start/Stop
    void showResultVC();            // left swipe anywhere
    void testResultButtonTapped();  // the history button
    void shareButtonClick();

    TestSession& session() { return session_; }

    // SessionView.
    void showUnpluggedLayout(int64_t maxChargingWatts, bool showFastChargeBadge) override;
    void showConnectedLayout(bool fullyCharged) override;
    void showTestingLayout(int64_t testTime, double totalWatt) override;
    void showResult(double totalWatt, int64_t testTime) override;
    void hideChargeMessage() override;
    void showFinishedControls() override;
    void showFailedTexts() override;
    void hideRatingViews() override;
    void showRating(const StarWidths& widths) override;
    void setStartButtonImage(std::string_view imageName) override;
    void showClockText(const std::string& text) override;
    void showBatteryLevelText(const std::string& text) override;
    void showModelName(const std::string& name) override;
    void showTestLog(const std::string& log) override;
    void prepareScreen() override;
    void flashFade() override;
    void showReplyText(const std::string& text) override;

    // Where the share picture's QR code goes, for a capture of `height` points.
    static ui::Rect qrCodeFrame(double height);

private:
    // What the unplugged and connected layouts share: the prompt shown, the result and the
    // test's views hidden, Start hidden with its image.
    void showPromptLayout(const std::string& prompt);
    void openHistory();
    void shareResult();
    std::array<ui::Constraint*, 5> starWidthList();

    ui::Services& services_;
    TestSession session_;
};

}  // namespace voltaro
