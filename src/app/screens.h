#pragma once

#include <QUrl>

#include "platform/qt/outlet_adapters.h"
#include "platform/qt/qt_navigator.h"
#include "screens/init_view_controller.h"
#include "screens/view_controller.h"

namespace voltaro::app {

// The QML faces of the screen controllers: each outlet as an adapter property, each action as an
// invokable method. A page (qml/<ScreenName>.qml) gets its screen as the property `screen`.

class ViewControllerScreen : public qt::QtScreen {
    Q_OBJECT
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* phoneVersionLabel READ phoneVersionLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* topCharge READ topCharge CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* topFlash READ topFlash CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* topWatt READ topWatt CONSTANT)
    Q_PROPERTY(voltaro::qt::ImageViewAdapter* flashImage READ flashImage CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* startButton READ startButton CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* wattLabel READ wattLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* wattAfterLabel READ wattAfterLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* wattUnderLabel READ wattUnderLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* timeLabel READ timeLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* timeAfterLabel READ timeAfterLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* chargeMessageLabel READ chargeMessageLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ButtonAdapter* shareButton READ shareButton CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* optimalMessageLabel READ optimalMessageLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* connectMessageLabel READ connectMessageLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* pageController READ pageController CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* beatLabel READ beatLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* starView READ starView CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* topView READ topView CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* downView READ downView CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* PDLabel READ PDLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* batteryLevelView READ batteryLevelView CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* batteryLevelLabel READ batteryLevelLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* star1Width READ star1Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* star2Width READ star2Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* star3Width READ star3Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* star4Width READ star4Width CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* star5Width READ star5Width CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* testMessageLabel READ testMessageLabel CONSTANT)

public:
    ViewControllerScreen(MainLoop& loop, Device& device, SessionHandoffs& handoffs,
                         ui::Services& services);

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }
    void viewWillAppear() override { controller_.viewWillAppear(); }

    ViewController& controller() { return controller_; }

    Q_INVOKABLE void buttonClicked() { controller_.buttonClicked(); }
    Q_INVOKABLE void showResultVC() { controller_.showResultVC(); }
    Q_INVOKABLE void testResultButtonTapped() { controller_.testResultButtonTapped(); }
    Q_INVOKABLE void shareButtonClick() { controller_.shareButtonClick(); }

    qt::ViewAdapter* view() { return &view_; }
    qt::LabelAdapter* phoneVersionLabel() { return &phoneVersionLabel_; }
    qt::ConstraintAdapter* topCharge() { return &topCharge_; }
    qt::ConstraintAdapter* topFlash() { return &topFlash_; }
    qt::ConstraintAdapter* topWatt() { return &topWatt_; }
    qt::ImageViewAdapter* flashImage() { return &flashImage_; }
    qt::ButtonAdapter* startButton() { return &startButton_; }
    qt::LabelAdapter* wattLabel() { return &wattLabel_; }
    qt::LabelAdapter* wattAfterLabel() { return &wattAfterLabel_; }
    qt::LabelAdapter* wattUnderLabel() { return &wattUnderLabel_; }
    qt::LabelAdapter* timeLabel() { return &timeLabel_; }
    qt::LabelAdapter* timeAfterLabel() { return &timeAfterLabel_; }
    qt::LabelAdapter* chargeMessageLabel() { return &chargeMessageLabel_; }
    qt::ButtonAdapter* shareButton() { return &shareButton_; }
    qt::LabelAdapter* optimalMessageLabel() { return &optimalMessageLabel_; }
    qt::LabelAdapter* connectMessageLabel() { return &connectMessageLabel_; }
    qt::ViewAdapter* pageController() { return &pageController_; }
    qt::LabelAdapter* beatLabel() { return &beatLabel_; }
    qt::ViewAdapter* starView() { return &starView_; }
    qt::ViewAdapter* topView() { return &topView_; }
    qt::ViewAdapter* downView() { return &downView_; }
    qt::LabelAdapter* PDLabel() { return &PDLabel_; }
    qt::ViewAdapter* batteryLevelView() { return &batteryLevelView_; }
    qt::LabelAdapter* batteryLevelLabel() { return &batteryLevelLabel_; }
    qt::ConstraintAdapter* star1Width() { return &star1Width_; }
    qt::ConstraintAdapter* star2Width() { return &star2Width_; }
    qt::ConstraintAdapter* star3Width() { return &star3Width_; }
    qt::ConstraintAdapter* star4Width() { return &star4Width_; }
    qt::ConstraintAdapter* star5Width() { return &star5Width_; }
    qt::LabelAdapter* testMessageLabel() { return &testMessageLabel_; }

