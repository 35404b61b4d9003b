#pragma once

#include <string>

#include "platform/ui/outlets.h"
#include "platform/ui/services.h"

namespace voltaro {

// The feedback form, an outside web page, behind a spinner until it has loaded.
class FeedbackVC {
public:
    // The form's address: VOLTARO_FEEDBACK_URL from the environment, else the build's setting.
    static std::string formAddress();

    // `webViewAvailable`: whether the toolkit can embed a web page; without one the screen
    // offers to open the form in the browser.
    FeedbackVC(ui::Services& services, bool webViewAvailable);

    // Outlets.
    ui::View view;
    ui::View topView;
    ui::View downView;
    ui::WebView webView;
    ui::ActivityIndicator activityIndicator;
    ui::Label messageLabel;     // a one-line notice when the form cannot be shown
    ui::Button browserButton;   // opens the form in the browser

    void viewDidLoad();

    // Navigation reports of the web view.
    void webViewDidFinishNavigation();
    void webViewDidFailNavigation();
    // A load that failed before any content arrived.
    void webViewDidFailProvisionalNavigation();

    // Actions.
    void backButtonTapped();
    void browserButtonTapped();

private:
    void revealPage();

    ui::Services& services_;
    bool webViewAvailable_;
};

}  // namespace voltaro
