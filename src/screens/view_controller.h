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
#include "screens/screen_controller.h"

namespace voltaro {

// The main test screen: the device model, the battery level, what to do next, the running clock
// with a pulsing lightning, and after a test the power, the stars and the service's text. It owns
// the one test session of the program and stays underneath every other screen.
class ViewController final : public SessionView, public ScreenController {
public:
    ViewController(MainLoop& loop, Device& device, SessionHandoffs& handoffs,
                   ui::Services& services);

    // Outlets after `view`, bound by the toolkit by name.
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
    // The rating's stars, first to last: "star1Width" to "star5Width".
    std::array<ui::Constraint, 5> starWidths{{{outlets, "star1Width"},
                                              {outlets, "star2Width"},
                                              {outlets, "star3Width"},
                                              {outlets, "star4Width"},
                                              {outlets, "star5Width"}}};
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
    // What a running test and its result share: the prompts give way to the power figure, which
    // is updated and, with its unit and the line under it, shown or kept hidden.
    void showPowerFigure(double totalWatt, bool shown);
    void openHistory();
    void shareResult();

    ui::Services& services_;
    TestSession session_;
};

}  // namespace voltaro