private:
    // The adapters come after the controller, so they go before its outlets do.
    ViewController controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::LabelAdapter phoneVersionLabel_{controller_.phoneVersionLabel};
    qt::ConstraintAdapter topCharge_{controller_.topCharge};
    qt::ConstraintAdapter topFlash_{controller_.topFlash};
    qt::ConstraintAdapter topWatt_{controller_.topWatt};
    qt::ImageViewAdapter flashImage_{controller_.flashImage};
    qt::ButtonAdapter startButton_{controller_.startButton};
    qt::LabelAdapter wattLabel_{controller_.wattLabel};
    qt::LabelAdapter wattAfterLabel_{controller_.wattAfterLabel};
    qt::LabelAdapter wattUnderLabel_{controller_.wattUnderLabel};
    qt::LabelAdapter timeLabel_{controller_.timeLabel};
    qt::LabelAdapter timeAfterLabel_{controller_.timeAfterLabel};
    qt::LabelAdapter chargeMessageLabel_{controller_.chargeMessageLabel};
    qt::ButtonAdapter shareButton_{controller_.shareButton};
    qt::LabelAdapter optimalMessageLabel_{controller_.optimalMessageLabel};
    qt::LabelAdapter connectMessageLabel_{controller_.connectMessageLabel};
    qt::ViewAdapter pageController_{controller_.pageController};
    qt::LabelAdapter beatLabel_{controller_.beatLabel};
    qt::ViewAdapter starView_{controller_.starView};
    qt::ViewAdapter topView_{controller_.topView};
    qt::ViewAdapter downView_{controller_.downView};
    qt::LabelAdapter PDLabel_{controller_.PDLabel};
    qt::ViewAdapter batteryLevelView_{controller_.batteryLevelView};
    qt::LabelAdapter batteryLevelLabel_{controller_.batteryLevelLabel};
    qt::ConstraintAdapter star1Width_{controller_.star1Width};
    qt::ConstraintAdapter star2Width_{controller_.star2Width};
    qt::ConstraintAdapter star3Width_{controller_.star3Width};
    qt::ConstraintAdapter star4Width_{controller_.star4Width};
    qt::ConstraintAdapter star5Width_{controller_.star5Width};
    qt::LabelAdapter testMessageLabel_{controller_.testMessageLabel};
};

class InitViewControllerScreen : public qt::QtScreen {
    Q_OBJECT
    Q_PROPERTY(voltaro::qt::ViewAdapter* view READ view CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* phoneLeft READ phoneLeft CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* phoneTitleLeft READ phoneTitleLeft CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* flashLeft READ flashLeft CONSTANT)
    Q_PROPERTY(voltaro::qt::ConstraintAdapter* lineLeft READ lineLeft CONSTANT)
    Q_PROPERTY(voltaro::qt::ImageViewAdapter* lineImage READ lineImage CONSTANT)
    Q_PROPERTY(voltaro::qt::ImageViewAdapter* phoneImage READ phoneImage CONSTANT)
    Q_PROPERTY(voltaro::qt::ImageViewAdapter* flashImage READ flashImage CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* phoneTitle READ phoneTitle CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* messageLabel READ messageLabel CONSTANT)
    Q_PROPERTY(voltaro::qt::LabelAdapter* v1Label READ v1Label CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* topView READ topView CONSTANT)
    Q_PROPERTY(voltaro::qt::ViewAdapter* downView READ downView CONSTANT)

public:
    explicit InitViewControllerScreen(ui::Services& services) : controller_(services) {}

    QUrl source() const override;
    void viewDidLoad() override { controller_.viewDidLoad(); }
    void viewDidAppear() override { controller_.viewDidAppear(); }

    InitViewController& controller() { return controller_; }

    qt::ViewAdapter* view() { return &view_; }
    qt::ConstraintAdapter* phoneLeft() { return &phoneLeft_; }
    qt::ConstraintAdapter* phoneTitleLeft() { return &phoneTitleLeft_; }
    qt::ConstraintAdapter* flashLeft() { return &flashLeft_; }
    qt::ConstraintAdapter* lineLeft() { return &lineLeft_; }
    qt::ImageViewAdapter* lineImage() { return &lineImage_; }
    qt::ImageViewAdapter* phoneImage() { return &phoneImage_; }
    qt::ImageViewAdapter* flashImage() { return &flashImage_; }
    qt::LabelAdapter* phoneTitle() { return &phoneTitle_; }
    qt::LabelAdapter* messageLabel() { return &messageLabel_; }
    qt::LabelAdapter* v1Label() { return &v1Label_; }
    qt::ViewAdapter* topView() { return &topView_; }
    qt::ViewAdapter* downView() { return &downView_; }

private:
    InitViewController controller_;
    qt::ViewAdapter view_{controller_.view};
    qt::ConstraintAdapter phoneLeft_{controller_.phoneLeft};
    qt::ConstraintAdapter phoneTitleLeft_{controller_.phoneTitleLeft};
    qt::ConstraintAdapter flashLeft_{controller_.flashLeft};
    qt::ConstraintAdapter lineLeft_{controller_.lineLeft};
    qt::ImageViewAdapter lineImage_{controller_.lineImage};
    qt::ImageViewAdapter phoneImage_{controller_.phoneImage};
    qt::ImageViewAdapter flashImage_{controller_.flashImage};
    qt::LabelAdapter phoneTitle_{controller_.phoneTitle};
    qt::LabelAdapter messageLabel_{controller_.messageLabel};
    qt::LabelAdapter v1Label_{controller_.v1Label};
    qt::ViewAdapter topView_{controller_.topView};
    qt::ViewAdapter downView_{controller_.downView};
};

}  // namespace voltaro::app
