#pragma once

#include <array>
#include <memory>

#include "device/device.h"
#include "engine/session_handoffs.h"
#include "engine/session_view.h"
#include "engine/charge_test_session.h"
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

    // Outlets, bound by the toolkit.
    ui::View view;  // the screen's own view; the toolkit keeps its size current
    ui::Label phoneVersionLabel;
    ui::Constraint topCharge{-2};
    ui::Constraint topFlash{18};
    ui::Constraint topWatt{0};
    ui::ImageView flashImage;
    ui::Button startButton;
    ui::Label wattLabel;
    ui::Label wattAfterLabel;
    ui::Label wattUnderLabel;
    ui::Label timeLabel;
    ui::Label timeAfterLabel;
    ui::Label chargeMessageLabel;
    ui::Button shareButton;
    ui::Label optimalMessageLabel;
    ui::Label connectMessageLabel;
    ui::View pageController;
    ui::Label beatLabel;
    ui::View starView;
    ui::View topView;
    ui::View downView;
    ui::Label PDLabel;
    ui::View batteryLevelView;
    ui::Label batteryLevelLabel;
    ui::Constraint star1Width;
    ui::Constraint star2Width;
    ui::Constraint star3Width;
    ui::Constraint star4Width;
    ui::Constraint star5Width;
    ui::Label testMessageLabel;

    // Life cycle, called by the toolkit.
    void viewDidLoad();
    void viewWillAppear();

    // Actions.
    void buttonClicked();               // Start/Stop
    void showResultVC();                // left swipe anywhere
    void testResultButtonTapped();      // the history button
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
