#include "engine/charge_test_session.h"

#include <cmath>
#include <cstdio>

#include "engine/monitor_start_time.h"
#include "platform/log.h"

namespace voltaro {
namespace {

bool isKnownLevel(float levelFraction) { return levelFraction >= 0.0f; }

// Whole percent, truncated toward zero, of a level fraction: the session's own arithmetic.
int64_t truncatedPercent(float levelFraction) {
    return static_cast<int64_t>(levelFraction * 100.0f);
}

// The whole percent a person is shown: rounded, as the kernel reports it (0.53f is 53 %, although
// 0.53f * 100 lies just below 53).
long shownPercent(float levelFraction) { return std::lround(static_cast<double>(levelFraction) * 100.0); }

}  // namespace

TestSession::TestSession(MainLoop& loop, Device& device, SessionView& view,
                         SessionHandoffs& handoffs)
    : loop_(loop), device_(device), view_(view), handoffs_(handoffs) {}

TestSession::~TestSession() {
    *alive_ = false;
    if (timeTimer_) timeTimer_->invalidate();
    if (flashTimer_) flashTimer_->invalidate();
}

std::string TestSession::clockText(int64_t seconds) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld:%.2lld",
                  static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
    return buffer;
}

std::string TestSession::batteryLevelText(float levelFraction) {
    if (!isKnownLevel(levelFraction)) return "--%";
    return std::to_string(shownPercent(levelFraction)) + "%";
}

void TestSession::logWithCount(const char* line) {
    testMessage_ += line;
    testMessage_ += std::to_string(window_.size());
}

void TestSession::refreshLog() { view_.showTestLog(testMessage_); }

void TestSession::viewDidLoad() {
    addNotifications();
    // The first reset decides whether Start is offered at a full battery: it needs the level.
    if (const float level = device_.batteryLevel(); isKnownLevel(level)) {
        levelPercent_ = truncatedPercent(level);
    }
    resetForBatteryState();
    handoffs_.refreshBrandCatalogue();
    setMonitorStartTime(loop_.now());
    logWithCount("this is first list ");
    view_.showBatteryLevelText(batteryLevelText(device_.batteryLevel()));
}

void TestSession::addNotifications() {
    std::weak_ptr<bool> alive = alive_;
    device_.battery().onStateChanged([this, alive] {
        if (auto flag = alive.lock(); flag && *flag) batteryStateChangeWithNote();
    });
    device_.battery().onLevelChanged([this, alive] {
        if (auto flag = alive.lock(); flag && *flag) batteryLevelDidChange();
    });
    logWithCount("\n Add Notification ");
}

void TestSession::viewWillAppear() {
    logWithCount("\n wake up 1 ");
    if (!isStart_) initUI();
    logWithCount("\n wake up 2 ");
    setMonitorStartTime(loop_.now());
    testMessage_ += perSampleLogLines(window_);
    refreshLog();
}

void TestSession::initUI() {
    view_.showModelName(device_.modelName());
    currentmAh_ = device_.batteryCapacity();
    const float level = device_.batteryLevel();
    if (isKnownLevel(level)) levelPercent_ = truncatedPercent(level);
    view_.prepareScreen();
    logWithCount("\n Init UI ");
}

void TestSession::batteryStateChangeWithNote() { checkIfPlugged(); }

void TestSession::checkIfPlugged() {
    // Every notification resets, even one that repeats the current state.
    resetForBatteryState();
    logWithCount("\n CheckIfPluged ");
}

void TestSession::appendPlaceholder() {
    // The placeholder stands for the next whole percent: the first real change to it only fixes
    // its time. Without a known level the window starts empty and the first reading opens it.
    const float level = device_.batteryLevel();
    if (!isKnownLevel(level)) return;
    window_.append(roundedPercent(level) + 1.0f, stopTime_.value_or(loop_.now()));
}

void TestSession::resetForBatteryState() {
    if (window_.size() >= 2 && isStart_) stopTest();
    resetMeasurement();
    stopTime_ = loop_.now() + kResetPlaceholderDelay;
    appendPlaceholder();
    view_.showTestingLayout(testTime_, result_.totalWatt);
    isStart_ = false;
    if (device_.batteryState() == BatteryState::Unplugged) {
        log::debug(log::Category::Engine, "unplugInit --- ");
        view_.showUnpluggedLayout(device_.maxChargingWatts(), device_.supportsPDCharging());
    } else {
        view_.showConnectedLayout(levelPercent_ == 100);
    }
}

void TestSession::resetMeasurement() {
    result_.minPerLevel = 0;
    result_.mahPerMin = 0;
    result_.totalWatt = 0;
    if (timeTimer_) timeTimer_->invalidate();
    if (flashTimer_) flashTimer_->invalidate();
    timeTimer_.reset();
    flashTimer_.reset();
    testTime_ = 0;
    userStartTime_ = 0;
    userStartlevel_ = 0;
    window_.clear();
}

void TestSession::stopTimers() {
    startTime_.reset();
    stopTime_.reset();
    if (timeTimer_) timeTimer_->invalidate();
    if (flashTimer_) flashTimer_->invalidate();
    timeTimer_.reset();
    flashTimer_.reset();
}

void TestSession::batteryLevelDidChange() { batteryChanged(); }

