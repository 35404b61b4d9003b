#include "screens/rating_prompt.h"

#include "platform/preference_store.h"

namespace voltaro {
namespace {
constexpr double kSecondsPerDay = 86400.0;
// Preference keys of the prompt's counters. Times are kept as whole seconds.
constexpr const char* kFirstUseKey = "ratingFirstUseTime";
constexpr const char* kLaunchesKey = "ratingLaunchCount";
constexpr const char* kSignificantUsesKey = "ratingSignificantUseCount";
constexpr const char* kRemindAfterKey = "ratingRemindAfterTime";
constexpr const char* kDoneKey = "ratingDone";  // rated or declined: never ask again
}  // namespace

RatingPrompt::RatingPrompt(PreferenceStore& preferences, const Clock& clock,
                           std::function<void()> openRatingPage)
    : preferences_(preferences), clock_(clock), openRatingPage_(std::move(openRatingPage)) {}

void RatingPrompt::setTexts(std::string title, std::string message) {
    title_ = std::move(title);
    message_ = std::move(message);
}

long long RatingPrompt::counter(const std::string& key) const {
    return static_cast<long long>(preferences_.integerForKey(key));
}

void RatingPrompt::setCounter(const std::string& key, long long value) {
    preferences_.setInteger(key, value);
}

void RatingPrompt::appLaunched() {
    preferences_.exclusively([this] {
        if (counter(kFirstUseKey) == 0) setCounter(kFirstUseKey, static_cast<long long>(clock_.now()));
        setCounter(kLaunchesKey, counter(kLaunchesKey) + 1);
    });
}

void RatingPrompt::significantEventOccurred() {
    preferences_.exclusively(
        [this] { setCounter(kSignificantUsesKey, counter(kSignificantUsesKey) + 1); });
}

void RatingPrompt::check(
    const std::function<void(const Prompt&, std::function<void(Answer)>)>& show) {
    const double now = clock_.now();
    bool due = settings_.debugMode;
    if (!due && counter(kDoneKey) == 0) {
        const long long firstUse = counter(kFirstUseKey);
        const bool enoughDays =
            firstUse != 0 && now - static_cast<double>(firstUse) >=
                                 settings_.daysUntilPrompt * kSecondsPerDay;
        const bool enoughUse = counter(kLaunchesKey) >= settings_.usesUntilPrompt ||
                               counter(kSignificantUsesKey) >= settings_.significantUsesUntilPrompt;
        const long long remindAfter = counter(kRemindAfterKey);
        const bool notPostponed = remindAfter == 0 || now >= static_cast<double>(remindAfter);
        due = enoughDays && enoughUse && notPostponed;
    }
    if (!due) return;
    show({title_, message_, settings_.showLaterButton}, [this](Answer answer) {
        switch (answer) {
            case Answer::Rate:
                setCounter(kDoneKey, 1);
                rateApp();
                break;
            case Answer::Later:
                setCounter(kRemindAfterKey,
                           static_cast<long long>(clock_.now() +
                                                  settings_.daysBeforeReminding * kSecondsPerDay));
                break;
            case Answer::Never:
                setCounter(kDoneKey, 1);
                break;
        }
    });
}

void RatingPrompt::rateApp() {
    if (openRatingPage_) openRatingPage_();
}

}  // namespace voltaro
