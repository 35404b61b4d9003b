#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device.h"
#include "engine/rate_estimator.h"
#include "engine/session_handoffs.h"
#include "engine/session_view.h"
#include "platform/main_loop.h"
#include "store/records.h"

namespace voltaro {

// One charge test session: watches the battery, keeps the sample window, runs the clock and the
// pulse timers while a test runs, decides when a test starts, ends, fails and is saved.
//
// Situations: unplugged (no charger), ready (charger, no test), testing, finished, failed. Every
// battery-state event resets the window; a level change feeds a sample and, while testing, an
// interim result; reaching 100 % ends the test; Stop ends it with the result so far.
class TestSession {
public:
    static constexpr double kClockInterval = 0.1;
    static constexpr double kFlashInterval = 0.7;
    // Future margin of the placeholder sample after a reset and after a failed result.
    static constexpr double kResetPlaceholderDelay = 60.0;
    static constexpr double kFailedPlaceholderDelay = 20.0;

    TestSession(MainLoop& loop, Device& device, SessionView& view, SessionHandoffs& handoffs);
    ~TestSession();
    TestSession(const TestSession&) = delete;
    TestSession& operator=(const TestSession&) = delete;

    // Entry points.
    void viewDidLoad();               // once: subscribe to battery events, first reset
    void viewWillAppear();            // every appearance of the screen
    void batteryStateChangeWithNote();
    void batteryLevelDidChange();
    void buttonClicked();             // Start/Stop
    void updateTimer();               // clock tick

    // The rating display step: star view shown, widths reset, stars set from the power.
    void showRating();
    // The remote service answered a saved result.
    void showReplyText(const std::string& text);

    // State, read by the stores, the watch and the front-ends.
    bool isStart() const { return isStart_; }
    bool hasResult() const { return hasResult_; }
    const SampleWindow& samples() const { return window_; }
    const RateResult& result() const { return result_; }
    double totalWatt() const { return result_.totalWatt; }
    double mahPerMin() const { return result_.mahPerMin; }
    float minPerLevel() const { return result_.minPerLevel; }
    float averageTime() const { return result_.averageTime; }
    double userStartTime() const { return userStartTime_; }
    float userStartlevel() const { return userStartlevel_; }
    int64_t testTime() const { return testTime_; }
    int64_t levelPercent() const { return levelPercent_; }
    int64_t currentmAh() const { return currentmAh_; }
    const StarWidths& starWidths() const { return starWidths_; }
    const std::string& testMessage() const { return testMessage_; }
    Device& device() { return device_; }
    const Device& device() const { return device_; }

    // Requires at least one sample (the session saves only after sampling has begun).
    ResultSnapshot snapshot() const;

    // Forces every computed result to count as failed (diagnostics); off by default.
    void setTestFlag(int64_t flag) { testflag_ = flag; }

    // "12:03:09": the running clock's text for whole seconds since Start.
    static std::string clockText(int64_t seconds);
    // "57%", or "--%" while the level is unknown.
    static std::string batteryLevelText(float levelFraction);

private:
    void initUI();
    void addNotifications();
    void checkIfPlugged();
    void resetForBatteryState();
    void resetMeasurement();
    void stopTimers();
    void startTest();
    void stopTest();
    void batteryChanged();
    bool showResultOrFail();  // returns true for a normal result
    void appendPlaceholder();
    void saveRecord();
    void logWithCount(const char* line);
    void refreshLog();

    MainLoop& loop_;
    Device& device_;
    SessionView& view_;
    SessionHandoffs& handoffs_;

    int64_t levelPercent_ = 0;
    int64_t currentmAh_ = 2691;
    StarWidths starWidths_{};
    bool isStart_ = false;
    bool hasResult_ = false;
    RateResult result_;
    std::shared_ptr<Timer> timeTimer_;
    std::shared_ptr<Timer> flashTimer_;
    int64_t testTime_ = 0;
    double userStartTime_ = 0;
    float userStartlevel_ = 0;
    std::optional<double> startTime_;
    std::optional<double> stopTime_;
    SampleWindow window_;
    std::string testMessage_ = "Test log:";
    int64_t testflag_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // guards battery listeners
};

}  // namespace voltaro