void TestSession::batteryChanged() {
    const float level = device_.batteryLevel();
    view_.showBatteryLevelText(batteryLevelText(level));
    logWithCount("\n battery changed ");
    // An unknown level is no measurement: it is ignored like a level below the last sample.
    if (!isKnownLevel(level)) return;

    const double now = loop_.now();
    if (isStart_) {
        hasResult_ = true;
        if (userStartTime_ == 0) userStartTime_ = now;
        if (userStartlevel_ == 0) {
            userStartlevel_ = window_.empty() ? roundedPercent(level) : window_.levelList.back();
        }
        testMessage_ += "\n First record";
    }
    stopTime_ = now;
    const float percent = roundedPercent(level);
    levelPercent_ = static_cast<int64_t>(percent);

    if (recordSample(window_, percent, now, testMessage_) == SampleUpdate::Ignored) return;
    testMessage_ += perSampleLogLines(window_);

    if (window_.size() >= 2 && isStart_) {
        testMessage_ += "\n 计算结果";
        if (computeResult(window_, currentmAh_, device_.maxChargingWatts(), result_,
                          static_cast<float>(device_.nominalVoltage()))) {
            testMessage_ += "\n 显示结果";
            if (showResultOrFail()) {
                view_.hideChargeMessage();
                if (levelPercent_ == 100) {
                    testMessage_ += "\n 终点";
                    stopTest();
                }
            }
        }
    }
    refreshLog();
    logWithCount("\n updateToWatch1 ");
    handoffs_.updateToWatch(*this);
    logWithCount("\n updateToWatch2 ");
}

void TestSession::buttonClicked() {
    if (isStart_) {
        stopTest();
    } else {
        startTest();
    }
}

void TestSession::startTest() {
    logWithCount("\n startTest1 ");
    hasResult_ = false;
    view_.showTestingLayout(testTime_, result_.totalWatt);
    startTime_ = loop_.now();
    std::weak_ptr<bool> alive = alive_;
    timeTimer_ = loop_.scheduleRepeating(kClockInterval, [this, alive] {
        if (auto flag = alive.lock(); flag && *flag) updateTimer();
    });
    flashTimer_ = loop_.scheduleRepeating(kFlashInterval, [this, alive] {
        if (auto flag = alive.lock(); flag && *flag) view_.flashFade();
    });
    isStart_ = true;
    logWithCount("\n startTest2 ");
}

void TestSession::stopTest() {
    logWithCount("\n stopTest1 ");
    stopTimers();
    view_.setStartButtonImage("testButton");
    if (window_.size() < 2 || !hasResult_) {
        view_.showConnectedLayout(levelPercent_ == 100);
    } else if (computeResult(window_, currentmAh_, device_.maxChargingWatts(), result_,
                             static_cast<float>(device_.nominalVoltage()))) {
        if (showResultOrFail()) {
            view_.showFinishedControls();
            saveRecord();
        }
    }
    hasResult_ = false;
    isStart_ = false;
    userStartTime_ = 0;
    userStartlevel_ = 0;
    logWithCount("\n stopTest2 ");
}

void TestSession::updateTimer() {
    if (!startTime_) return;
    const double now = loop_.now();
    testTime_ = static_cast<int64_t>(now - *startTime_);
    stopTime_ = now;
    view_.showClockText(clockText(testTime_));
}

bool TestSession::showResultOrFail() {
    view_.showResult(result_.totalWatt, testTime_);
    // A NaN is not below 0: only a negative power fails.
    if (!(result_.totalWatt < 0) && testflag_ != 1) return true;

    view_.showFailedTexts();
    stopTimers();
    view_.setStartButtonImage("testButton");
    const float lastLevel = window_.levelList.empty() ? NAN : window_.levelList.back();
    window_.clear();
    setMonitorStartTime(loop_.now());
    stopTime_ = loop_.now() + kFailedPlaceholderDelay;
    isStart_ = false;
    appendPlaceholder();
    // A failed test is saved with its placeholder even while the level is unknown: one above the
    // last sample. The window itself then starts empty, and the first reading opens it.
    const bool placeholderOnlyForTheRecord = window_.empty() && !std::isnan(lastLevel);
    if (placeholderOnlyForTheRecord) window_.append(lastLevel + 1.0f, *stopTime_);
    saveRecord();
    if (placeholderOnlyForTheRecord) window_.clear();
    hasResult_ = false;
    isStart_ = false;
    userStartTime_ = 0;
    userStartlevel_ = 0;
    view_.hideRatingViews();
    log::debug(log::Category::Engine, "this is happened");
    return false;
}

void TestSession::saveRecord() {
    logWithCount("\n saveToPlist1 ");
    handoffs_.appendTestRecord(*this);
    logWithCount("\n saveToPlist2 ");
}

void TestSession::showRating() {
    starWidths_ = {0, 0, 0, 0, 0};
    updateStars(result_.totalWatt, device_.maxChargingWatts(), starWidths_);
    view_.showRating(starWidths_);
}

ResultSnapshot TestSession::snapshot() const {
    ResultSnapshot s;
    s.watt = result_.totalWatt;
    s.min = static_cast<double>(result_.minPerLevel);
    s.amp = result_.mahPerMin;
    s.averageTime = static_cast<double>(result_.averageTime);
    if (!window_.empty()) {
        s.startlevel = static_cast<double>(window_.levelList.front());
        s.finishlevel = static_cast<double>(window_.levelList.back());
        s.starttime = window_.timeList.front();
        s.finishtime = window_.timeList.back();
    }
    s.userStartTime = userStartTime_;
    s.userStartlevel = static_cast<double>(userStartlevel_);
    s.levelList = window_.levelList;
    s.timeList = window_.timeList;
    s.batteryCapacity = currentmAh_;
    s.maxChargingWatts = device_.maxChargingWatts();
    s.modelIdentifier = device_.modelIdentifier();
    s.nominalVoltage = device_.nominalVoltage();
    return s;
}

void TestSession::showReplyText(const std::string& text) { view_.showReplyText(text); }

void RatingOnlyHandoffs::appendTestRecord(TestSession& session) { session.showRating(); }

}  // namespace voltaro
