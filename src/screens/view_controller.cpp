#include "screens/view_controller.h"

#include <cmath>
#include <cstdio>

#include "extensions/interface_helpers.h"
#include "extensions/number_text.h"
#include "platform/log.h"
#include "platform/strings.h"
#include "store/display_text.h"

namespace voltaro {
namespace {

ui::StyledText styled(std::string_view text) {
    const AttributedText message = attributedMessage(text);
    return {message.text, message.fontSize, message.lineSpacing};
}

std::string powerText(double watts) { return fixedText(watts, 1); }

}  // namespace

ViewController::ViewController(MainLoop& loop, Device& device, SessionHandoffs& handoffs,
                               ui::Services& services)
    : services_(services), session_(loop, device, *this, handoffs) {}

void ViewController::viewDidLoad() {
    testMessageLabel.setHidden(true);
    session_.viewDidLoad();
}

void ViewController::viewWillAppear() { session_.viewWillAppear(); }

void ViewController::buttonClicked() { session_.buttonClicked(); }

void ViewController::showResultVC() { openHistory(); }

void ViewController::testResultButtonTapped() { openHistory(); }

void ViewController::shareButtonClick() { shareResult(); }

void ViewController::openHistory() { presentSlidingRight(services_.navigator, "TestRecordsVC"); }

void ViewController::showPromptLayout(const std::string& prompt) {
    optimalMessageLabel.setHidden(false);
    connectMessageLabel.setHidden(false);
    connectMessageLabel.setStyledText(styled(prompt));
    wattLabel.setHidden(true);
    wattAfterLabel.setHidden(true);
    wattUnderLabel.setHidden(true);
    timeLabel.setHidden(true);
    timeAfterLabel.setHidden(true);
    chargeMessageLabel.setHidden(true);
    shareButton.setHidden(true);
    beatLabel.setHidden(true);
    starView.setHidden(true);
    startButton.setHidden(true);
    startButton.setImageName("testButton");
}

void ViewController::showUnpluggedLayout(int64_t maxChargingWatts, bool showFastChargeBadge) {
    showPromptLayout(localized("connectMessageLeft") + std::to_string(maxChargingWatts) +
                     localized("connectMessageRight"));
    topFlash.setConstant(120);
    topCharge.setConstant(100);
    PDLabel.setHidden(!showFastChargeBadge);
    batteryLevelView.setHidden(true);
}

void ViewController::showConnectedLayout(bool fullyCharged) {
    showPromptLayout(localized("connectMessageInit"));
    if (fullyCharged) {
        connectMessageLabel.setStyledText(styled(localized("fullyCharged")));
    } else {
        startButton.setHidden(false);
    }
    topFlash.setConstant(18);
    topCharge.setConstant(-2);
    PDLabel.setHidden(true);
    batteryLevelView.setHidden(false);
}

void ViewController::showPowerFigure(double totalWatt, bool shown) {
    optimalMessageLabel.setHidden(true);
    connectMessageLabel.setHidden(true);
    wattLabel.setHidden(!shown);
    wattLabel.setText(powerText(totalWatt));
    wattAfterLabel.setHidden(!shown);
    wattUnderLabel.setHidden(!shown);
}

void ViewController::showTestingLayout(int64_t testTime, double totalWatt) {
    showPowerFigure(totalWatt, false);
    timeLabel.setHidden(false);
    timeLabel.setText(std::to_string(testTime));
    timeAfterLabel.setHidden(false);
    chargeMessageLabel.setHidden(false);
    chargeMessageLabel.setStyledText(styled(localized("startMessageInit")));
    shareButton.setHidden(true);
    beatLabel.setHidden(true);
    starView.setHidden(true);
    startButton.setImageName("stopButton");
    topFlash.setConstant(18);
    topCharge.setConstant(-2);
    topWatt.setConstant(-60);
}

void ViewController::showResult(double totalWatt, int64_t testTime) {
    showPowerFigure(totalWatt, true);
    timeLabel.setText(std::to_string(testTime));
    chargeMessageLabel.setHidden(false);
    topFlash.setConstant(18);
    topCharge.setConstant(-2);
    topWatt.setConstant(0);
}

void ViewController::hideChargeMessage() { chargeMessageLabel.setHidden(true); }

void ViewController::showFinishedControls() {
    chargeMessageLabel.setHidden(true);
    shareButton.setHidden(false);
    beatLabel.setHidden(false);
    timeLabel.setHidden(true);
    timeAfterLabel.setHidden(true);
}

void ViewController::showFailedTexts() {
    wattLabel.setText(localized("errorTitle"));
    chargeMessageLabel.setHidden(false);
    chargeMessageLabel.setText(localized("errorMessage"));
    shareButton.setHidden(true);
    beatLabel.setHidden(true);
    timeLabel.setHidden(true);
    timeAfterLabel.setHidden(true);
}

void ViewController::hideRatingViews() {
    wattAfterLabel.setHidden(true);
    starView.setHidden(true);
    wattUnderLabel.setHidden(true);
}

void ViewController::showRating(const StarWidths& widths) {
    starView.setHidden(false);
    for (size_t i = 0; i < starWidths.size(); ++i) starWidths[i].setConstant(widths[i]);
}

void ViewController::setStartButtonImage(std::string_view imageName) {
    startButton.setImageName(std::string(imageName));
}

void ViewController::showClockText(const std::string& text) { timeLabel.setText(text); }

void ViewController::showBatteryLevelText(const std::string& text) {
    batteryLevelLabel.setText(text);
}

void ViewController::showModelName(const std::string& name) { phoneVersionLabel.setText(name); }

void ViewController::showTestLog(const std::string& log) { testMessageLabel.setText(log); }

void ViewController::prepareScreen() {
    applyEdgeShading(view.width(), topView, downView, ShadingMode::Replace);
}

void ViewController::flashFade() {
    const double target = flashImage.alpha() == 1.0 ? 0.4 : 1.0;
    services_.animator.animate(TestSession::kFlashInterval,
                               [this, target] { flashImage.setAlpha(target); });
}

void ViewController::showReplyText(const std::string& text) {
    log::debug(log::Category::Screens, "I saved it");
    beatLabel.setStyledText(styled(text));
}

ui::Rect ViewController::qrCodeFrame(double height) {
    return {20, std::trunc(height - 83), 132, 63};
}

void ViewController::shareResult() {
    startButton.setHidden(true);
    shareButton.setHidden(true);
    pageController.setHidden(true);

    std::shared_ptr<ui::Image> capture = services_.capture.captureScreen();
    if (!capture) {
        services_.alerts.show(localized("shareFailedTitle"), localized("shareFailedMessage"),
                              {{localized("OK"), ui::AlertButton::Style::Cancel, {}}});
    } else {
        // A copy of the plain screenshot always goes to the pictures folder.
        const std::optional<std::string> saveError = services_.album.save(*capture);
        std::shared_ptr<ui::Image> composed =
            services_.capture.compose(*capture, "QRcode", qrCodeFrame(capture->height()), 2.0);
        // The sheet covers the screen: closing it makes the screen appear again.
        services_.share.share(composed ? composed : capture, [this] { viewWillAppear(); });
        if (saveError) {
            services_.alerts.show(localized("saveFailedTitle"), *saveError,
                                  {{localized("OK"), ui::AlertButton::Style::Cancel, {}}});
        }
    }

    startButton.setHidden(false);
    shareButton.setHidden(false);
    pageController.setHidden(false);
}

}  // namespace voltaro
