#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <optional>

#include "platform/main_loop.h"
#include "platform/timer_queue.h"

namespace voltaro::qt {

// The main loop of the application: Qt's event loop on the main thread. A time scale above 1 makes
// the loop's time run that many times faster than real time, as SystemMainLoop does for the
// terminal: every timer, every time the program reads and every toolkit animation follows it, so a
// replayed or simulated battery can be watched without waiting for it.
//
// A timer scheduled while a timer's task runs counts from the time that timer was due, not from
// when the loop got round to it: chains of timers (an animation, then the next, then a screen)
// keep their pace in the loop's time however long the toolkit takes to draw in between.
class QtMainLoop final : public QObject, public MainLoop {
    Q_OBJECT

public:
    enum class ClockStart { Now, Later };

    // `origin`: the absolute time at which the loop's clock starts; by default the wall clock's.
    // The clock starts when the loop is made, or with ClockStart::Later at startClock(): until
    // then time stands at the origin and no timer fires (the application waits for its window).
    explicit QtMainLoop(double timeScale = 1.0, std::optional<AbsoluteTime> origin = std::nullopt,
                        ClockStart start = ClockStart::Now);
    ~QtMainLoop() override;

    AbsoluteTime now() const override;
    void post(Task task) override;
    std::shared_ptr<Timer> scheduleRepeating(double interval, Task task) override;
    std::shared_ptr<Timer> scheduleOnce(double delay, Task task) override;

    // Work on other threads needs no bookkeeping here: Qt's loop runs until quit().
    void beginExternalWork() override;
    void endExternalWork() override;
    int externalWork() const { return externalWork_.load(); }

    // Runs Qt's event loop until quit() (or QCoreApplication::exit()).
    void run() override;
    void quit() override;

    void startClock();
    bool clockRunning() const { return clock_.isValid(); }

    double timeScale() const { return timeScale_; }
    // Real milliseconds that `seconds` of the loop's time take, rounded up; never negative.
    int realMilliseconds(double seconds) const;
    // The loop's seconds since its clock started.
    double elapsed() const;

private:
    void fireDueTimers();
    void rearm();

    // The time timers count from: the due time of the timer whose task runs, else now().
    double scheduleBase() const;

    double timeScale_;
    AbsoluteTime origin_;
    QElapsedTimer clock_;
    TimerQueue timers_;
    std::optional<double> firingDue_;
    QTimer wake_;
    std::atomic<int> externalWork_{0};
};

}  // namespace voltaro::qt
