#include "platform/qt/qt_main_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace voltaro::qt {

QtMainLoop::QtMainLoop(double timeScale, std::optional<AbsoluteTime> origin, ClockStart start)
    : timeScale_(timeScale > 0 ? timeScale : 1.0), origin_(origin ? *origin : SystemClock().now()) {
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, &QtMainLoop::fireDueTimers);
    if (start == ClockStart::Now) clock_.start();
}

void QtMainLoop::startClock() {
    if (clock_.isValid()) return;
    clock_.start();
    rearm();
}

QtMainLoop::~QtMainLoop() = default;

double QtMainLoop::elapsed() const {
    if (!clock_.isValid()) return 0;
    return static_cast<double>(clock_.nsecsElapsed()) * 1e-9 * timeScale_;
}

AbsoluteTime QtMainLoop::now() const {
    return origin_ + elapsed();
}

int QtMainLoop::realMilliseconds(double seconds) const {
    if (!(seconds > 0)) return 0;
    const double milliseconds = std::ceil(seconds / timeScale_ * 1000.0);
    return static_cast<int>(std::min(milliseconds, double{std::numeric_limits<int>::max()}));
}

void QtMainLoop::post(Task task) {
    // Queued to the thread this loop lives on, from whichever thread calls.
    QMetaObject::invokeMethod(
        this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

double QtMainLoop::scheduleBase() const {
    return firingDue_ ? *firingDue_ : now();
}

std::shared_ptr<Timer> QtMainLoop::scheduleRepeating(double interval, Task task) {
    auto timer = timers_.add(scheduleBase(), interval, true, std::move(task));
    rearm();
    return timer;
}

std::shared_ptr<Timer> QtMainLoop::scheduleOnce(double delay, Task task) {
    auto timer = timers_.add(scheduleBase(), delay, false, std::move(task));
    rearm();
    return timer;
}

void QtMainLoop::beginExternalWork() {
    ++externalWork_;
}

void QtMainLoop::endExternalWork() {
    --externalWork_;
}

void QtMainLoop::run() {
    QCoreApplication::exec();
}

void QtMainLoop::quit() {
    QCoreApplication::quit();
}

void QtMainLoop::fireDueTimers() {
    // Only what is due now: timers that fall due while these run wait for the next turn of Qt's
    // loop, so that painting and posted work are never starved at a high time scale.
    const double time = now();
    const std::optional<double> outer = firingDue_;  // a task may run Qt's loop in turn
    for (std::optional<double> due = timers_.nextDue(); due && *due <= time;
         due = timers_.nextDue()) {
        firingDue_ = due;
        timers_.fireOneDue(time);
    }
    firingDue_ = outer;
    rearm();
}

void QtMainLoop::rearm() {
    if (!clock_.isValid()) return;
    const std::optional<double> due = timers_.nextDue();
    if (!due) {
        wake_.stop();
        return;
    }
    wake_.start(realMilliseconds(*due - now()));
}

}  // namespace voltaro::qt
