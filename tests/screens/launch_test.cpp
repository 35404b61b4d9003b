#include <gtest/gtest.h>

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

TEST(IntroScreen, SlidesToTheCentreThenRevealsThenDissolvesToTheMainScreen) {
    RecordingServices recorder;
    ui::Services services = recorder.services();
    InitViewController intro(services);
    intro.view.setSize(400, 800);
    intro.flashImage.setSize(40, 80);
    intro.messageLabel.setAlpha(0);
    intro.topView.addLayer({});  // its shading goes on top of what is there

    // The phone and its title slide; the line and the lightning jump.
    std::map<std::string, bool> animated;
    for (auto [name, constraint] : {std::pair{"phone", &intro.phoneLeft},
                                    {"title", &intro.phoneTitleLeft},
                                    {"line", &intro.lineLeft},
                                    {"flash", &intro.flashLeft}}) {
        constraint->subscribe([&, name] { animated[name] = recorder.insideAnimation; });
    }
    intro.viewDidLoad();
    intro.viewDidAppear();
    EXPECT_EQ(intro.topView.layers().size(), 2u);
    EXPECT_EQ(animated, (std::map<std::string, bool>{
                            {"phone", true}, {"title", true}, {"line", false}, {"flash", false}}));
    EXPECT_EQ(intro.flashLeft.constant(), 180);  // centred
    EXPECT_EQ(intro.messageLabel.alpha(), 0.0);  // waits for the first animation

    ASSERT_TRUE(recorder.finishNextAnimation());
    EXPECT_EQ(intro.messageLabel.alpha(), 1.0);
    ASSERT_TRUE(recorder.finishNextAnimation());
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"spring 1.600000", "spring 1.600000",
                                                        "present ViewController dissolve"}));
    EXPECT_EQ(recorder.animations.at(0).spring->initialVelocity, 1.0);
}

class RatingPromptTest : public ::testing::Test {
protected:
    RatingPromptTest() { prompt.configure(AppDelegate::ratingSettings()); }
    bool prompts(RatingPrompt::Answer answer = RatingPrompt::Answer::Later) {
        bool shown = false;
        prompt.check([&](const RatingPrompt::Prompt& p, auto reply) {
            shown = true;
            EXPECT_TRUE(p.offersLater);
            reply(answer);
        });
        return shown;
    }

    testing::MemoryPreferences preferences;
    VirtualTime clock{1000.0};
    int ratingPagesOpened = 0;
    RatingPrompt prompt{preferences, clock, [this] { ++ratingPagesOpened; }};
};

TEST_F(RatingPromptTest, PromptsOnlyAfterSevenDaysAndTenLaunches) {
    for (int i = 0; i < 9; ++i) prompt.appLaunched();
    clock.advanceBy(8 * 86400.0);
    EXPECT_FALSE(prompts());
    prompt.appLaunched();
    EXPECT_TRUE(prompts(RatingPrompt::Answer::Later));
    clock.advanceBy(4 * 86400.0);  // later waits five days
    EXPECT_FALSE(prompts());
    clock.advanceBy(86400.0);
    EXPECT_TRUE(prompts(RatingPrompt::Answer::Rate));
    EXPECT_EQ(ratingPagesOpened, 1);
    clock.advanceBy(30 * 86400.0);
    EXPECT_FALSE(prompts());  // rated: never again
}

TEST_F(RatingPromptTest, TooEarlyMeansNoPromptWhateverTheUse) {
    for (int i = 0; i < 50; ++i) prompt.appLaunched();
    clock.advanceBy(6 * 86400.0);
    EXPECT_FALSE(prompts());
}

// Each step of the launch work, in order: the screen kept awake, the launch counted, the watch
// link started, then the battery watched. The watch link notes what was done before it.
TEST_F(RatingPromptTest, LaunchWorkRunsInOrder) {
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
