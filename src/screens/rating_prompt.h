#pragma once

#include <functional>
#include <string>

#include "platform/clock.h"

namespace voltaro {

class PreferenceStore;

// Asks the user, now and then, to rate the application. It counts launches and days in the
// preference store and prompts only when every condition holds at check().
class RatingPrompt {
public:
    struct Settings {
        int daysUntilPrompt = 7;
        int usesUntilPrompt = 10;
        int significantUsesUntilPrompt = 5;
        int daysBeforeReminding = 5;
        bool showLaterButton = true;
        bool debugMode = false;  // prompt at every check
    };
    // What the prompt offers; the front-end shows it as an alert.
    struct Prompt {
        std::string title;
        std::string message;
        bool offersLater = true;
    };
    enum class Answer { Rate, Later, Never };

    RatingPrompt(PreferenceStore& preferences, const Clock& clock,
                 std::function<void()> openRatingPage);

    void configure(Settings settings) { settings_ = settings; }
    void setTexts(std::string title, std::string message);

    // One launch of the application.
    void appLaunched();
    // One significant use (the application reports none, but the condition is kept).
    void significantEventOccurred();

    // The prompt when its conditions hold now, else nothing. Calls `show` with it.
    void check(const std::function<void(const Prompt&, std::function<void(Answer)>)>& show);

    // Opens the application's rating page at once.
    void rateApp();

private:
    long long counter(const std::string& key) const;
    void setCounter(const std::string& key, long long value);

    PreferenceStore& preferences_;
    const Clock& clock_;
    std::function<void()> openRatingPage_;
    Settings settings_;
    std::string title_;
    std::string message_;
};

}  // namespace voltaro
