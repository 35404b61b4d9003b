#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "platform/sim/virtual_time.h"
#include "screens/app_delegate.h"
#include "screens/init_view_controller.h"
#include "screens/rating_prompt.h"
#include "support/fake_battery.h"
#include "support/memory_preferences.h"
#include "support/recording_services.h"
#include "support/recording_watch_channel.h"

namespace voltaro {
namespace {

using testing::RecordingServices;

// The phone slides in; the line and the lightning jump to their places; then the main screen.
TEST(IntroScreen, SlidesThePhoneThenDissolvesToTheMainScreen) {
    RecordingServices recorder;
    ui::Services services = recorder.services();
    InitViewController intro(services);
    intro.view.setSize(400, 800);
    std::map<std::string, bool> animated;
    for (auto [name, constraint] : {std::pair{"phone", &intro.phoneLeft},
                                    {"line", &intro.lineLeft},
                                    {"flash", &intro.flashLeft}}) {
        constraint->subscribe([&, name] { animated[name] = recorder.insideAnimation; });
    }
    intro.viewDidLoad();
    intro.viewDidAppear();
    EXPECT_EQ(animated,
              (std::map<std::string, bool>{{"phone", true}, {"line", false}, {"flash", false}}));
    ASSERT_TRUE(recorder.finishNextAnimation());
    ASSERT_TRUE(recorder.finishNextAnimation());
    EXPECT_EQ(recorder.calls.back(), "present ViewController dissolve");
    EXPECT_EQ(recorder.animations.at(0).spring->initialVelocity, 1.0);
}

TEST(RatingPromptTest, AsksAfterSevenDaysAndTenLaunchesThenAfterLaterOnly) {
    using Answer = RatingPrompt::Answer;
    struct Row {
        int launches;
        double days;
        std::optional<Answer> answer;  // to the first prompt; `daysAfter` on, it checks again
        double daysAfter;
        bool asks;
    };
    const Row rows[] = {
        {9, 8.0, {}, 0.0, false},
        {50, 6.0, {}, 0.0, false},
        {10, 8.0, {}, 0.0, true},
        {10, 8.0, Answer::Later, 4.9, false},
        {10, 8.0, Answer::Later, 5.0, true},
        {10, 8.0, Answer::Rate, 30.0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.launches << " launches, " << row.days
                                          << " days, then " << row.daysAfter);
        testing::MemoryPreferences preferences;
        VirtualTime clock{1000.0};
        RatingPrompt prompt{preferences, clock, [] {}};
        prompt.configure(AppDelegate::ratingSettings());
        for (int i = 0; i < row.launches; ++i) prompt.appLaunched();
        clock.advanceBy(row.days * 86400.0);
        bool asked = false;
        const auto show = [&](const RatingPrompt::Prompt&, std::function<void(Answer)> answer) {
            asked = true;
            if (row.answer) answer(*row.answer);
        };
        prompt.check(show);
        if (row.answer) {
            ASSERT_TRUE(asked);
            asked = false;
            clock.advanceBy(row.daysAfter * 86400.0);
            prompt.check(show);
        }
        EXPECT_EQ(asked, row.asks);
    }
}

// Each step of the launch work, in order: the screen kept awake, the launch counted, the watch
// link started, then the battery watched. The watch link notes what was done before it.
TEST(LaunchTest, LaunchWorkRunsInOrder) {
    testing::MemoryPreferences preferences;
    VirtualTime clock{1000.0};
    RatingPrompt prompt{preferences, clock, [] {}};
    RecordingServices recorder;
    testing::FakeBattery battery;
    testing::RecordingWatchChannel watch;
    std::vector<std::string> doneBeforeTheWatch;
    watch.onActivate = [&] {
        doneBeforeTheWatch = recorder.calls;
        if (preferences.integerForKey("ratingLaunchCount") == 1)
            doneBeforeTheWatch.push_back("launch");
        if (battery.monitoring) doneBeforeTheWatch.push_back("monitor");
    };
    AppDelegate::configureLaunch(recorder, prompt, &watch, battery);
    EXPECT_EQ(doneBeforeTheWatch, (std::vector<std::string>{"inhibit", "launch"}));
    EXPECT_TRUE(battery.monitoring);
}

}  // namespace
}  // namespace voltaro
