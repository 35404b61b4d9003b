#include <gtest/gtest.h>

#include <map>

#include "extensions/interface_helpers.h"
#include "platform/preference_store.h"
#include "platform/sim/virtual_time.h"
#include "screens/app_delegate.h"
#include "screens/init_view_controller.h"
#include "screens/rating_prompt.h"
#include "support/fake_battery.h"
#include "support/recording_services.h"

namespace voltaro {
namespace {

using testing::RecordingServices;

// Preferences in memory.
class MemoryPreferences final : public PreferenceStore {
public:
    int64_t integerForKey(std::string_view key) const override {
        const auto it = integers.find(std::string(key));
        return it == integers.end() ? 0 : it->second;
    }
    bool setInteger(std::string_view key, int64_t value) override {
        integers[std::string(key)] = value;
        return true;
    }
    std::optional<std::vector<std::string>> dataArrayForKey(std::string_view) const override {
        return std::nullopt;
    }
    bool setDataArray(std::string_view, const std::vector<std::string>&) override { return true; }
    std::optional<std::string> stringForKey(std::string_view) const override { return std::nullopt; }
    bool setString(std::string_view, std::string_view) override { return true; }
    bool removeObject(std::string_view key) override { return integers.erase(std::string(key)) > 0; }
    void exclusively(const std::function<void()>& work) override { work(); }

    std::map<std::string, int64_t> integers;
};

TEST(IntroScreen, SlidesToTheCentreThenRevealsThenDissolvesToTheMainScreen) {
    RecordingServices recorder;
    ui::Services services = recorder.services();
    InitViewController intro(services);
    intro.view.setSize(400, 800);
    intro.phoneImage.setSize(120, 240);
    intro.phoneTitle.setSize(200, 30);
    intro.lineImage.setSize(300, 2);
    intro.flashImage.setSize(40, 80);
    intro.messageLabel.setAlpha(0);
    intro.v1Label.setAlpha(0);

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
    EXPECT_EQ(animated, (std::map<std::string, bool>{
                            {"phone", true}, {"title", true}, {"line", false}, {"flash", false}}));
    EXPECT_EQ(intro.phoneLeft.constant(), 140);
    EXPECT_EQ(intro.phoneTitleLeft.constant(), 100);
    EXPECT_EQ(intro.lineLeft.constant(), 50);
    EXPECT_EQ(intro.flashLeft.constant(), 180);
    EXPECT_EQ(intro.messageLabel.alpha(), 0.0);  // waits for the first animation

    ASSERT_TRUE(recorder.finishNextAnimation());
    EXPECT_EQ(intro.messageLabel.alpha(), 1.0);
    EXPECT_EQ(intro.v1Label.alpha(), 1.0);
    ASSERT_TRUE(recorder.finishNextAnimation());
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"spring 1.600000", "spring 1.600000",
                                                        "present ViewController dissolve"}));
    ASSERT_EQ(recorder.animations.size(), 2u);
    EXPECT_EQ(recorder.animations[0].spring->dampingRatio, 0.8);
    EXPECT_EQ(recorder.animations[0].spring->initialVelocity, 1.0);
}

TEST(IntroScreen, AddsItsShadingOnTopOfWhatIsThere) {
    RecordingServices recorder;
    ui::Services services = recorder.services();
    InitViewController intro(services);
    intro.view.setSize(400, 800);
    intro.topView.addLayer({});
    intro.viewDidLoad();
    EXPECT_EQ(intro.topView.layers().size(), 2u);
}

TEST(EdgeShading, BandsFadeFromBlackToClearTowardsTheMiddle) {
    ui::View top;
    ui::View bottom;
    applyEdgeShading(320, top, bottom, ShadingMode::Replace);
    applyEdgeShading(320, top, bottom, ShadingMode::Replace);
    ASSERT_EQ(top.layers().size(), 1u);
    const ui::Layer& band = top.layers()[0];
    EXPECT_EQ(band.width, 320);
    EXPECT_EQ(band.height, 160);
    EXPECT_EQ(band.colorNames, (std::vector<std::string>{"black", "clear"}));
    EXPECT_EQ(band.locations, (std::vector<double>{0.1, 1.0}));
    EXPECT_EQ(band.endY, 1.0);
    EXPECT_EQ(bottom.layers()[0].colorNames, (std::vector<std::string>{"clear", "black"}));
}

