#include "screens/feedback_vc.h"

#include <cstdlib>

#include "extensions/interface_helpers.h"
#include "platform/strings.h"

#ifndef VOLTARO_FEEDBACK_URL
#define VOLTARO_FEEDBACK_URL ""
#endif

namespace voltaro {

std::string FeedbackVC::formAddress() {
    const char* fromEnvironment = std::getenv("VOLTARO_FEEDBACK_URL");
    if (fromEnvironment != nullptr) return fromEnvironment;
    return VOLTARO_FEEDBACK_URL;
}

FeedbackVC::FeedbackVC(ui::Services& services, bool webViewAvailable)
    : services_(services), webViewAvailable_(webViewAvailable) {
    messageLabel.setHidden(true);
    browserButton.setHidden(true);
}

void FeedbackVC::viewDidLoad() {
    const double width = view.width();
    const double height = view.height();
    const std::string address = formAddress();

    if (!webViewAvailable_ || address.empty()) {
        webView.setHidden(true);
        activityIndicator.stopAnimating();
        activityIndicator.setHidden(true);
        messageLabel.setHidden(false);
        messageLabel.setText(localized(address.empty() ? "feedbackUnavailable" : "feedbackNoWebView"));
        browserButton.setHidden(address.empty());
        browserButton.setTitle(localized("feedbackOpenInBrowser"));
        applyEdgeShading(width, topView, downView, ShadingMode::Replace);
        return;
    }

    webView.setFrame(20, 60, width - 40, height - 80);
    webView.load(address);
    webView.setScrollEnabled(false);
    webView.setBackgroundColorName("feedbackBackgroundColor");  // 0.1 grey, opaque colour
    webView.setOpaque(false);
    webView.setHidden(true);
    activityIndicator.setHidden(false);
    activityIndicator.startAnimating();
    applyEdgeShading(width, topView, downView, ShadingMode::Replace);
}

void FeedbackVC::revealPage() {
    activityIndicator.stopAnimating();
    activityIndicator.setHidden(true);
    webView.setHidden(false);
}

void FeedbackVC::webViewDidFinishNavigation() { revealPage(); }

void FeedbackVC::webViewDidFailNavigation() { revealPage(); }

void FeedbackVC::webViewDidFailProvisionalNavigation() {
    // Said so, instead of a spinner turning forever; the page, which holds nothing of the form,
    // stays hidden so that the message does not draw over it.
    activityIndicator.stopAnimating();
    activityIndicator.setHidden(true);
    messageLabel.setText(localized("feedbackLoadFailed"));
    messageLabel.setHidden(false);
    browserButton.setTitle(localized("feedbackOpenInBrowser"));
    browserButton.setHidden(false);
}

void FeedbackVC::backButtonTapped() { services_.navigator.dismiss(ui::Transition::FlipHorizontal); }

void FeedbackVC::browserButtonTapped() {
    const std::string address = formAddress();
    if (!address.empty()) services_.urls.open(address);
}

}  // namespace voltaro
