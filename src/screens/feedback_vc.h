#pragma once

#include <string>

#include "platform/ui/outlets.h"
#include "platform/ui/services.h"
#include "screens/screen_controller.h"

namespace voltaro {

// The feedback form, an outside web page, behind a spinner until it has loaded.
class FeedbackVC : public ScreenController {
public:
    // The form's address: VOLTARO_FEEDBACK_URL from the environment, else the build's setting.
    static std::string formAddress();

    // `webViewAvailable`: whether the toolkit can embed a web page; without one the screen
    // offers to open the form in the browser.
    FeedbackVC(ui::Services& services, bool webViewAvailable);

    // Outlets after `view`, bound by the toolkit by name.
    ui::View topView{outlets, "topView"};
    ui::View downView{outlets, "downView"};
    ui::WebView webView{outlets, "webView"};
    ui::ActivityIndicator activityIndicator{outlets, "activityIndicator"};
    ui::Label messageLabel{outlets,
                           "messageLabel"};  // a one-line notice when the form cannot be shown
    ui::Button browserButton{outlets, "browserButton"};  // opens the form in the browser

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