TEST(BottomBorder, DrawsAOnePointLineAlongTheBottomEdge) {
    ui::View field;
    field.setSize(200, 40);
    addBottomBorder(field, 150);
    ASSERT_EQ(field.layers().size(), 1u);
    EXPECT_EQ(field.layers()[0].y, 39);
    EXPECT_EQ(field.layers()[0].width, 150);
    EXPECT_EQ(field.layers()[0].borderWidth, 1);
    EXPECT_TRUE(field.clipsToBounds());
}

TEST(Transitions, ForwardFromTheRightAndBackFromTheLeft) {
    RecordingServices recorder;
    presentSlidingRight(recorder, "ChargerListVC", {123.5});
    dismissSlidingLeft(recorder);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"present ChargerListVC from-right",
                                                        "dismiss from-left"}));
    EXPECT_EQ(recorder.lastArguments.startTime, 123.5);
    EXPECT_EQ(ui::kSlideDuration, 0.25);
}

class RatingPromptTest : public ::testing::Test {
protected:
    RatingPrompt makePrompt() {
        RatingPrompt prompt(preferences, clock, [this] { ++ratingPagesOpened; });
        prompt.configure(AppDelegate::ratingSettings());
        prompt.setTexts("Enjoying it?", "Rate us");
        return prompt;
    }
    bool prompts(RatingPrompt& prompt, RatingPrompt::Answer answer = RatingPrompt::Answer::Later) {
        bool shown = false;
        prompt.check([&](const RatingPrompt::Prompt& p, std::function<void(RatingPrompt::Answer)> reply) {
            shown = true;
            EXPECT_EQ(p.title, "Enjoying it?");
            EXPECT_TRUE(p.offersLater);
            reply(answer);
        });
        return shown;
    }

    MemoryPreferences preferences;
    VirtualTime clock{1000.0};
    int ratingPagesOpened = 0;
};

TEST_F(RatingPromptTest, PromptsOnlyAfterSevenDaysAndTenLaunches) {
    RatingPrompt prompt = makePrompt();
    for (int i = 0; i < 9; ++i) prompt.appLaunched();
    clock.advanceBy(8 * 86400.0);
    EXPECT_FALSE(prompts(prompt));
    prompt.appLaunched();
    EXPECT_TRUE(prompts(prompt, RatingPrompt::Answer::Later));
    // Later waits five days.
    clock.advanceBy(4 * 86400.0);
    EXPECT_FALSE(prompts(prompt));
    clock.advanceBy(86400.0);
    EXPECT_TRUE(prompts(prompt, RatingPrompt::Answer::Rate));
    EXPECT_EQ(ratingPagesOpened, 1);
    clock.advanceBy(30 * 86400.0);
    EXPECT_FALSE(prompts(prompt));  // rated: never again
}

TEST_F(RatingPromptTest, TooEarlyMeansNoPromptWhateverTheUse) {
    RatingPrompt prompt = makePrompt();
    for (int i = 0; i < 50; ++i) prompt.appLaunched();
    clock.advanceBy(6 * 86400.0);
    EXPECT_FALSE(prompts(prompt));
    prompt.rateApp();  // the direct rating action works at any time
    EXPECT_EQ(ratingPagesOpened, 1);
}

TEST_F(RatingPromptTest, LaunchWorkRunsInOrder) {
    RecordingServices recorder;
    testing::FakeBattery battery;
    RatingPrompt prompt = makePrompt();
    AppDelegate::configureLaunch(recorder, prompt, nullptr, battery);
    EXPECT_EQ(recorder.calls, std::vector<std::string>{"inhibit"});
    EXPECT_TRUE(battery.monitoring);
    EXPECT_EQ(preferences.integerForKey("ratingLaunchCount"), 1);
}

}  // namespace
}  // namespace voltaro
